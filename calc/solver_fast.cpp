// The stepping loop at a cost that does not grow with the supply voltage.
#include "calc/solver.h"

namespace dp {

void RunSteps(TCalcState& s) { RunStepsLiteral(s); }

} // namespace dp
