#include "controls/event_guard.h"

#include <QtGlobal>

#include <exception>
#include <utility>

namespace dp {
namespace {

TErrorReporter& Reporter() {
    static TErrorReporter reporter;
    return reporter;
}

void Report(const std::string& message) noexcept {
    try {
        if (Reporter()) {
            Reporter()(message);
            return;
        }
    } catch (...) {
        // A failing reporter must not let the error through either; fall back to the log.
    }
    qWarning("%s", message.c_str());
}

} // namespace

void SetErrorReporter(TErrorReporter reporter) {
    Reporter() = std::move(reporter);
}

bool RunGuarded(const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        Report(e.what());
    } catch (...) {
        Report("Unknown exception");
    }
    return false;
}

} // namespace dp
