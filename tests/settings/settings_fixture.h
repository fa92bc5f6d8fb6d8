#pragma once
// A window started as the program starts it, with its settings file in a temporary folder of its own.
#include "app/Main.h"
#include "tests/support/started_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSize>

#include <fstream>
#include <iterator>
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

// The window is started by each test (Start()), after it has written the settings file it wants.
class SettingsTest : public StartedWindow<> {
protected:
    void WriteIni(const std::string& text) const { WriteFile(settingsFile_, text); }
    std::string ReadIni() const { return ReadFile(settingsFile_); }

    // Shows the window and waits until the window system's frame has the outer size asked for.
    void ShowAndSettle() {
        form_->show();
        ProcessEventsUntil([&] {
            return form_->frameGeometry().size() == QSize(form_->Width(), form_->Height()) &&
                   !form_->FrameMargins().isNull();
        });
    }
};

} // namespace dp::test
