// Printing the window: one page per job, the client area at its on-screen size at the top-left of the
// printable area, text kept as text; checked on PDF files with the poppler tools.
#include "output/print_window.h"

#include "controls/controls.h"
#include "tests/output/output_fixture.h"

#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QProcess>
#include <QRegularExpression>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ostream>

namespace dp::test {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

// Standard output of a poppler tool; empty when it failed.
QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A field of pdfinfo's report ("Pages", "Title"); empty when absent.
QString PdfInfo(const QString& pdf, const QString& field) {
    const QString report = RunTool(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpression line(QStringLiteral("^") + field + QStringLiteral(":[ \\t]*(.*)$"),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = line.match(report);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

// The first page rendered at 96 dots per inch.
QImage RenderPage(const QString& pdf, const QString& outStem) {
    if (RunTool(QStringLiteral("pdftoppm"),
                {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"),
                 QStringLiteral("-singlefile"), QStringLiteral("-f"), QStringLiteral("1"), pdf, outStem})
            .isNull() &&
        !QFile::exists(outStem + QStringLiteral(".png")))
        return {};
    return QImage(outStem + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB888);
}

double MeanAbsoluteError(const QImage& a, const QImage& b, const QRect& area) {
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum +=
                std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * area.width() * area.height());
}

bool IsWhiteRow(const QImage& page, int y, int fromX, int toX) {
    for (int x = fromX; x < toX; ++x)
        if (qGray(page.pixel(x, y)) < 250) return false;
    return true;
}

class PrintTest : public OutputWindowTest {};

TEST_F(PrintTest, PrintsOnePageWithTheWindowAtItsOnScreenSize) {
    ShowWithRegenerators(3);
    const QString pdf = Path("page.pdf");
    dialogs_->AnswerPrinterSetupToPdf(pdf);
    Click(form_->Button1, kOnButton);
    ASSERT_THAT(errors_, IsEmpty());
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(PdfInfo(pdf, QStringLiteral("Pages")), QStringLiteral("1"));
    EXPECT_EQ(PdfInfo(pdf, QStringLiteral("Title")), QString()) << "the document has no name";
    EXPECT_EQ(form_->PrinterSetupDialog1.Printer().docName(), QString());

    // Text stays text: the captions of the buttons can be read back from the page.
    const QString text = RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    EXPECT_THAT(text.toStdString(), HasSubstr("Скриншот..."));
    EXPECT_THAT(text.toStdString(), HasSubstr("Печать..."));

    // At 96 dots per inch the page shows the window pixel for pixel from the printable area's corner.
    const QImage page = RenderPage(pdf, Path("page"));
    ASSERT_FALSE(page.isNull());
    const QRect printable = form_->PrinterSetupDialog1.Printer().pageLayout().paintRectPixels(96);
    const QImage shown = form_->grab().toImage().convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(shown.size(), form_->size());
    // The design width is wider than an A4 page's printable width: the right part is cut off.
    ASSERT_GT(printable.x() + shown.width(), page.width() - 1);
    const QRect visible(0, 0, std::min(shown.width(), printable.width()), shown.height());
    const QImage onPage = page.copy(visible.translated(printable.topLeft()));
    EXPECT_LT(MeanAbsoluteError(onPage, shown.copy(visible), QRect(QPoint(), visible.size())), 6.0);
    // Not shrunk or stretched: the window's last row is painted, the row after it is blank paper.
    const int bottom = printable.y() + shown.height();
    EXPECT_FALSE(IsWhiteRow(page, bottom - 2, printable.x(), printable.x() + 200));
    EXPECT_TRUE(IsWhiteRow(page, bottom + 2, 0, page.width()));
    // ... and the window reaches the right edge of the printable area.
    EXPECT_LT(qGray(page.pixel(printable.right() - 1, printable.y() + 300)), 250);
}

TEST_F(PrintTest, CancelledSetupPrintsNothing) {
    ShowWithRegenerators(1);
    QPrinter& printer = form_->PrinterSetupDialog1.Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Path("never.pdf"));
    dialogs_->AnswerPrinterSetup(false);
    Click(form_->Button1, kOnButton);
    EXPECT_EQ(dialogs_->PrinterSetups(), 1);
    EXPECT_THAT(Files(), IsEmpty());
    EXPECT_THAT(dialogs_->Messages(), IsEmpty());
    EXPECT_THAT(errors_, IsEmpty());
}

TEST_F(PrintTest, PrintingTwiceGivesTwoOnePageJobsOnTheKeptPrinter) {
    ShowWithRegenerators(2);
    dialogs_->AnswerPrinterSetupToPdf(Path("first.pdf"));
    dialogs_->AnswerPrinterSetupToPdf(Path("second.pdf"));
    Click(form_->Button1, kOnButton);
    Click(form_->Button1, kOnButton);
    ASSERT_THAT(errors_, IsEmpty());
    for (const char* name : {"first.pdf", "second.pdf"})
        EXPECT_EQ(PdfInfo(Path(name), QStringLiteral("Pages")), QStringLiteral("1")) << name;
    ASSERT_EQ(dialogs_->Printers().size(), 2u);
    EXPECT_EQ(dialogs_->Printers()[0], dialogs_->Printers()[1]) << "the chosen printer stays current";
}

TEST_F(PrintTest, PrinterThatCannotStartTheJobReportsAnError) {
    ShowWithRegenerators(1);
    dialogs_->AnswerPrinterSetupToPdf(Path("missing/page.pdf"));
    Click(form_->Button1, kOnButton);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_THAT(errors_[0], HasSubstr("missing/page.pdf"));
    EXPECT_THAT(Files(), IsEmpty());
}

struct TScaleCase {
    const char* name;
    QSize picture;
    int printerDpiX;
    int printerDpiY;
    int windowDpi;
    QSize printed;
};
void PrintTo(const TScaleCase& c, std::ostream* os) {
    *os << c.name;
}

class PrintedSizeTest : public ::testing::TestWithParam<TScaleCase> {};

TEST_P(PrintedSizeTest, ScalesByTheResolutionsAndRoundsToWholeDots) {
    const TScaleCase& c = GetParam();
    EXPECT_EQ(PrintedSize(c.picture, c.printerDpiX, c.printerDpiY, c.windowDpi), c.printed);
}

INSTANTIATE_TEST_SUITE_P(
    Resolutions, PrintedSizeTest,
    ::testing::Values(TScaleCase{"DesignOnHighResolution", {818, 439}, 1200, 1200, 96, {10225, 5488}},
                      TScaleCase{"SameResolution", {818, 439}, 96, 96, 96, {818, 439}},
                      TScaleCase{"UnequalPrinterAxes", {818, 439}, 600, 300, 96, {5112, 1372}},
                      TScaleCase{"ScaledWindow", {1022, 549}, 600, 600, 120, {5110, 2745}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace dp::test
