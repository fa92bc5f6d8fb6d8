#pragma once
// Ending the program from outside. SIGTERM, SIGINT and SIGHUP close the main window the normal way,
// so its settings are written just as on a click of the close box, and the program ends. When the
// desktop session ends, the session manager's request for the data writes the settings at once
// (the session may still be cancelled, so the window stays open). Leaving the message loop by any
// other road writes them too, and so does a process ended by the death of the X server or of the
// session manager. A process that the toolkit ends with _exit when the Wayland compositor dies
// writes them when the toolkit announces that end (the program's message handler asks for it).
#include <QObject>
#include <QString>
#include <QtGlobal>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

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

// Whether a message of the toolkit is the one it gives just before it ends the process with _exit
// because its connection to the Wayland compositor failed: the compositor died, or it ended the
// connection for an error. That exit skips exit()'s handlers, so the message is the last moment the
// settings can be written. The toolkit may give it from its Wayland event thread and from the GUI
// thread at once.
bool AnnouncesLostDisplay(QtMsgType type, const QString& text);

// Writes the settings as SaveSettingsWithoutDisplay does, once for the process however many threads
// ask; every caller returns only after they are written. Does nothing before InstallShutdownHandlers.
void SaveBeforeLostDisplayExit();

// Runs an action once for all the threads that ask, each of them returning only after it has run.
// It runs on the GUI thread, where the window's state lives, when the asking thread is that one or
// the GUI thread's message loop takes the request within guiWait (the GUI thread may be on its way to
// the same request, or busy); otherwise on the asking thread. Made on the GUI thread.
class TRunOnceBeforeExit {
public:
    TRunOnceBeforeExit(std::function<void()> action, std::chrono::milliseconds guiWait);
    void Run();

private:
    const std::function<void()> action_;
    const std::chrono::milliseconds guiWait_;
    QObject guiThreadContext_; // takes the request on the GUI thread; requests still pending die with it
    std::mutex mutex_;
    std::condition_variable ran_;
    bool hasRun_ = false;
    bool requested_ = false;
};

} // namespace dp
