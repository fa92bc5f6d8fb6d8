#pragma once
// Ending the program from outside. SIGTERM, SIGINT and SIGHUP close the main window the normal way,
// so its settings are written just as on a click of the close box, and the program ends. When the
// desktop session ends, the session manager's request for the data writes the settings at once
// (the session may still be cancelled, so the window stays open). Leaving the message loop by any
// other road writes them too. The window writes each state of its settings at most once.
namespace dp {

// Installs the signal handlers and the session hooks on the application object, which must exist.
// The main window is the global Form1 at the moment a signal or a request is handled.
void InstallShutdownHandlers();

} // namespace dp
