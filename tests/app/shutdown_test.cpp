// The roads out of the program all write the settings, and one state is written once: signals in
// this process, the session manager's request while the window stays open, the real program ended by
// SIGTERM, SIGINT and SIGHUP, and the write before the toolkit's exit for a lost Wayland connection
// (the message that announces it, and the one run for all the threads that give it).
#include "app/shutdown.h"
#include "tests/settings/settings_fixture.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <gmock/gmock.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <fstream>
#include <thread>
#include <vector>

namespace dp::test {
namespace {

using ::testing::HasSubstr;

const std::string kMarker = "; not written since\n";

TEST_F(SettingsTest, SignalsCloseTheWindowAndWriteOnce) {
    InstallShutdownHandlers(MainWindowShutdownActions());
    WriteIni("[COMMON]\nU_RP=420\n");
    TForm1& f = Start();
    f.show();
    f.State.U_RP = 430;
    ASSERT_EQ(std::raise(SIGTERM), 0);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !f.isVisible(); }));
    EXPECT_THAT(ReadIni(), HasSubstr("U_RP=430\n"));

    // Whatever comes after the close writes nothing more.
    WriteIni(kMarker);
    ASSERT_EQ(std::raise(SIGHUP), 0);
    ASSERT_EQ(std::raise(SIGINT), 0);
    ProcessEventsUntil([] { return false; }, 200);
    f.close();
    f.SaveSettingsOnce(); // what leaving the message loop does
    EXPECT_EQ(ReadIni(), kMarker);
}

// The session manager asks for the data (at the end of the session, or at a checkpoint after which
// the user carries on): the current state is written, and the same state is never written again.
TEST_F(SettingsTest, SessionRequestWritesEachStateOnce) {
    TForm1& f = Start();
    f.SaveSettingsOnce();
    EXPECT_THAT(ReadIni(), HasSubstr("U_RP=370\n"));

    WriteIni(kMarker);
    f.SaveSettingsOnce();
    EXPECT_EQ(ReadIni(), kMarker);

    f.State.U_RP = 380; // the session went on and the user changed something
    f.SaveSettingsOnce();
    EXPECT_THAT(ReadIni(), HasSubstr("U_RP=380\n"));

    WriteIni(kMarker);
    f.close(); // nothing changed since the last write
    EXPECT_EQ(ReadIni(), kMarker);
}

// ---- The real program ----

constexpr std::uint64_t Bit(int signal) {
    return 1ull << (signal - 1);
}

// The process's signal mask of one kind from /proc ("SigCgt" caught, "SigIgn" ignored).
std::uint64_t SignalMask(qint64 pid, const std::string& kind) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(kind + ":", 0) == 0) return std::stoull(line.substr(kind.size() + 1), nullptr, 16);
    return 0;
}

// Whether the process has installed handlers for all three signals.
bool CatchesSignals(qint64 pid, std::uint64_t wanted = Bit(SIGTERM) | Bit(SIGINT) | Bit(SIGHUP)) {
    return (SignalMask(pid, "SigCgt") & wanted) == wanted;
}

QProcessEnvironment ProgramEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C")); // the point as the decimal separator
    // In a sanitizer build the exit code must tell how the program ended, not what the toolkit leaks.
    const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               asan.isEmpty() ? QStringLiteral("detect_leaks=0") : asan + QStringLiteral(":detect_leaks=0"));
    return env;
}

struct SignalCase {
    const char* name;
    int signal;
};

void PrintTo(const SignalCase& c, std::ostream* os) {
    *os << c.name;
}

class ProgramEndedBySignal : public SettingsTest, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(ProgramEndedBySignal, WritesTheSettingsAndExitsNormally) {
    // The program keeps its settings beside itself: a copy of it lives in the test's folder.
    const QString program = InFolder(QStringLiteral("raschet-dp"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(DP_PROGRAM_PATH), program));
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    WriteIni("[COMMON]\nU_RP=400\nNumRegs=3\n[REG2]\nRL_P=7.5\n");

