#include "controls/control.h"

#include <QVariant>

#include <algorithm>

namespace dp {

namespace {
constexpr const char* kAlignProperty = "dpAlign";
constexpr const char* kExtentProperty = "dpAlignExtent";

// The height (top, bottom) or width (left, right) a docked child's band takes.
int BandExtent(const QWidget& w, TAlign align) {
    const QVariant extent = w.property(kExtentProperty);
    if (extent.isValid()) return extent.toInt();
    return align == alLeft || align == alRight ? w.width() : w.height();
}
} // namespace

TAlign AlignOf(const QObject* object) {
    if (object == nullptr) return alNone;
    if (const auto* control = dynamic_cast<const TControlBase*>(object)) return control->Align();
    const QVariant v = object->property(kAlignProperty);
    return v.isValid() ? static_cast<TAlign>(v.toInt()) : alNone;
}

void SetWidgetAlign(QWidget* widget, TAlign align, int extent) {
    if (widget == nullptr || dynamic_cast<const TControlBase*>(widget) != nullptr) return;
    widget->setProperty(kAlignProperty, static_cast<int>(align));
    widget->setProperty(kExtentProperty, std::max(0, extent));
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
            // A plain widget counts unless it was hidden itself: before the window is first shown every
            // child still reads as hidden.
            if (control != nullptr ? !control->Visible() : !w->isVisibleTo(parent)) continue;
            const int extent = BandExtent(*w, which);
            QRect r;
            switch (which) {
            case alTop:
                r = QRect(free.left(), free.top(), free.width(), extent);
                free.setTop(free.top() + extent);
                break;
            case alBottom:
                r = QRect(free.left(), free.bottom() + 1 - extent, free.width(), extent);
                free.setBottom(free.bottom() - extent);
                break;
            case alLeft:
                r = QRect(free.left(), free.top(), extent, free.height());
                free.setLeft(free.left() + extent);
                break;
            case alRight:
                r = QRect(free.right() + 1 - extent, free.top(), extent, free.height());
                free.setRight(free.right() - extent);
                break;
            case alClient:
                r = free;
                break;
            default:
                continue;
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
