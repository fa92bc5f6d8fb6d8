#pragma once
// Every event slot of the controls runs through RunGuarded: an exception thrown by a handler is
// caught here, handed to the installed error reporter and goes no further, so none crosses a Qt
// frame. The program installs a reporter that shows the standard error box.
#include <functional>
#include <string>

namespace dp {

using TErrorReporter = std::function<void(const std::string& message)>;

// Installs the reporter of errors that escape handlers; an empty function restores the default,
// which writes the message to the Qt warning log.
void SetErrorReporter(TErrorReporter reporter);

// Runs action; an escaping std::exception reaches the reporter with its what(), any other exception
// with the text "Unknown exception". Returns true when action ended normally.
bool RunGuarded(const std::function<void()>& action);

} // namespace dp
