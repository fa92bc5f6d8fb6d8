#pragma once
// A window started as the program starts it, with its settings file in a temporary folder of its own.
#include "app/Main.h"
#include "settings/app_settings.h"
#include "tests/support/scripted_dialogs.h"
#include "util/uStrUtils.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ostream>

#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

namespace dp::test {

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Processes events until done() holds or the time is up; returns done().
template <class Done> bool ProcessEventsUntil(Done done, int timeoutMs = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("raschet-dp.ini")).toStdString();
        SetSettingsPath(path_);
        SetDecimalSeparator(',');
    }
    void TearDown() override {
        form_.reset();
        SetSettingsPath(std::string());
        SetDecimalSeparator('.');
    }

    void WriteIni(const std::string& text) const { WriteFile(path_, text); }
    std::string ReadIni() const { return ReadFile(path_); }

    // A new main window with its start-up run (the table reset, the settings, the first calculation),
    // as the program creates it: an error of the start-up calculation goes to the error reporter.
    TForm1& Start() {
        form_.reset();
        form_.reset(CreateMainWindow());
        return *form_;
    }

    // Shows the window and waits until the window system's frame has the outer size asked for.
    void ShowAndSettle() {
        form_->show();
        ProcessEventsUntil([&] {
            return form_->frameGeometry().size() == QSize(form_->Width(), form_->Height()) &&
                   !form_->FrameMargins().isNull();
        });
    }

    QTemporaryDir dir_;
    std::string path_;
    ScopedScriptedDialogs dialogs_;
    std::unique_ptr<TForm1> form_;
};

} // namespace dp::test
