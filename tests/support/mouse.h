#pragma once
// Synthetic mouse events for widget tests, delivered to the widget as the mouse delivers them.
#include <QApplication>
#include <QMouseEvent>
#include <QPointF>
#include <QWidget>

namespace dp::test {

// A mouse event on w: what happens, with which button, where in w, with which keys held. The
// buttons held follow the event (none after a release).
inline void SendMouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPointF pos,
                      Qt::KeyboardModifiers keys = Qt::NoModifier) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, held, keys);
    QApplication::sendEvent(w, &e);
}

// A left press and release at pos whose press and release carry their own keys.
inline void Click(QWidget* w, QPointF pos, Qt::KeyboardModifiers atPress, Qt::KeyboardModifiers atRelease) {
    SendMouse(w, QEvent::MouseButtonPress, Qt::LeftButton, pos, atPress);
    SendMouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, pos, atRelease);
}

// A left press and release at pos with the same keys held throughout.
inline void Click(QWidget* w, QPointF pos, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    Click(w, pos, keys, keys);
}

// The middle of w.
inline QPointF Middle(const QWidget* w) {
    return QPointF(w->width() / 2.0, w->height() / 2.0);
}

// A left click in the middle of w.
inline void ClickInMiddle(QWidget* w, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    Click(w, Middle(w), keys);
}

} // namespace dp::test
