#pragma once
// Small helpers of the control tests: synthetic mouse events and rendering a control to an image.
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

namespace dp::test {

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, held, modifiers);
    QApplication::sendEvent(w, &e);
}

// A left press and release at pos.
inline void Click(QWidget* w, QPoint pos = QPoint(2, 2), Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    SendMouse(w, QEvent::MouseButtonPress, pos, Qt::LeftButton, modifiers);
    SendMouse(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, modifiers);
}

// The control drawn over a background of the given colour.
inline QImage Render(QWidget* w, QColor background = QColor(0, 255, 0)) {
    QImage image(w->size(), QImage::Format_ARGB32);
    image.fill(background);
    w->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace dp::test