    QProcess process;
    process.setProcessEnvironment(ProgramEnvironment());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, {});
    ASSERT_TRUE(process.waitForStarted(10000));
    const qint64 pid = process.processId();
    for (int i = 0; i < 1000 && !CatchesSignals(pid); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(CatchesSignals(pid)) << "the program never installed its signal handlers";

    ASSERT_EQ(::kill(static_cast<pid_t>(pid), GetParam().signal), 0);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);

    const std::string saved = ReadIni();
    EXPECT_THAT(saved, HasSubstr("[COMMON]\nU_RP=400\nNumRegs=3\nP_RP=150\nR_LRP=16\n"));
    EXPECT_THAT(saved, HasSubstr("[REG2]\nRL_P=7.5\nRR_ENT=1\nRR=256\nRR_LEN=10\nRR_DIA=1.2\n"));
    EXPECT_THAT(saved, HasSubstr("[REG3]\nRR_ENT=1\nRR=256\nRR_LEN=10\nRR_DIA=1.2\nRL_P=5.5\n"));
    EXPECT_THAT(saved, HasSubstr("[FSize]\nWidth=834\nHeight=478\nLeft=0\nTop=0"));
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramEndedBySignal,
                         ::testing::Values(SignalCase{"Term", SIGTERM}, SignalCase{"Interrupt", SIGINT},
                                           SignalCase{"HangUp", SIGHUP}),
                         [](const auto& info) { return std::string(info.param.name); });

// Started under nohup (SIGHUP ignored): the hang-up stays ignored, the other two still close.
TEST_F(SettingsTest, HangUpIgnoredAtStartStaysIgnored) {
    QProcess process;
    process.setProcessEnvironment(ProgramEnvironment());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("trap '' HUP; exec \"$0\""),
                                         QStringLiteral(DP_PROGRAM_PATH)});
    ASSERT_TRUE(process.waitForStarted(10000));
    const qint64 pid = process.processId();
    const std::uint64_t closing = Bit(SIGTERM) | Bit(SIGINT);
    for (int i = 0; i < 1000 && !CatchesSignals(pid, closing); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(CatchesSignals(pid, closing));
    EXPECT_NE(SignalMask(pid, "SigIgn") & Bit(SIGHUP), 0u);
    EXPECT_EQ(SignalMask(pid, "SigCgt") & Bit(SIGHUP), 0u);
    ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGTERM), 0);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0);
}

// ---- The toolkit's exit when the Wayland connection fails ----

struct MessageCase {
    const char* name;
    QtMsgType type;
    const char* text;
    bool announcesExit;
};

void PrintTo(const MessageCase& c, std::ostream* os) {
    *os << c.name;
}

class ToolkitMessage : public ::testing::TestWithParam<MessageCase> {};

TEST_P(ToolkitMessage, AnnouncesTheExitOnlyForALostWaylandConnection) {
    const MessageCase& c = GetParam();
    EXPECT_EQ(AnnouncesLostDisplay(c.type, QString::fromUtf8(c.text)), c.announcesExit);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ToolkitMessage,
    ::testing::Values(
        // Qt 6.4's two messages before its _exit(1): the compositor died, or it ended the connection.
        MessageCase{"CompositorDied", QtWarningMsg,
                    "The Wayland connection broke. Did the Wayland compositor die?", true},
        MessageCase{"ConnectionError", QtWarningMsg,
                    "The Wayland connection experienced a fatal error: Protocol error", true},
        // Later versions say where the read failed.
        MessageCase{
            "CompositorDiedDuringRead", QtWarningMsg,
            "The Wayland connection broke during blocking read event. Did the Wayland compositor die?", true},
        MessageCase{
            "ConnectionErrorDuringRead", QtWarningMsg,
            "The Wayland connection experienced a fatal error during blocking read event: Broken pipe", true},
        // Not the toolkit's warning, and warnings after which the program goes on.
        MessageCase{"SameTextAsDebug", QtDebugMsg,
                    "The Wayland connection broke. Did the Wayland compositor die?", false},
        MessageCase{"OtherWaylandWarning", QtWarningMsg,
                    "Wayland does not support QWindow::requestActivate()", false},
        MessageCase{"X11Warning", QtWarningMsg, "qt.qpa.xcb: QXcbConnection: XCB error: 3 (BadWindow)",
                    false},
        MessageCase{"QuotedInAnother", QtWarningMsg,
                    "Reported: The Wayland connection broke. Did the Wayland compositor die?", false},
        MessageCase{"Empty", QtWarningMsg, "", false}),
    [](const auto& info) { return std::string(info.param.name); });

