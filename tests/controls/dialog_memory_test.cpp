// Dialogs shown one after another give their memory back: an error box and an input dialog, shown,
// painted on a real X screen and closed a hundred times, leave the heap about where it was. Before the
// standard icons were shared, each pair kept about 4 KB in the toolkit's picture cache.
#include "controls/dialogs.h"
#include "controls/shared_icons.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <malloc.h>

namespace {

// Closes each modal dialog once it is on the screen and painted, as a user pressing Escape would.
class TCloser {
public:
    TCloser() {
        timer_.setInterval(2);
        QObject::connect(&timer_, &QTimer::timeout, [] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || dialog->windowHandle() == nullptr ||
                !dialog->windowHandle()->isExposed())
                return;
            dialog->repaint();
            dialog->reject();
        });
        timer_.start();
    }

private:
    QTimer timer_;
};

void ShowPair() {
    dp::ShowErrorBox(QStringLiteral("Floating point division by zero"));
    dp::Dialogs().InputQuery(QStringLiteral("Ввод диаметра жилы"), QStringLiteral("мм"),
                             QStringLiteral("1,2"));
}

TEST(DialogMemory, RepeatedDialogsKeepNoMemory) {
    if (QGuiApplication::platformName() == QStringLiteral("offscreen"))
        GTEST_SKIP() << "the offscreen platform paints no dialog; this needs an X screen";
    dp::InstallSharedStandardIcons();
    TCloser closer;
    for (int i = 0; i < 10; ++i) ShowPair(); // the first boxes fill the caches that are meant to be filled
    const size_t before = mallinfo2().uordblks;
    constexpr int kPairs = 100;
    for (int i = 0; i < kPairs; ++i) ShowPair();
    const double perPair = (static_cast<double>(mallinfo2().uordblks) - static_cast<double>(before)) / kPairs;
    EXPECT_LT(perPair, 1024.0) << "bytes kept per error box and input dialog";
}

} // namespace
