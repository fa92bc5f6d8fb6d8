// Handlers of the output buttons: the screenshot and printing.
#include "app/Main.h"
#include "output/print_window.h"
#include "output/screenshot.h"

#include <QPrinter>

// Every mouse-down, with whichever button, decides whether the click that follows asks for a name.
void TForm1::ButScrMouseDown(QObject*, TMouseButton, TShiftState Shift, int, int) {
    AskFileName = (Shift & ssShift) != 0;
}

void TForm1::ButScrClick(QObject*) {
    dp::MakeScreenshot(
        {.Window = this, .Schematic = PanelSch, .NumRegs = State.NumRegs, .SaveDialog = &SaveDlg},
        AskFileName);
}

// The printer chosen in the dialog stays the current printer for the next prints.
void TForm1::Button1Click(QObject*) {
    if (!PrinterSetupDialog1.Execute(this)) return;
    dp::PrintWindow(*this, PrinterSetupDialog1.Printer());
}