// The toolkit's Wayland threads and the GUI thread may announce the exit at once; each goes on to
// its _exit as soon as it returns, so every one of them must return only after the settings are
// written, and they are written once.
struct RunOnceCase {
    const char* name;
    int otherThreads;          // threads besides the GUI thread that ask
    bool guiThreadAsks;        // the GUI thread asks too, after them
    bool guiThreadTakesEvents; // false: the GUI thread is busy and takes no request
    bool runsOnGuiThread;
};

void PrintTo(const RunOnceCase& c, std::ostream* os) {
    *os << c.name;
}

class RunOnceBeforeExit : public ::testing::TestWithParam<RunOnceCase> {};

TEST_P(RunOnceBeforeExit, RunsOnceAndEveryCallerReturnsAfterIt) {
    using namespace std::chrono_literals;
    const RunOnceCase& c = GetParam();
    std::atomic<int> runs{0};
    std::atomic<bool> finished{false};
    std::thread::id ranOn;
    const auto action = [&] {
        ranOn = std::this_thread::get_id();
        std::this_thread::sleep_for(50ms); // long enough for the other callers to arrive meanwhile
        ++runs;
        finished = true;
    };
    // Where the GUI thread is to run it, however late it comes; else waited for a short while only.
    TRunOnceBeforeExit once(action, c.runsOnGuiThread ? 10000ms : 100ms);

    std::atomic<int> returned{0};
    std::atomic<int> returnedEarly{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < c.otherThreads; ++i) {
        threads.emplace_back([&] {
            once.Run();
            if (!finished) ++returnedEarly;
            ++returned;
        });
    }
    if (c.guiThreadAsks) {
        std::this_thread::sleep_for(20ms); // the other threads are waiting for the GUI thread now
        once.Run();
        EXPECT_TRUE(finished) << "the GUI thread returned before the action had run";
    }
    if (c.guiThreadTakesEvents) {
        EXPECT_TRUE(ProcessEventsUntil([&] { return returned == c.otherThreads; }, 5000));
    }
    for (std::thread& t : threads) t.join();
    // A request still queued for the GUI thread runs nothing more.
    ProcessEventsUntil([] { return false; }, 100);

    EXPECT_EQ(runs, 1);
    EXPECT_EQ(returnedEarly, 0);
    EXPECT_EQ(returned, c.otherThreads);
    EXPECT_EQ(ranOn == std::this_thread::get_id(), c.runsOnGuiThread);
}

INSTANTIATE_TEST_SUITE_P(Callers, RunOnceBeforeExit,
                         ::testing::Values(RunOnceCase{"GuiThreadAlone", 0, true, true, true},
                                           RunOnceCase{"OtherThreadAndIdleGuiThread", 1, false, true, true},
                                           RunOnceCase{"OtherThreadAndBusyGuiThread", 1, false, false, false},
                                           RunOnceCase{"ThreadsAndGuiThreadAtOnce", 3, true, true, true},
                                           RunOnceCase{"ThreadsAndGuiThreadBeforeItTakesTheRequest", 3, true,
                                                       false, true},
                                           RunOnceCase{"ThreadsAndBusyGuiThread", 3, false, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace dp::test
