#include "controls/dialog_components.h"

#include "controls/dialogs.h"

#include <QPrinter>

bool TSaveDialog::Execute(QWidget* parent) {
    const std::optional<QString> name = dp::Dialogs().SaveFileName(parent, InitialDir, FileName);
    if (!name) return false;
    FileName = *name;
    return true;
}

TPrinterSetupDialog::TPrinterSetupDialog() = default;
TPrinterSetupDialog::~TPrinterSetupDialog() = default;

QPrinter& TPrinterSetupDialog::Printer() {
    if (!FPrinter) FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *FPrinter;
}

bool TPrinterSetupDialog::Execute(QWidget* parent) {
    return dp::Dialogs().PrinterSetup(Printer(), parent);
}
