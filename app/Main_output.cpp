// Handlers of the output buttons: the screenshot and printing.
#include "app/Main.h"

// Filled in by the output work.
void TForm1::ButScrMouseDown(QObject*, TMouseButton, TShiftState, int, int) {}

// Filled in by the output work.
void TForm1::ButScrClick(QObject*) {}

// Filled in by the output work.
void TForm1::Button1Click(QObject*) {}
