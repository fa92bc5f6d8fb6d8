// Handlers of the schematic: "+" and "-", and the clicks on the bold values. Each changes the table
// or U_RP and then recalculates everything.
#include "app/Main.h"

#include "schematic/editing.h"
#include "schematic/groups.h"

namespace {

// The calculation rewrites the texts of the groups, and an auto-sized text grows or shrinks with
// them: the scroll extent follows, so the last group's texts stay reachable.
void CalculateAndFit(TForm1& form) {
    form.Calculate();
    form.PanelSch->UpdateExtent();
}

} // namespace

void TForm1::ButADDClick(QObject*) {
    // The new regenerator starts as a copy of the last one's inputs.
    if (State.NumRegs > 0 && State.NumRegs < dp::MaxRegs)
        dp::CopyRegeneratorInputs(State.Regs[State.NumRegs], State.Regs[State.NumRegs + 1]);
    dp::AddRegenerator(*this);
    CalculateAndFit(*this);
}

void TForm1::ButDelClick(QObject*) {
    dp::DeleteRegenerator(*this);
    CalculateAndFit(*this);
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
    CalculateAndFit(*this);
}

void TForm1::LabRP_UClick(QObject*) {
    dp::EditSupplyVoltage(State);
    CalculateAndFit(*this);
}
