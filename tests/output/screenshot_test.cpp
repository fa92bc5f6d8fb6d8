// The schematic screenshot: file names, the save dialog, the messages, and the JPEG file itself,
// decoded back and compared with what the window shows.
#include "output/screenshot.h"

#include "controls/controls.h"
#include "tests/output/jpeg_reading.h"
#include "tests/output/output_fixture.h"

#include <QFile>
#include <QImage>
#include <QScrollBar>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ostream>

namespace dp::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const QString kSaved = QStringLiteral("Файл сохранен: ");

QString NotSavedText(const QString& name) {
    return QStringLiteral("Файл не сохранен, т.к. не найден путь:") + QChar(13) + u'"' + name + u'"';
}

// Mean absolute difference per colour channel between a decoded file and a picture of its size.
double MeanAbsoluteError(const TJpegFile& file, const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    double sum = 0;
    for (int y = 0; y < file.height; ++y) {
        const uchar* line = rgb.constScanLine(y);
        for (int x = 0; x < file.width; ++x)
            for (int c = 0; c < 3; ++c) sum += std::abs(int(line[x * 3 + c]) - int(file.Pixel(x, y)[c]));
    }
    return sum / (3.0 * file.width * file.height);
}

class ScreenshotTest : public OutputWindowTest {};

// ---- default names ------------------------------------------------------------------------------

struct TNameCase {
    const char* name;
    int regenerators;
    const char* file;
};
void PrintTo(const TNameCase& c, std::ostream* os) {
    *os << c.name;
}

class DefaultNameTest : public ScreenshotTest, public ::testing::WithParamInterface<TNameCase> {};

