// Handlers of the schematic: "+" and "-", and the clicks on the bold values.
#include "app/Main.h"

// Filled in by the schematic work.
void TForm1::ButADDClick(QObject*) {}

// Filled in by the schematic work.
void TForm1::ButDelClick(QObject*) {}

// Filled in by the schematic work.
void TForm1::LabRClick(QObject*) {}

// Filled in by the schematic work.
void TForm1::LabRP_UClick(QObject*) {}
