// The real message box with a very long path (a screenshot into a deep folder, 4,276 characters):
// centred on the screen once it has its size, and the path wrapped onto lines that all fit on it.
#include "controls/dialogs.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>

namespace dp {
namespace {

TEST(RealMessageBox, LongPathIsCentredAndWrappedWhole) {
    QString path = QStringLiteral("/home/user");
    while (path.size() < 4260) path += QStringLiteral("/folder-of-screenshots");
    path += QStringLiteral("/SCR_1R.jpg");
    SetDialogs(nullptr); // the real dialogs
    QRect frame;
    QString shown;
    int lineHeight = 0;
    QLabel* label = nullptr;
    // Looked at once the box is up and has settled.
    QTimer::singleShot(200, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        frame = box->frameGeometry();
        shown = box->text();
        label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        if (label) lineHeight = label->height();
        box->close();
    });
    Dialogs().MessageBox(QStringLiteral("Файл не сохранен, т.к. не найден путь:\r\"") + path + u'"',
                         QStringLiteral("Warning"), TMsgIcon::Warning);
    ASSERT_FALSE(frame.isNull()) << "no message box was shown";
    shown.remove(QChar(0x200B));
    EXPECT_TRUE(shown.contains(path));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.contains(frame))
        << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    EXPECT_LE(std::abs(frame.center().x() - area.center().x()), 2);
    EXPECT_LE(std::abs(frame.center().y() - area.center().y()), 2);
    // Wrapped onto many lines, not one line cut at the box's edge.
    EXPECT_GT(lineHeight, 20 * QFontMetrics(QApplication::font()).height());
}

} // namespace
} // namespace dp
