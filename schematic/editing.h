#pragma once
// Editing the inputs on the schematic: a click on a bold value finds what it stands for, asks for
// the new value in an input dialog and stores what parses. Recalculation is the caller's part.
#include "calc/regenerator.h"

class QObject;

namespace dp {

// What a clicked control of a regenerator group edits.
enum class TEditField { None, Resistance, Power, LengthDiameter };

struct TEditTarget {
    int Index = 0; // regenerator 1..NumRegs; 0 when nothing matched
    TEditField Field = TEditField::None;
};

// The first regenerator 1..NumRegs whose resistance, power or length text (compared in this order)
// is sender; {0, None} when none is.
TEditTarget FindEditTarget(const TCalcState& s, const QObject* sender);

// Resistance of section index in ohms: the typed integer if it parses; marks the resistance as
// typed in either case.
void EditResistance(TCalcState& s, int index);

// Power of regenerator index in watts: the typed real if it parses.
void EditPower(TCalcState& s, int index);

// Length (km), then diameter (mm) of section index, each stored if it parses; then the resistance
// is computed from them and marked as computed. A length and diameter without a resistance (a zero
// diameter, a value beyond the 32-bit range) throw EMathError after both are stored; the resistance
// and its mark then stay as they were.
void EditLengthDiameter(TCalcState& s, int index);

// The supply voltage U_RP in volts: the typed integer if it parses.
void EditSupplyVoltage(TCalcState& s);

} // namespace dp
