#pragma once
// Every modal dialog and message box of the program goes through this seam. The program uses the
// real dialogs; tests install a scripted implementation, so no test ever waits in a nested loop.
#include <QLocale>
#include <QString>

#include <optional>

class QDialog;
class QMessageBox;
class QPrinter;
class QWidget;

namespace dp {

// The application's title: the caption of the error box and of the task-bar button.
inline constexpr const char kAppTitle[] = "Расчет ДП";

enum class TMsgIcon { Information, Warning, Error };

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // Input query: caption, prompt above a single-line field prefilled (and selected) with prefill,
    // at most 255 characters, OK (default) and Cancel (also Escape). Returns the edited text after
    // OK and the prefilled text after Cancel.
    virtual QString InputQuery(const QString& caption, const QString& prompt, const QString& prefill) = 0;
    // A message box centred on the screen with one "OK" button.
    virtual void MessageBox(const QString& text, const QString& caption, TMsgIcon icon) = 0;
    // The save-file dialog: no filter, no default extension, no overwrite prompt. Returns the chosen
    // file name, or nothing when cancelled.
    virtual std::optional<QString> SaveFileName(QWidget* parent, const QString& initialDir,
                                                const QString& proposedName) = 0;
    // The printer-setup dialog on printer; true when confirmed (the printer then holds the choice).
    virtual bool PrinterSetup(QPrinter& printer, QWidget* parent) = 0;
    // Shows a window modally and returns when it is closed.
    virtual void ShowModal(QDialog& dialog) = 0;
    // Blocks the GUI thread for ms milliseconds, handling no events.
    virtual void Sleep(int ms) = 0;
};

// The dialogs in use: the real ones unless a test installed its own.
IDialogs& Dialogs();
// Installs d (not owned) in place of the real dialogs; nullptr brings the real ones back.
void SetDialogs(IDialogs* d);

// Loads the toolkit's own translations for the user's language (the file, print and input dialogs'
// texts) and installs them in the application. False when there are none for that language.
bool LoadToolkitTranslations(const QLocale& locale);

// Makes box the program's message box: caption, text (carriage returns start lines), icon and one
// button "OK", which stays "OK" in every language.
void PrepareMessageBox(QMessageBox& box, const QString& text, const QString& caption, TMsgIcon icon);

// The standard error box of an error that escaped a handler: caption "Расчет ДП", error icon.
void ShowErrorBox(const QString& message);

// Makes every error that escapes an event handler of the controls show the error box.
void InstallErrorBoxReporter();

} // namespace dp
