// The program's windows under a chosen palette, for looking at them by eye under a window manager:
//     theme_window [--dark] [--about] [--limits] [--png FILE]
// --dark gives the desktop a dark palette, --about opens the about window over the main window,
// --limits starts with six regenerators and a supply voltage too low for them (the red marks and
// the notice), --png writes the main window's picture to FILE and ends (scripts/make_screenshot.sh).
// The settings are read and written where the program keeps them.
#include "app/Main.h"
#include "app/uAbout.h"
#include "controls/controls.h"
#include "controls/dialogs.h"
#include "tests/support/dark_palette.h"
#include "util/uStrUtils.h"

#include <QApplication>
#include <QTimer>

#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    bool dark = false;
    bool about = false;
    bool limits = false;
    const char* png = nullptr;
    for (int i = 1; i < argc; ++i) {
        dark |= std::strcmp(argv[i], "--dark") == 0;
        about |= std::strcmp(argv[i], "--about") == 0;
        limits |= std::strcmp(argv[i], "--limits") == 0;
        if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc) png = argv[++i];
    }
    if (dark) QApplication::setPalette(dp::test::DarkPalette());
    QApplication::setApplicationName(QString::fromUtf8(dp::kAppTitle));
    dp::SetDecimalSeparator(',');
    dp::LoadToolkitTranslations(QLocale::system());
    dp::InstallErrorBoxReporter();
    TForm1* form = CreateMainWindow();
    FAbout = new TFAbout();
    if (limits) {
        while (form->State.NumRegs < 6) form->ButADD->Click();
        form->State.U_RP = 100;
        form->Calculate();
    }
    form->show();
    if (about) QTimer::singleShot(500, form, [] { FAbout->exec(); });
    if (png != nullptr) {
        QTimer::singleShot(500, form, [form, png] {
            const bool saved = form->grab().save(QString::fromLocal8Bit(png), "PNG");
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    const int code = QApplication::exec();
    delete FAbout;
    delete form;
    return code;
}
