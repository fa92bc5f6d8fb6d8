#pragma once
// Ending the program from outside. SIGTERM, SIGINT and SIGHUP close the main window the normal way,
// so its settings are written just as on a click of the close box, and the program ends. When the
// desktop session ends, the session manager's request for the data writes the settings at once
// (the session may still be cancelled, so the window stays open). Leaving the message loop by any
// other road writes them too.
#include <functional>

namespace dp {

// What the shut-down paths do with the main window.
struct TShutdownActions {
    // Closes the main window as its close box does (its close writes the settings).
    std::function<void()> CloseWindow;
    // Writes the settings of the window, which stays open (it writes each state at most once).
    std::function<void()> SaveSettings;
};

// Installs the signal handlers and the session hooks on the application object, which must exist.
// A signal runs CloseWindow and then leaves every running message loop; the session manager's request
// and the end of the message loop run SaveSettings. Installed once: later calls change nothing.
void InstallShutdownHandlers(TShutdownActions actions);

} // namespace dp
