// The main window natively on Wayland, under the compositor that wayland_session.sh starts for it. A
// Wayland client cannot read the screen, so Ctrl+S saves the schematic strip as the window paints it;
// the compositor places the window and never tells it where, so the settings keep the place they
// were given and the outer size the window really has.
#include "app/Main.h"
#include "controls/controls.h"
#include "controls/event_guard.h"
#include "output/screenshot.h"
#include "settings/app_settings.h"
#include "tests/support/jpeg_decode.h"
#include "tests/support/started_window.h"
#include "util/uStrUtils.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class WaylandWindow : public dp::test::StartedWindow<> {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName().toStdString(), "wayland")
            << "run by wayland_session.sh, natively on a Wayland compositor";
        dp::SetErrorReporter([this](const std::string& message) { errors_.push_back(message); });
    }
    void TearDown() override {
        form_.reset();
        EXPECT_TRUE(errors_.empty()) << errors_.front();
    }

    QString IniPath() const { return QString::fromStdString(settingsFile_); }

    // The program's start: the window built and started up from the settings, then shown, and on
    // the screen once the compositor has configured it and taken its first frame.
    void StartShown() {
        Start().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get(), 5000)) << "no frame was ever shown";
    }

    // Closes the window as its close box does (the settings are written) and returns the file's
    // geometry as "Left,Top WidthxHeight".
    std::string CloseAndReadGeometry() {
        form_->close();
        EXPECT_TRUE(form_->Closed());
        form_.reset();
        QFile file(IniPath());
        if (!file.open(QIODevice::ReadOnly)) return "no settings file";
        std::string section;
        std::string left, top, width, height;
        for (const QByteArray& raw : file.readAll().split('\n')) {
            const std::string line = raw.trimmed().toStdString();
            if (line.starts_with('[')) section = line;
            const std::size_t eq = line.find('=');
            if (section != "[FSize]" || eq == std::string::npos) continue;
            const std::string key = line.substr(0, eq);
            const std::string value = line.substr(eq + 1);
            if (key == "Left") left = value;
            if (key == "Top") top = value;
            if (key == "Width") width = value;
            if (key == "Height") height = value;
        }
        return left + "," + top + " " + width + "x" + height;
    }

    std::vector<std::string> errors_;
};

TEST_F(WaylandWindow, ScreenshotKeySavesTheSchematicStripAsTheWindowPaintsIt) {
    StartShown();
    const QRect strip = dp::ScreenshotRect(*form_, *form_->PanelSch);
    dp::TGrabSource source = dp::TGrabSource::Screen;
    const QImage painted =
        dp::GrabScreenshotStrip(*form_, strip, &source).convertToFormat(QImage::Format_RGB888);
    EXPECT_EQ(source, dp::TGrabSource::Window);

    // The headless compositor has no seat: no window of it is ever activated or gets a key, so the
    // driver runs what Ctrl+S runs (the key's binding itself is tested offscreen).
    form_->ScreenshotKey(form_->ButScr);

    const QString name = QDir::currentPath() + QStringLiteral("/SCR_1R.jpg");
    ASSERT_EQ(dialogs_->Messages().size(), 1u);
    EXPECT_EQ(dialogs_->Messages()[0].text, QStringLiteral("Файл сохранен: ") + name);
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    const QByteArray bytes = file.readAll();
    const auto jpeg = dp::test::DecodeJpeg(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    ASSERT_TRUE(jpeg.has_value()) << "not a JPEG";

    // One pixel per device pixel of the strip.
    const qreal ratio = form_->devicePixelRatioF();
    EXPECT_EQ(jpeg->width, qRound(strip.width() * ratio));
    EXPECT_EQ(jpeg->height, qRound(strip.height() * ratio));
    ASSERT_EQ(QSize(jpeg->width, jpeg->height), painted.size());

    // The schematic: black wires and texts on the light background, and the strip the window shows
    // (up to the JPEG's losses), not some other part of it.
    long dark = 0;
    long light = 0;
    long difference = 0;
    for (int y = 0; y < jpeg->height; ++y) {
        for (int x = 0; x < jpeg->width; ++x) {
            const uint8_t* p = jpeg->Pixel(x, y);
            const QRgb shown = painted.pixel(x, y);
            if (p[0] < 64 && p[1] < 64 && p[2] < 64) ++dark;
            if (p[0] > 200 && p[1] > 200 && p[2] > 200) ++light;
            difference +=
                std::abs(p[0] - qRed(shown)) + std::abs(p[1] - qGreen(shown)) + std::abs(p[2] - qBlue(shown));
        }
    }
    const long pixels = static_cast<long>(jpeg->width) * jpeg->height;
    EXPECT_GT(dark, jpeg->width) << "no wire crosses the strip";
    EXPECT_GT(light, pixels / 2) << "the background is not light";
    EXPECT_LT(static_cast<double>(difference) / (3.0 * pixels), 4.0) << "the file differs from the window";
}

// The compositor's made-up position never reaches the file: the place given is kept, so a later run
// under X11 still finds its window where it was there; the outer size holds the frame the toolkit
// decorates the window with, and so comes back unchanged however often the program starts.
struct TGeometryCase {
    const char* name;
    const char* stored; // the [FSize] section before the first start; null: no file
    QRect written;      // the outer frame in the file after each run
};

std::string GeometryText(const QRect& r) {
    return std::to_string(r.left()) + "," + std::to_string(r.top()) + " " + std::to_string(r.width()) + "x" +
           std::to_string(r.height());
}

class WaylandGeometry : public WaylandWindow, public ::testing::WithParamInterface<TGeometryCase> {};

TEST_P(WaylandGeometry, SettingsAtCloseKeepTheGivenPlaceAndTheOuterSize) {
    const TGeometryCase& c = GetParam();
    if (c.stored != nullptr) {
        QFile file(IniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.stored);
    }
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        StartShown();
        if (HasFatalFailure()) return;
        // The client area shrinks once the frame the toolkit draws is known, so that the outer size
        // is the one asked for.
        const auto outer = [this] { return form_->size().grownBy(form_->FrameMargins()); };
        (void)QTest::qWaitFor([&] { return outer() == c.written.size(); }, 2000);
        EXPECT_EQ(outer(), c.written.size());
        EXPECT_EQ(CloseAndReadGeometry(), GeometryText(c.written));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WaylandGeometry,
    ::testing::Values(TGeometryCase{"StoredPlace", "[FSize]\nWidth=900\nHeight=600\nLeft=100\nTop=50\n",
                                    QRect(100, 50, 900, 600)},
                      TGeometryCase{"NoFile", nullptr, QRect(0, 0, 834, 478)},
                      // Off every screen: the designed size, centred on the 1280 x 1024 output.
                      TGeometryCase{"OffTheScreens",
                                    "[FSize]\nWidth=900\nHeight=600\nLeft=-5000\nTop=-5000\n",
                                    QRect(223, 273, 834, 478)}),
    [](const ::testing::TestParamInfo<TGeometryCase>& info) { return std::string(info.param.name); });

} // namespace
