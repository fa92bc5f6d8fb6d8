#pragma once
// Ending the program from outside. SIGTERM, SIGINT and SIGHUP close the main window the normal way,
// so its settings are written just as on a click of the close box, and the program ends. When the
// desktop session ends, the session manager's request for the data writes the settings at once
// (the session may still be cancelled, so the window stays open). Leaving the message loop by any
// other road writes them too, and so does a process ended by the death of the X server or of the
// session manager.
#include <functional>

namespace dp {

// What the shut-down paths do with the main window.
struct TShutdownActions {
    // Closes the main window as its close box does (its close writes the settings).
    std::function<void()> CloseWindow;
    // Writes the settings of the window, which stays open (it writes each state at most once).
    std::function<void()> SaveSettings;
    // Writes them as the process ends with the display gone, with the window's last known frame.
    std::function<void()> SaveSettingsWithoutDisplay;
};

// Installs the signal handlers and the session hooks on the application object, which must exist.
// A signal runs CloseWindow and then leaves every running message loop; the session manager's
// requests (the data at the end of the session, the state at a checkpoint) and the end of the message
// loop run SaveSettings. A process that ends through exit() without leaving the loop (the toolkit
// does that when the X server dies, the session library when the session manager does) runs
// SaveSettingsWithoutDisplay on its way out. A signal that was ignored when the program started
// (under nohup) stays ignored. Installed once: later calls change nothing.
void InstallShutdownHandlers(TShutdownActions actions);

} // namespace dp
