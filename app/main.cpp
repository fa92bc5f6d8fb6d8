// Program entry: the application titled "Расчет ДП", the main window with its start-up, the about
// window, and the message loop. Errors that escape a handler are shown in the error box.
#include "app/Main.h"
#include "app/shutdown.h"
#include "app/toolkit_settings.h"
#include "app/uAbout.h"
#include "controls/dialogs.h"
#include "controls/shared_icons.h"
#include "util/uStrUtils.h"

#include <QApplication>
#include <QIcon>
#include <QList>
#include <QLocale>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

// The last guard of the message loop: an error that a handler let through is shown, and the loop goes on.
class TApplication final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            dp::ShowErrorBox(QString::fromUtf8(e.what()));
        } catch (...) {
            dp::ShowErrorBox(QStringLiteral("Unknown error"));
        }
        return false;
    }
};

bool EnvSet(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0';
}

// The decimal separator of the user's locale; a separator outside ASCII falls back to the point.
char LocaleDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    if (point.size() == 1 && point[0].unicode() > 32 && point[0].unicode() < 127) {
        return static_cast<char>(point[0].unicode());
    }
    return '.';
}

// While the application object connects to the display, the toolkit's messages are held back: when
// no display answers, the toolkit ends the process with a fatal message about reinstalling it, and
// the program says instead what is wrong and how to start it. Messages of a start that succeeds are
// passed on as they came. After the start, the message that announces the toolkit's exit for a
// lost Wayland connection first has the settings written.
struct THeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
QList<THeldMessage>* heldMessages = nullptr;
QtMessageHandler passOn = nullptr;
const char* programName = "raschet-dp";

void PrintMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (passOn != nullptr)
        passOn(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

void HoldStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (dp::AnnouncesLostDisplay(type, text)) {
        // The process ends right after it, and there is no window yet whose settings could be lost.
        PrintMessage(type, context, text);
        return;
    }
    if (type == QtFatalMsg) {
        const char* display = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        std::fprintf(stderr,
                     "%s: cannot open the window: no display answers at DISPLAY=\"%s\"%s%s%s.\n"
                     "Start it from a desktop session, or under a virtual display:\n"
                     "    xvfb-run -a %s\n",
                     programName, display ? display : "", wayland ? " or WAYLAND_DISPLAY=\"" : "",
                     wayland ? wayland : "", wayland ? "\"" : "", programName);
        std::_Exit(2);
    }
    heldMessages->append({type, context.category ? QByteArray(context.category) : QByteArray(), text});
}

// The toolkit ends the process with _exit as soon as this returns: the message first, then the
// settings (a second thread with the same message waits here until they are written).
void PassOnMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    PrintMessage(type, context, text);
    if (dp::AnnouncesLostDisplay(type, text)) dp::SaveBeforeLostDisplayExit();
}

void PassOnHeldMessages() {
    qInstallMessageHandler(PassOnMessage);
    for (const THeldMessage& m : *heldMessages) {
        const QMessageLogContext context(nullptr, 0, nullptr,
                                         m.category.isEmpty() ? nullptr : m.category.constData());
        PrintMessage(m.type, context, m.text);
    }
    delete heldMessages;
    heldMessages = nullptr;
}

// The program's icon in every size it is drawn in.
QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace

int main(int argc, char** argv) {
    if (!EnvSet("DISPLAY") && !EnvSet("WAYLAND_DISPLAY") && !EnvSet("QT_QPA_PLATFORM")) {
        std::fprintf(stderr,
                     "%s: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                     "Start it from a desktop session, or under a virtual display:\n"
                     "    xvfb-run -a %s\n",
                     argv[0], argv[0]);
        return 2;
    }

    if (argc > 0) programName = argv[0];
    heldMessages = new QList<THeldMessage>();
    passOn = qInstallMessageHandler(HoldStartMessage);
    TApplication app(argc, argv);
    PassOnHeldMessages();
    dp::KeepToolkitSettingsInMemory();
    dp::InstallSharedStandardIcons();
    QApplication::setApplicationName(QString::fromUtf8(dp::kAppTitle));
    // Task bars and Wayland shells match the window to the installed desktop entry by this name and
    // show its icon; the title bar gets the same icon from the program itself.
    QGuiApplication::setDesktopFileName(QStringLiteral("ru.raschetdp.RaschetDP"));
    QApplication::setWindowIcon(ProgramIcon());
    dp::SetDecimalSeparator(LocaleDecimalSeparator());
    // The toolkit's dialogs speak the user's language; the program's own message boxes keep theirs.
    dp::LoadToolkitTranslations(QLocale::system());
    dp::InstallErrorBoxReporter();
    // SIGTERM, SIGINT, SIGHUP and the end of the session close the window the normal way.
    dp::InstallShutdownHandlers(MainWindowShutdownActions());

    // Form1 is set inside the constructor, before the components are built; the creation handler runs
    // InitProgram while the window is still hidden.
    TForm1* form = CreateMainWindow();
    FAbout = new TFAbout();
    // A termination signal during a long start-up calculation has already closed the window (and
    // written the settings): the program ends without showing it.
    int code = 0;
    if (!form->Closed()) {
        form->show();
        code = QApplication::exec();
    }
    delete FAbout;
    FAbout = nullptr;
    delete form;
    return code;
}
