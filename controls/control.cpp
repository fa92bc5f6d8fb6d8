#include "controls/control.h"

namespace dp {

TAlign AlignOf(const QObject* object) {
    const auto* control = dynamic_cast<const TControlBase*>(object);
    return control ? control->Align() : alNone;
}

void ArrangeAlignedControls(QWidget* parent) {
    if (parent == nullptr) return;
    // Like a desktop form: top and bottom bands take the full width first, then left and right
    // bands share the remaining height, and a client control fills what is left.
    QRect free = parent->contentsRect();
    const QObjectList children = parent->children();
    auto pass = [&](TAlign which) {
        for (QObject* o : children) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w == nullptr || w->isWindow() || AlignOf(o) != which) continue;
            const auto* control = dynamic_cast<const TControlBase*>(o);
            if (!control->Visible()) continue;
            QRect r = w->geometry();
            switch (which) {
            case alTop:
                r = QRect(free.left(), free.top(), free.width(), r.height());
                free.setTop(free.top() + r.height());
                break;
            case alBottom:
                r = QRect(free.left(), free.bottom() + 1 - r.height(), free.width(), r.height());
                free.setBottom(free.bottom() - r.height());
                break;
            case alLeft:
                r = QRect(free.left(), free.top(), r.width(), free.height());
                free.setLeft(free.left() + r.width());
                break;
            case alRight:
                r = QRect(free.right() + 1 - r.width(), free.top(), r.width(), free.height());
                free.setRight(free.right() - r.width());
                break;
            case alClient:
                r = free;
                break;
            default:
                break;
            }
            if (r.width() < 0) r.setWidth(0);
            if (r.height() < 0) r.setHeight(0);
            if (w->geometry() != r) w->setGeometry(r);
        }
    };
    pass(alTop);
    pass(alBottom);
    pass(alLeft);
    pass(alRight);
    pass(alClient);
}

} // namespace dp
