// Handlers of the schematic: "+" and "-", and the clicks on the bold values. Each changes the table
// or U_RP and then recalculates everything.
#include "app/Main.h"

#include "schematic/editing.h"
#include "schematic/groups.h"

void TForm1::ButADDClick(QObject*) {
    // The new regenerator starts as a copy of the last one's inputs.
    if (State.NumRegs > 0 && State.NumRegs < dp::MaxRegs)
        dp::CopyRegeneratorInputs(State.Regs[State.NumRegs], State.Regs[State.NumRegs + 1]);
    AddRegeneratorGroup();
    Calculate();
}

void TForm1::ButDelClick(QObject*) {
    DeleteRegeneratorGroup();
    Calculate();
}

// An arithmetic error (a zero diameter, a value the chain cannot be computed with) leaves the handler
// and reaches the error box through the controls' event guard.
void TForm1::LabRClick(QObject* Sender) {
    const dp::TEditTarget target = dp::FindEditTarget(State, Sender);
    switch (target.Field) {
    case dp::TEditField::None:
        return; // no regenerator in use owns the control: nothing to edit, nothing to recalculate
    case dp::TEditField::Resistance:
        dp::EditResistance(State, target.Index);
        break;
    case dp::TEditField::Power:
        dp::EditPower(State, target.Index);
        break;
    case dp::TEditField::LengthDiameter:
        dp::EditLengthDiameter(State, target.Index);
        break;
    }
    Calculate();
}

void TForm1::LabRP_UClick(QObject*) {
    dp::EditSupplyVoltage(State);
    Calculate();
}
