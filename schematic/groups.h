#pragma once
// The regenerator groups of the schematic: one group of eleven copied controls per regenerator, laid
// out 130 pixels apart along the two wires, appended and removed only at the end of the chain.
#include "calc/regenerator.h"

class TForm1;

namespace dp {

// Width in pixels of the band every regenerator takes along the wires.
inline constexpr int kRegeneratorPitch = 130;

// Appends regenerator NumRegs + 1 and its group of copies; nothing happens at MaxRegs. The values of
// the new record are left as the table holds them, and nothing is recalculated.
void AddRegenerator(TForm1& form);

// Destroys the group of the last regenerator and drops it from the chain; nothing happens with one
// regenerator or none. The record's values stay in the table; its control references are cleared.
void DeleteRegenerator(TForm1& form);

// The input values of a regenerator that "+" hands on to the next one: RR, RR_ENT, RR_LEN, RR_DIA,
// RL_P. Computed values and control references are not copied.
void CopyRegeneratorInputs(const TRegenerator& from, TRegenerator& to);

} // namespace dp
