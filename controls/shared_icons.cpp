#include "controls/shared_icons.h"

#include <QApplication>
#include <QWidget>

namespace dp {

QIcon TSharedIconStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                     const QWidget* widget) const {
    // An icon asked for with a style option may depend on its state; those are not shared. Arrows
    // point the way the text runs, so the direction is part of the key.
    if (option != nullptr) return QProxyStyle::standardIcon(icon, option, widget);
    const Qt::LayoutDirection direction =
        widget != nullptr ? widget->layoutDirection() : QGuiApplication::layoutDirection();
    const int key = static_cast<int>(icon) * 2 + (direction == Qt::RightToLeft ? 1 : 0);
    auto it = icons_.constFind(key);
    if (it == icons_.constEnd()) it = icons_.insert(key, QProxyStyle::standardIcon(icon, nullptr, widget));
    return *it;
}

void InstallSharedStandardIcons() {
    QApplication::setStyle(new TSharedIconStyle());
}

} // namespace dp
