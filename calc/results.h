#pragma once
// The results of a calculation as the user sees them: label texts, colours, the notice and the log.
#include "calc/regenerator.h"
#include "calc/results_view.h"

#include <string>

namespace dp {

// Writes the source's four result labels and the six labels of every regenerator in use, checks the
// power, the step count and the current against their limits, and appends the log lines.
// Called by Calculate as its last step. Throws EMathError where the arithmetic faults (absurd inputs);
// the labels and log lines written before the fault stay.
void ShowResults(const TCalcState& s, IResultsView& view);

// After a cancelled calculation: the labels of the inputs (U_RP, every regenerator's resistance, length
// and diameter, name and power) show the inputs as they are now, so that an edit stays in view; the
// results stay those of the last calculation that was shown, which wrote the result labels of
// regenerators 1..regsWithResults. The result labels of the regenerators beyond (groups added since)
// show question marks, and so do the source's when no calculation has been shown yet (regsWithResults
// -1): then no label is red and the notice is hidden. Appends one line to the log that says so.
void ShowCancelled(const TCalcState& s, IResultsView& view, int regsWithResults);

// Appends text to the log. A line with always false is a debug line: it is written only when
// s.DebugLog is true, and then with the prefix " debug: ".
void AddLog(const TCalcState& s, IResultsView& view, const std::string& text, bool always);

// Paints the given source label red and shows the notice that the chain cannot be fed.
void MarkImpossible(IResultsView& view, TSourceLabel label);

} // namespace dp
