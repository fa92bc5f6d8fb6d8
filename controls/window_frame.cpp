#include "controls/window_frame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace dp {
namespace {

// Watches a window for its frame; deletes itself when it has run its action.
class TFrameWatch final : public QObject {
public:
    TFrameWatch(QWidget& w, std::function<void(QMargins)> done)
        : QObject(&w), FWindow(&w), FDone(std::move(done)) {
        w.installEventFilter(this);
        if (w.isVisible()) Poll(kPolls);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == FWindow) {
            switch (event->type()) {
            case QEvent::Show:
                Poll(kPolls);
                [[fallthrough]];
            case QEvent::Move:
            case QEvent::Resize:
                QTimer::singleShot(0, this, [this] { Check(); });
                break;
            default:
                break;
            }
        }
        return false;
    }

private:
    static constexpr int kPolls = 30; // every 100 ms: 3 s after the showing

    void Poll(int left) {
        QTimer::singleShot(100, this, [this, left] {
            if (!Check() && left > 1) Poll(left - 1);
        });
    }

    // True once the action has run.
    bool Check() {
        if (FDone == nullptr) return true;
        const QMargins frame = FrameMarginsOf(*FWindow);
        if (frame.isNull()) return false;
        const std::function<void(QMargins)> done = std::move(FDone);
        FDone = nullptr;
        FWindow->removeEventFilter(this);
        deleteLater();
        done(frame);
        return true;
    }

    QPointer<QWidget> FWindow;
    std::function<void(QMargins)> FDone;
};

} // namespace

QMargins FrameMarginsOf(const QWidget& w) {
    const QWindow* window = w.windowHandle();
    return window != nullptr ? window->frameMargins() : QMargins();
}

void WhenFramed(QWidget& w, std::function<void(QMargins)> done) {
    const QMargins frame = FrameMarginsOf(w);
    if (!frame.isNull() && w.isVisible()) {
        done(frame);
        return;
    }
    new TFrameWatch(w, std::move(done));
}

void KeepOuterSize(QWidget& w, QSize outer) {
    const QMargins known = FrameMarginsOf(w);
    auto fit = [&w, outer](QMargins frame) {
        w.resize(std::max(1, outer.width() - frame.left() - frame.right()),
                 std::max(1, outer.height() - frame.top() - frame.bottom()));
    };
    fit(w.isVisible() ? known : QMargins());
    if (known.isNull() || !w.isVisible()) WhenFramed(w, fit);
}

void CentreByFrame(QWidget& w) {
    auto centre = [&w] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen == nullptr) return;
        const QRect area = screen->availableGeometry();
        const QMargins frame = FrameMarginsOf(w);
        const QSize outer = w.size().grownBy(frame);
        // move() places the outer frame.
        w.move(area.x() + (area.width() - outer.width()) / 2,
               area.y() + (area.height() - outer.height()) / 2);
    };
    centre();
    WhenFramed(w, [centre](QMargins) { centre(); });
}

} // namespace dp
