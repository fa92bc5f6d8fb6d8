#pragma once
// The main window's two non-visual dialog components. Both run their dialog through the dialog seam.
#include <QString>

#include <memory>

class QPrinter;
class QWidget;

// Save-file dialog with no filter, no default extension and no overwrite prompt. It starts in
// InitialDir and proposes FileName; a confirmed dialog leaves the chosen name in FileName, which the
// next showing proposes again.
class TSaveDialog {
public:
    QString InitialDir;
    QString FileName;

    // Shows the dialog modally; true when a name was chosen (then in FileName).
    bool Execute(QWidget* parent);
};

// Printer-setup dialog over the application's current printer. A confirmed dialog leaves the chosen
// printer and page settings in Printer().
class TPrinterSetupDialog {
public:
    TPrinterSetupDialog();
    ~TPrinterSetupDialog();
    TPrinterSetupDialog(const TPrinterSetupDialog&) = delete;
    TPrinterSetupDialog& operator=(const TPrinterSetupDialog&) = delete;

    // The current printer, made at its first use (looking for printers takes time at start-up).
    QPrinter& Printer();

    // Shows the dialog modally; true when confirmed.
    bool Execute(QWidget* parent);

private:
    std::unique_ptr<QPrinter> FPrinter;
};
