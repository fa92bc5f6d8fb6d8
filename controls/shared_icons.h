#pragma once
// One standard icon of each kind for the whole run.
//
// The toolkit's style loads its standard icons (the OK and Cancel of a dialog's buttons, the icon of
// a message box, the file dialog's tool buttons) anew for every dialog, and each copy it paints stays
// in the toolkit's picture cache under a key of its own. Every dialog then costs a few kilobytes that
// are only given back when that cache is full (about ten megabytes). This style hands out the icon it
// loaded first, so the cache holds one entry per icon and size, however many dialogs were shown.
#include <QHash>
#include <QIcon>
#include <QProxyStyle>

namespace dp {

class TSharedIconStyle final : public QProxyStyle {
public:
    // Over the application's default style (the desktop's one).
    TSharedIconStyle() = default;
    // Over a given style (owned); for tests.
    explicit TSharedIconStyle(QStyle* base) : QProxyStyle(base) {}

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

private:
    mutable QHash<int, QIcon> icons_;
};

// Makes the application's style hand out shared standard icons. Call once, right after the
// application object exists and before any window is created.
void InstallSharedStandardIcons();

} // namespace dp
