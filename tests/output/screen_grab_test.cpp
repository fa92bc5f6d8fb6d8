// Reading the strip back from a real X screen: one image pixel per screen pixel, and whatever the
// screen shows there, a window lying over the schematic included. Runs only on an X11 display.
#include "output/screenshot.h"

#include "controls/controls.h"

#include "tests/output/jpeg_reading.h"
#include "tests/output/output_fixture.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace dp::test {
namespace {

double MeanAbsoluteError(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int i = 0; i < x.width() * 3; ++i)
            sum += std::abs(int(x.constScanLine(row)[i]) - int(y.constScanLine(row)[i]));
    return sum / (3.0 * x.width() * x.height());
}

class ScreenGrabTest : public OutputWindowTest {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "needs an X11 display";
        OutputWindowTest::SetUp();
    }
    void ShowExposed(int regenerators) {
        ShowWithRegenerators(regenerators);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
        QTest::qWait(200); // the first frame reaches the screen
    }
};

TEST_F(ScreenGrabTest, ReadsTheStripFromTheScreenOneToOne) {
    ShowExposed(3);
    TGrabSource source = TGrabSource::Window;
    const QImage strip = GrabScreenshotStrip(*form_, ScreenshotRect(*form_, *form_->PanelSch), &source);
    EXPECT_EQ(source, TGrabSource::Screen);
    ASSERT_EQ(strip.size(), QSize(form_->PanelSch->width() - 16, 177));
    EXPECT_LT(MeanAbsoluteError(strip, form_->grab(ScreenshotRect(*form_, *form_->PanelSch)).toImage()), 2.0);
}

// A red window over the strip at (100, 50) of it, 60 x 40, shown and on the screen.
void ShowCover(QWidget& cover, const TForm1& form) {
    cover.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    cover.setAutoFillBackground(true);
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(255, 0, 0));
    cover.setPalette(palette);
    const QPoint stripOnScreen = form.mapToGlobal(ScreenshotRect(form, *form.PanelSch).topLeft());
    cover.setGeometry(QRect(stripOnScreen + QPoint(100, 50), QSize(60, 40)));
    cover.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
    QTest::qWait(200);
}

TEST_F(ScreenGrabTest, AWindowLyingOverTheSchematicIsInThePicture) {
    ShowExposed(3);
    QWidget cover;
    ShowCover(cover, *form_);

    const QImage strip = GrabScreenshotStrip(*form_, ScreenshotRect(*form_, *form_->PanelSch))
                             .convertToFormat(QImage::Format_RGB888);
    const QColor inside = strip.pixelColor(130, 70);
    EXPECT_GT(inside.red(), 200);
    EXPECT_LT(inside.green(), 50);
    EXPECT_LT(inside.blue(), 50);
}

// The save dialog closes just before the screen is read: what it covered is the schematic again.
TEST_F(ScreenGrabTest, ClosedSaveDialogLeavesNoTraceInThePicture) {
    ShowExposed(3);
    QWidget dialog;
    dialogs_->whileSaveDialogOpen = [&] {
        ShowCover(dialog, *form_);
        dialog.hide();
    };
    dialogs_->sleepForReal = true; // the pause is what lets the windowing system take the dialog away
    dialogs_->AnswerSaveFileName(Path("after_dialog.jpg"));
    Click(form_->ButScr, kOnButton, Qt::ShiftModifier, Qt::NoModifier);

    const std::optional<TJpegFile> file = ReadJpeg(Path("after_dialog.jpg"));
    ASSERT_TRUE(file.has_value());
    const uint8_t* where = file->Pixel(130, 70);
    EXPECT_FALSE(where[0] > 200 && where[1] < 80 && where[2] < 80) << "the dialog's pixels are still there";
    EXPECT_LT(
        MeanAbsoluteError(ToImage(*file), form_->grab(ScreenshotRect(*form_, *form_->PanelSch)).toImage()),
        4.0);
}

} // namespace
} // namespace dp::test
