#include "app/shutdown.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <utility>

namespace dp {

namespace {

// The signal handler only writes the signal's number into this pair; the message loop reads the
// other end and does the real work on the GUI thread.
int signalSockets[2] = {-1, -1};

extern "C" void OnTerminationSignal(int signal) {
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &number, 1);
    errno = savedErrno;
}

TShutdownActions& Actions() {
    static TShutdownActions actions;
    return actions;
}

// Closes the main window as the close box does (the settings are written), then leaves every
// running message loop, a modal dialog's included.
void CloseMainWindow() {
    if (Actions().CloseWindow) Actions().CloseWindow();
    if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}

void SaveMainWindowSettings() {
    if (Actions().SaveSettings) Actions().SaveSettings();
}

// Runs as the process ends by exit(). After a normal end the main window is gone and closed, so
// this writes nothing; when the toolkit or the session library calls exit() from inside the message
// loop because the display or the session manager died, the window still exists and its settings
// are written here, with no window system left to ask.
extern "C" void SaveOnExit() {
    try {
        if (Actions().SaveSettingsWithoutDisplay) Actions().SaveSettingsWithoutDisplay();
    } catch (...) {
        // Nothing can be reported any more; the process is ending.
    }
}

// The toolkit's threads meet here when the Wayland connection fails; made by
// InstallShutdownHandlers and kept for the life of the process.
std::atomic<TRunOnceBeforeExit*> lostDisplaySave{nullptr};

// How long a thread of the toolkit waits for the GUI thread to write the settings before it writes
// them itself: the GUI thread takes a request at once unless it is busy with a long handler.
constexpr std::chrono::milliseconds kGuiThreadWait{2000};

// A signal that was ignored when the program started (nohup ignores SIGHUP) stays ignored.
bool IgnoredAtStart(int signal) {
    struct sigaction old = {};
    return ::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN;
}

} // namespace

void InstallShutdownHandlers(TShutdownActions actions) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || signalSockets[0] != -1) return;
    Actions() = std::move(actions);

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) == 0) {
        // The handler must never block, whatever arrives.
        ::fcntl(signalSockets[0], F_SETFL, ::fcntl(signalSockets[0], F_GETFL) | O_NONBLOCK);
        ::fcntl(signalSockets[1], F_SETFL, ::fcntl(signalSockets[1], F_GETFL) | O_NONBLOCK);
        auto* notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, app);
        QObject::connect(notifier, &QSocketNotifier::activated, app, [] {
            unsigned char buffer[64];
            while (::read(signalSockets[1], buffer, sizeof buffer) > 0) {
            }
            CloseMainWindow();
        });

        struct sigaction action = {};
        action.sa_handler = OnTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int signal : {SIGTERM, SIGINT, SIGHUP})
            if (!IgnoredAtStart(signal)) ::sigaction(signal, &action, nullptr);
    }

    // The session manager asks for the data when the session ends, and for the state at a
    // checkpoint (where the toolkit asks for the state only).
    if (auto* gui = qobject_cast<QGuiApplication*>(app)) {
        QObject::connect(gui, &QGuiApplication::commitDataRequest, app,
                         [](QSessionManager&) { SaveMainWindowSettings(); });
        QObject::connect(gui, &QGuiApplication::saveStateRequest, app,
                         [](QSessionManager&) { SaveMainWindowSettings(); });
    }
    std::atexit(SaveOnExit);
    lostDisplaySave.store(new TRunOnceBeforeExit(SaveOnExit, kGuiThreadWait));
    // Any road out of the message loop that did not close the window.
    QObject::connect(app, &QCoreApplication::aboutToQuit, app, [] { SaveMainWindowSettings(); });
}

bool AnnouncesLostDisplay(QtMsgType type, const QString& text) {
    // Qt 6.4 gives one of these and calls _exit; later versions add where the read failed ("broke
    // during blocking read event", "fatal error during blocking read event").
    return type == QtWarningMsg &&
           (text.startsWith(QLatin1String("The Wayland connection broke")) ||
            text.startsWith(QLatin1String("The Wayland connection experienced a fatal error")));
}

void SaveBeforeLostDisplayExit() {
    if (TRunOnceBeforeExit* save = lostDisplaySave.load()) save->Run();
}

TRunOnceBeforeExit::TRunOnceBeforeExit(std::function<void()> action, std::chrono::milliseconds guiWait)
    : action_(std::move(action)), guiWait_(guiWait) {}

void TRunOnceBeforeExit::Run() {
    std::unique_lock lock(mutex_);
    if (hasRun_) return;
    const QCoreApplication* app = QCoreApplication::instance();
    if (app != nullptr && QThread::currentThread() != app->thread()) {
        if (!requested_) {
            requested_ = true;
            QMetaObject::invokeMethod(
                &guiThreadContext_, [this] { Run(); }, Qt::QueuedConnection);
        }
        if (ran_.wait_for(lock, guiWait_, [this] { return hasRun_; })) return;
    }
    // Under the lock: a thread that comes meanwhile waits here until the action has run.
    try {
        action_();
    } catch (...) {
        // Nothing can be reported any more; the process is ending.
    }
    hasRun_ = true;
    ran_.notify_all();
}

} // namespace dp
