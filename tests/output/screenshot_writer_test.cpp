// The screenshot writer on a window of its own, without the main window: the strip it takes from the
// schematic widget it is given, the default name from the count, the save dialog it is given, and
// the message of the outcome.
#include "output/screenshot.h"

#include "controls/dialog_components.h"
#include "tests/output/jpeg_reading.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"

#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

namespace dp::test {
namespace {

// Scripted dialogs whose save dialog can change the window while it is open.
class HookedDialogs : public ScriptedDialogs {
public:
    std::function<void()> whileSaveDialogOpen;
    std::optional<QString> SaveFileName(QWidget* parent, const QString& initialDir,
                                        const QString& proposedName) override {
        if (whileSaveDialogOpen) whileSaveDialogOpen();
        return ScriptedDialogs::SaveFileName(parent, initialDir, proposedName);
    }
};

// A window with a red "schematic" on white: the strip of the screenshot lies inside the red part.
class ScreenshotWriter : public ::testing::Test {
protected:
    void SetUp() override {
        Fill(window_, Qt::white);
        schematic_ = new QWidget(&window_);
        Fill(*schematic_, Qt::red);
        window_.resize(400, 300);
        schematic_->setGeometry(20, 30, 216, 196);
        window_.show();
        QApplication::processEvents();
        saveDialog_.InitialDir = folderPath_;
    }
    static void Fill(QWidget& w, QColor colour) {
        QPalette p = w.palette();
        p.setColor(QPalette::Window, colour);
        w.setPalette(p);
        w.setAutoFillBackground(true);
    }

    TScreenshotSource Source(int numRegs) { return {&window_, schematic_, numRegs, &saveDialog_}; }
    QString Path(const QString& name) const { return folderPath_ + u'/' + name; }

    TempFolder folder_{TempFolder::Use::AsCurrent};
    const QString folderPath_ = QString::fromStdString(folder_.Path());
    ScopedDialogs<HookedDialogs> dialogs_;
    QWidget window_;
    QWidget* schematic_ = nullptr;
    TSaveDialog saveDialog_;
};

TEST_F(ScreenshotWriter, WritesTheStripOfTheGivenSchematicUnderTheDefaultName) {
    EXPECT_EQ(ScreenshotRect(window_, *schematic_), QRect(28, 39, 200, 100));
    MakeScreenshot(Source(7), false);

    const std::optional<TJpegFile> file = ReadJpeg(Path(QStringLiteral("SCR_7R.jpg")));
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->width, 200);
    EXPECT_EQ(file->height, 100);
    for (const QPoint p : {QPoint(0, 0), QPoint(199, 99), QPoint(100, 50)}) {
        const uint8_t* rgb = file->Pixel(p.x(), p.y());
        EXPECT_GT(rgb[0], 230) << p.x() << "," << p.y();
        EXPECT_LT(rgb[1], 25) << p.x() << "," << p.y();
        EXPECT_LT(rgb[2], 25) << p.x() << "," << p.y();
    }
    ASSERT_EQ(dialogs_->Messages().size(), 1u);
    EXPECT_EQ(dialogs_->Messages()[0].text,
              QStringLiteral("Файл сохранен: ") + Path(QStringLiteral("SCR_7R.jpg")));
    EXPECT_TRUE(dialogs_->SaveRequests().empty());
}

TEST_F(ScreenshotWriter, AsksTheGivenDialogAndMeasuresTheStripAfterIt) {
    saveDialog_.FileName = QStringLiteral("first.jpg");
    dialogs_->AnswerSaveFileName(Path(QStringLiteral("chosen.jpg")));
    // The schematic grows while the dialog is open: the picture shows it as it is afterwards.
    dialogs_->whileSaveDialogOpen = [this] { schematic_->resize(316, 196); };
    MakeScreenshot(Source(3), true);

    ASSERT_EQ(dialogs_->SaveRequests().size(), 1u);
    EXPECT_EQ(dialogs_->SaveRequests()[0], std::make_pair(folderPath_, QStringLiteral("first.jpg")));
    EXPECT_EQ(saveDialog_.FileName, Path(QStringLiteral("chosen.jpg")));
    const std::optional<TJpegFile> file = ReadJpeg(Path(QStringLiteral("chosen.jpg")));
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->width, 300);
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("SCR_3R.jpg"))));
    EXPECT_EQ(dialogs_->Sleeps(), std::vector<int>{500});
}

TEST_F(ScreenshotWriter, CancelledDialogWritesNothingAndSaysNothing) {
    dialogs_->CancelSaveFileName();
    MakeScreenshot(Source(3), true);
    EXPECT_TRUE(QDir(folderPath_).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(dialogs_->Messages().empty());
}

TEST_F(ScreenshotWriter, UnwritableNameGivesTheWarning) {
    const QString name = Path(QStringLiteral("missing/shot.jpg"));
    dialogs_->AnswerSaveFileName(name);
    MakeScreenshot(Source(3), true);
    ASSERT_EQ(dialogs_->Messages().size(), 1u);
    EXPECT_EQ(dialogs_->Messages()[0].text,
              QStringLiteral("Файл не сохранен, т.к. не найден путь:") + QChar(13) + u'"' + name + u'"');
    EXPECT_EQ(dialogs_->Messages()[0].icon, TMsgIcon::Warning);
}

TEST_F(ScreenshotWriter, TooSmallASchematicIsAnError) {
    schematic_->resize(16, 96);
    EXPECT_THROW(MakeScreenshot(Source(1), false), std::runtime_error);
    EXPECT_TRUE(QDir(folderPath_).entryList(QDir::Files).isEmpty());
}

} // namespace
} // namespace dp::test
