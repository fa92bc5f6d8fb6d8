#pragma once
// The fixture of the tests that start a main window. Everything the window reads or changes for the
// whole process is set for the test alone:
//   - a temporary folder of its own, the current folder for the test's duration,
//   - the settings file in that folder,
//   - the decimal comma (the locale the program is made for),
//   - scripted dialogs (ScriptedDialogs or a test's own kind of them), so nothing waits for a user,
//   - the default error reporter and step runner, which a test may replace.
// Each is a member that sets its global when built and puts it back when destroyed, so all of them
// come back however the test ends (a failed assertion in SetUp or in the body, an exception), in
// reverse order: the window first, the folder last. A fixture of its own creates the window in its
// SetUp or its tests do: with Start(), as the program starts it, or with the bare constructor.
#include "app/Main.h"
#include "app/long_calculation.h"
#include "app/uAbout.h"
#include "tests/support/scoped_error_reporter.h"
#include "tests/support/scoped_separator.h"
#include "tests/support/scoped_settings_path.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"

#include <QString>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace dp::test {

// The steps of long calculations for one scope: the solver's own from the start and after the end,
// whatever runner a test installs meanwhile.
class ScopedStepRunner {
public:
    ScopedStepRunner() { SetStepRunner({}); }
    ~ScopedStepRunner() { SetStepRunner({}); }
    ScopedStepRunner(const ScopedStepRunner&) = delete;
    ScopedStepRunner& operator=(const ScopedStepRunner&) = delete;
};

// The about window (FAbout), which the main window makes when it is first asked for: one made within
// the scope goes with it, and the one before comes back.
class ScopedAboutWindow {
public:
    ScopedAboutWindow() : previous_(FAbout) {}
    ~ScopedAboutWindow() {
        if (FAbout == previous_) return;
        delete FAbout;
        FAbout = previous_;
    }
    ScopedAboutWindow(const ScopedAboutWindow&) = delete;
    ScopedAboutWindow& operator=(const ScopedAboutWindow&) = delete;

private:
    TFAbout* previous_;
};

template <class Scripted = ScriptedDialogs> class StartedWindow : public ::testing::Test {
protected:
    // A new main window with its start-up run (the table reset, the settings, the first calculation),
    // as the program creates it: an error of the start-up calculation goes to the error reporter.
    TForm1& Start() {
        form_.reset();
        form_.reset(CreateMainWindow());
        return *form_;
    }

    // The test's folder, and the path of a file in it.
    QString Folder() const { return QString::fromStdString(folder_.Path()); }
    QString InFolder(const QString& name) const { return Folder() + u'/' + name; }

    TempFolder folder_{TempFolder::Use::AsCurrent};
    const std::string settingsFile_ = folder_.File("raschet-dp.ini");
    ScopedSettingsPath settingsPath_{settingsFile_};
    ScopedDecimalSeparator separator_{','};
    ScopedErrorReporter errorReporter_;
    ScopedStepRunner stepRunner_;
    ScopedDialogs<Scripted> dialogs_;
    ScopedAboutWindow aboutWindow_;
    std::unique_ptr<TForm1> form_;
};

} // namespace dp::test
