// The started-window fixture puts back every global it and its test changed, also when the test
// fails halfway: a failed assertion returns from the test at once, and TearDown is no help here,
// since the restoring is left to the fixture's members alone.
#include "app/Main.h"
#include "app/long_calculation.h"
#include "app/uAbout.h"
#include "calc/progress.h"
#include "calc/regenerator.h"
#include "controls/controls.h"
#include "controls/dialogs.h"
#include "controls/event_guard.h"
#include "settings/app_settings.h"
#include "tests/support/started_window.h"
#include "util/uStrUtils.h"

#include <QFile>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace dp::test {
namespace {

// A started window whose test changes what a test may change, then fails.
class WindowTestThatFails : public StartedWindow<> {
public:
    // What the last one saw, looked at after it is gone.
    static inline std::string folder;
    static inline std::vector<std::string> reported;

    void TestBody() override {}
    void FailHalfway() {
        folder = folder_.Path();
        Start();
        WriteFile(InFolder(QStringLiteral("left behind.txt")));
        SetErrorReporter([](const std::string& message) { reported.push_back(message); });
        SetStepRunner([](TCalcState&, TCalcProgress&) {});
        dialogs_->ExpectShowModal();
        form_->ButHelp->Click(); // makes the about window
        ASSERT_TRUE(false) << "the test fails here";
    }

private:
    static void WriteFile(const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
};

TEST(StartedWindow, PutsEveryGlobalBackWhenItsTestFails) {
    const std::filesystem::path current = std::filesystem::current_path();
    const std::string settingsFile = SettingsPath();
    const ScopedDecimalSeparator point('.');
    ASSERT_EQ(FAbout, nullptr);

    EXPECT_FATAL_FAILURE(
        {
            WindowTestThatFails test;
            test.FailHalfway();
        },
        "the test fails here");

    ASSERT_FALSE(WindowTestThatFails::folder.empty());
    EXPECT_FALSE(std::filesystem::exists(WindowTestThatFails::folder)) << "the folder is removed";
    EXPECT_EQ(std::filesystem::current_path(), current);
    EXPECT_EQ(SettingsPath(), settingsFile);
    EXPECT_EQ(DecimalSeparator(), '.');
    EXPECT_EQ(Form1, nullptr);
    EXPECT_EQ(FAbout, nullptr);
    EXPECT_EQ(dynamic_cast<ScriptedDialogs*>(&Dialogs()), nullptr) << "the real dialogs are back";
    RunGuarded([] { throw std::runtime_error("after the test"); });
    EXPECT_TRUE(WindowTestThatFails::reported.empty()) << "the test's error reporter is gone";
}

} // namespace
} // namespace dp::test
