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

// Appends text to the log. A line with always false is a debug line: it is written only when
// s.DebugLog is true, and then with the prefix " debug: ".
void AddLog(const TCalcState& s, IResultsView& view, const std::string& text, bool always);

// Paints the given source label red and shows the notice that the chain cannot be fed.
void MarkImpossible(IResultsView& view, TSourceLabel label);

} // namespace dp
