#pragma once
// The chain solver: raises the last regenerator's voltage from U_RP/2 in steps of U_Step and
// computes the chain backwards until the supply voltage it needs reaches U_RP.
#include "calc/progress.h"
#include "calc/regenerator.h"
#include "calc/results_view.h"

#include <cstdint>

namespace dp {

inline constexpr double U_Step = 0.1; // volts per solver step

// The stepping loop exactly as the rule states it, one step at a time: sets StepCount, U_Calc and the
// computed fields of records 1..NumRegs. Uses s.LrpLoopOhms as set. The reference every faster
// loop must match bit for bit. Throws EMathError where the arithmetic faults (the run stops there).
void RunStepsLiteral(TCalcState& s);

// The same results as RunStepsLiteral, at a cost that does not grow with U_RP.
void RunSteps(TCalcState& s);
// The same, watched: reports how far it has come and throws ECalculationCancelled soon after a cancel
// is asked for (s then holds an unfinished run). The results do not depend on the watching.
void RunSteps(TCalcState& s, TCalcProgress& progress);

// The results a run of the steps left in from, a copy of to's inputs run elsewhere, taken into to:
// U_Calc, StepCount and the computed fields of records 1..NumRegs, every bit as the run left them.
void TakeComputedResults(TCalcState& to, const TCalcState& from);

// Most record updates a run of the steps of s can make (the fast loop never makes many more than the
// stepping rule): a measure of its time that needs no clock.
int64_t MostRecordUpdates(const TCalcState& s);

// Full calculation: PrepareCalculation, clear the log, run the steps, ShowResults.
void Calculate(TCalcState& s, TChoke choke, IResultsView& view);
// Its first part: refuses a count beyond the table, sets LrpLoopOhms from the choke.
void PrepareCalculation(TCalcState& s, TChoke choke);

// Resistance in whole ohms of one copper conductor: length in km, diameter in mm.
// Throws EMathError for a zero diameter, and "Integer overflow" beyond the 32-bit range.
int32_t LineResistance(double length, double diameter);

} // namespace dp