TEST_P(DefaultNameTest, GoesIntoTheCurrentDirectoryOfTheMoment) {
    ShowWithRegenerators(GetParam().regenerators);
    // The current directory at the moment of the screenshot counts, not the one at start-up.
    const TempFolder later(TempFolder::Use::AsCurrent);
    const QString expected = QString::fromStdString(later.File(GetParam().file));

    Click(form_->ButScr, kOnButton);

    EXPECT_TRUE(QFile::exists(expected)) << expected.toStdString();
    EXPECT_THAT(Files(), IsEmpty()) << "nothing lands in the start-up folder";
    ASSERT_EQ(dialogs_->Messages().size(), 1u);
    EXPECT_EQ(dialogs_->Messages()[0].text, kSaved + expected);
    EXPECT_EQ(dialogs_->Messages()[0].caption, QStringLiteral("Information"));
    EXPECT_EQ(dialogs_->Messages()[0].icon, TMsgIcon::Information);
    EXPECT_THAT(dialogs_->SaveRequests(), IsEmpty());
    EXPECT_THAT(dialogs_->Sleeps(), IsEmpty());
    EXPECT_THAT(errors_, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Regenerators, DefaultNameTest,
                         ::testing::Values(TNameCase{"One", 1, "SCR_1R.jpg"},
                                           TNameCase{"Twelve", 12, "SCR_12R.jpg"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ScreenshotName, JoinsFolderCountAndSuffix) {
    EXPECT_EQ(DefaultScreenshotName(QStringLiteral("/home/user/work"), 12),
              QStringLiteral("/home/user/work/SCR_12R.jpg"));
    EXPECT_EQ(DefaultScreenshotName(QStringLiteral("/"), 200), QStringLiteral("//SCR_200R.jpg"));
}

TEST_F(ScreenshotTest, SecondScreenshotReplacesTheFirstWithoutAsking) {
    ShowWithRegenerators(1);
    Click(form_->ButScr, kOnButton);
    ASSERT_TRUE(QFile::exists(Path("SCR_1R.jpg")));
    // Something else under that name meanwhile: the second screenshot replaces it whole.
    {
        QFile f(Path("SCR_1R.jpg"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("not a picture");
    }
    Click(form_->ButScr, kOnButton);

    ASSERT_EQ(dialogs_->Messages().size(), 2u);
    for (const TRecordedMessage& m : dialogs_->Messages()) EXPECT_EQ(m.text, kSaved + Path("SCR_1R.jpg"));
    EXPECT_THAT(Files(), ElementsAre(QStringLiteral("SCR_1R.jpg")));
    EXPECT_TRUE(ReadJpeg(Path("SCR_1R.jpg")).has_value());
    EXPECT_THAT(dialogs_->SaveRequests(), IsEmpty());
}

// ---- the Shift key at the mouse-down --------------------------------------------------------------

struct TShiftCase {
    const char* name;
    Qt::MouseButton button;
    Qt::KeyboardModifiers modifiers;
    bool asks;
};
void PrintTo(const TShiftCase& c, std::ostream* os) {
    *os << c.name;
}

class MouseDownTest : public ScreenshotTest, public ::testing::WithParamInterface<TShiftCase> {};

TEST_P(MouseDownTest, ShiftDecidesWhetherTheNextScreenshotAsks) {
    ShowWithRegenerators(1);
    form_->AskFileName = !GetParam().asks; // every mouse-down rewrites it
    SendMouse(form_->ButScr, QEvent::MouseButtonPress, GetParam().button, kOnButton, GetParam().modifiers);
    EXPECT_EQ(form_->AskFileName, GetParam().asks);
    // A press with another button is no click: nothing is saved.
    if (GetParam().button != Qt::LeftButton) {
        SendMouse(form_->ButScr, QEvent::MouseButtonRelease, GetParam().button, kOnButton,
                  GetParam().modifiers);
        EXPECT_THAT(Files(), IsEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, MouseDownTest,
    ::testing::Values(TShiftCase{"LeftWithShift", Qt::LeftButton, Qt::ShiftModifier, true},
                      TShiftCase{"LeftAlone", Qt::LeftButton, Qt::NoModifier, false},
                      TShiftCase{"LeftWithControl", Qt::LeftButton, Qt::ControlModifier, false},
                      TShiftCase{"LeftWithShiftAndControl", Qt::LeftButton,
                                 Qt::ShiftModifier | Qt::ControlModifier, true},
                      TShiftCase{"RightWithShift", Qt::RightButton, Qt::ShiftModifier, true},
                      TShiftCase{"MiddleAlone", Qt::MiddleButton, Qt::NoModifier, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScreenshotTest, ShiftReleasedBeforeTheButtonStillAsks) {
    ShowWithRegenerators(1);
    dialogs_->AnswerSaveFileName(Path("chosen.jpg"));
    Click(form_->ButScr, kOnButton, Qt::ShiftModifier, Qt::NoModifier);
    EXPECT_EQ(dialogs_->SaveRequests().size(), 1u);
    EXPECT_TRUE(QFile::exists(Path("chosen.jpg")));
}

TEST_F(ScreenshotTest, ShiftPressedOnlyAfterTheMouseDownDoesNotAsk) {
    ShowWithRegenerators(1);
    Click(form_->ButScr, kOnButton, Qt::NoModifier, Qt::ShiftModifier);
    EXPECT_THAT(dialogs_->SaveRequests(), IsEmpty());
    EXPECT_TRUE(QFile::exists(Path("SCR_1R.jpg")));
}

// ---- the save dialog ----------------------------------------------------------------------------

TEST_F(ScreenshotTest, ChosenNameIsUsedUnchangedAfterAPause) {
    ShowWithRegenerators(1);
    dialogs_->AnswerSaveFileName(Path("picture"));
    Click(form_->ButScr, kOnButton, Qt::ShiftModifier, Qt::NoModifier);

    EXPECT_THAT(Files(), ElementsAre(QStringLiteral("picture"))) << "no extension is added";
    EXPECT_TRUE(ReadJpeg(Path("picture")).has_value());
    EXPECT_THAT(dialogs_->Sleeps(), ElementsAre(500));
    ASSERT_EQ(dialogs_->Messages().size(), 1u);
    EXPECT_EQ(dialogs_->Messages()[0].text, kSaved + Path("picture"));
    EXPECT_EQ(dialogs_->Messages()[0].icon, TMsgIcon::Information);
}

TEST_F(ScreenshotTest, DialogProposesTheStartUpNameFirstThenTheLastChosen) {
    ShowWithRegenerators(1);
    dialogs_->AnswerSaveFileName(Path("first.jpg"));
    dialogs_->CancelSaveFileName();
    dialogs_->AnswerSaveFileName(Path("third.jpg"));
    for (int i = 0; i < 3; ++i) Click(form_->ButScr, kOnButton, Qt::ShiftModifier, Qt::NoModifier);

    ASSERT_EQ(dialogs_->SaveRequests().size(), 3u);
    EXPECT_EQ(dialogs_->SaveRequests()[0], std::make_pair(Folder(), Path("Schema1.jpg")));
    EXPECT_EQ(dialogs_->SaveRequests()[1].second, Path("first.jpg"));
    EXPECT_EQ(dialogs_->SaveRequests()[2].second, Path("first.jpg")) << "a cancel keeps the last choice";
    EXPECT_EQ(form_->SaveDlg.FileName, Path("third.jpg"));
    EXPECT_THAT(dialogs_->Sleeps(), ElementsAre(500, 500));
}

TEST_F(ScreenshotTest, CancelledDialogDoesNothing) {
    ShowWithRegenerators(1);
    dialogs_->CancelSaveFileName();
    Click(form_->ButScr, kOnButton, Qt::ShiftModifier, Qt::NoModifier);

    EXPECT_THAT(Files(), IsEmpty());
    EXPECT_THAT(dialogs_->Messages(), IsEmpty());
    EXPECT_THAT(dialogs_->Sleeps(), IsEmpty());
    EXPECT_THAT(errors_, IsEmpty());
}

TEST_F(ScreenshotTest, MissingFolderGivesTheWarningWithTheNameInQuotes) {
    ShowWithRegenerators(1);
    const QString name = Path("missing/shot.jpg");
    dialogs_->AnswerSaveFileName(name);
    Click(form_->ButScr, kOnButton, Qt::ShiftModifier, Qt::NoModifier);

    EXPECT_THAT(Files(), IsEmpty());
    ASSERT_EQ(dialogs_->Messages().size(), 1u);
    EXPECT_EQ(dialogs_->Messages()[0].text, NotSavedText(name));
    EXPECT_EQ(dialogs_->Messages()[0].caption, QStringLiteral("Warning"));
    EXPECT_EQ(dialogs_->Messages()[0].icon, TMsgIcon::Warning);
    EXPECT_THAT(errors_, IsEmpty());
}

TEST_F(ScreenshotTest, UnwritableTargetGivesTheSameWarning) {
    ShowWithRegenerators(1);
    // A folder in the way of the file: the write fails whatever the user's rights.
    ASSERT_TRUE(QDir(Folder()).mkdir(QStringLiteral("SCR_1R.jpg")));
    Click(form_->ButScr, kOnButton);
    ASSERT_EQ(dialogs_->Messages().size(), 1u);
    EXPECT_EQ(dialogs_->Messages()[0].text, NotSavedText(Path("SCR_1R.jpg")));
    EXPECT_EQ(dialogs_->Messages()[0].icon, TMsgIcon::Warning);
}

// ---- the picture --------------------------------------------------------------------------------

struct TSizeCase {
    const char* name;
    int clientWidth; // 818 is the design width
};
void PrintTo(const TSizeCase& c, std::ostream* os) {
    *os << c.name;
}

class PictureTest : public ScreenshotTest, public ::testing::WithParamInterface<TSizeCase> {};

TEST_P(PictureTest, IsAColourBaselineJfifOfTheStripAtQuality80) {
    ShowWithRegenerators(3);
    form_->resize(GetParam().clientWidth, form_->height());
    QApplication::processEvents();
    Click(form_->ButScr, kOnButton);

    const std::optional<TJpegFile> file = ReadJpeg(Path("SCR_3R.jpg"));
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->width, form_->PanelSch->width() - 16);
    EXPECT_EQ(file->width, GetParam().clientWidth - 16);
    EXPECT_EQ(file->height, 177);
    EXPECT_EQ(file->components, 3);
    EXPECT_TRUE(file->HasMarker(0xC0)) << "baseline frame";
    EXPECT_FALSE(file->HasMarker(0xC2)) << "progressive frame";
    EXPECT_FALSE(file->progressive);
    EXPECT_TRUE(file->sawJfif);
    ASSERT_GE(file->markers.size(), 2u);
    EXPECT_EQ(file->markers[1], 0xE0) << "JFIF APP0 right after SOI";
    EXPECT_EQ(file->quant[0], Quality80Table(false));
    EXPECT_EQ(file->quant[1], Quality80Table(true));
}

INSTANTIATE_TEST_SUITE_P(Widths, PictureTest,
                         ::testing::Values(TSizeCase{"Design", 818}, TSizeCase{"Wider", 1100},
                                           TSizeCase{"Narrower", 500}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScreenshotTest, StripLiesBetweenTheTopOfTheScrollBoxAndTheGroupBoxes) {
    ShowWithRegenerators(1);
    form_->resize(818, 439); // the design client size
    QApplication::processEvents();
    const QRect strip = ScreenshotRect(*form_, *form_->PanelSch);
    EXPECT_EQ(strip, QRect(8, 9, 802, 177));
    const int groupBoxesTop = form_->PanelP->mapTo(form_.get(), QPoint(0, 0)).y();
    EXPECT_LT(strip.bottom(), groupBoxesTop);
    EXPECT_LT(strip.bottom(), form_->GroupBox1->mapTo(form_.get(), QPoint(0, 0)).y());
}

TEST_F(ScreenshotTest, PictureShowsTheSchematicAsTheWindowDoes) {
    ShowWithRegenerators(4);
    Click(form_->ButScr, kOnButton);
    const std::optional<TJpegFile> file = ReadJpeg(Path("SCR_4R.jpg"));
    ASSERT_TRUE(file.has_value());

    const QRect strip = ScreenshotRect(*form_, *form_->PanelSch);
    const QImage shown = form_->grab(strip).toImage();
    ASSERT_EQ(shown.size(), QSize(file->width, file->height));
    EXPECT_LT(MeanAbsoluteError(*file, shown), 4.0);

    // The upper wire (3 pixels of black pen along y 48..50 of the schematic) crosses the picture,
    // and the white inside of the source box is white.
    const QPoint wire =
        form_->LineA->mapTo(form_.get(), QPoint(form_->LineA->width() / 2, 1)) - strip.topLeft();
    const uint8_t* onWire = file->Pixel(wire.x(), wire.y());
    EXPECT_LT(onWire[0] + onWire[1] + onWire[2], 3 * 80);
    const QPoint box = form_->ShURP->mapTo(form_.get(), QPoint(70, 55)) - strip.topLeft();
    const uint8_t* inBox = file->Pixel(box.x(), box.y());
    EXPECT_GT(inBox[0] + inBox[1] + inBox[2], 3 * 230);
}

TEST_F(ScreenshotTest, PictureShowsTheScrolledView) {
    ShowWithRegenerators(12);
    QScrollBar* bar = form_->PanelSch->horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "twelve regenerators are wider than the window";
    bar->setValue(bar->maximum());
    QApplication::processEvents();
    Click(form_->ButScr, kOnButton);
    const std::optional<TJpegFile> file = ReadJpeg(Path("SCR_12R.jpg"));
    ASSERT_TRUE(file.has_value());
    const QImage shown = form_->grab(ScreenshotRect(*form_, *form_->PanelSch)).toImage();
    EXPECT_LT(MeanAbsoluteError(*file, shown), 4.0);
    // The source box has scrolled out of view: no white box at its place any more.
    bar->setValue(0);
    QApplication::processEvents();
    const QImage unscrolled = form_->grab(ScreenshotRect(*form_, *form_->PanelSch)).toImage();
    EXPECT_GT(MeanAbsoluteError(*file, unscrolled), 4.0);
}

TEST_F(ScreenshotTest, OffscreenPlatformPaintsTheStripItself) {
    ShowWithRegenerators(1);
    TGrabSource source = TGrabSource::Screen;
    const QImage strip = GrabScreenshotStrip(*form_, ScreenshotRect(*form_, *form_->PanelSch), &source);
    EXPECT_EQ(source, TGrabSource::Window);
    EXPECT_EQ(strip.size(), QSize(form_->PanelSch->width() - 16, 177));
}

} // namespace
} // namespace dp::test
