// The stepping rule, one step at a time. Kept as the reference for the fast loop.
#include "calc/chain_step.h"
#include "calc/solver.h"

namespace dp {

void RunStepsLiteral(TCalcState& s) {
    s.StepCount = 0;
    double x = static_cast<double>(s.U_RP) / 2.0;
    s.U_Calc = 0.0;
    const double target = static_cast<double>(s.U_RP);
    if (s.NumRegs < 1) return; // an empty chain takes no step, like a supply voltage of 0
    while (target > s.U_Calc) {
        ++s.StepCount;
        x = x + U_Step;
        EvaluateChain(s, x);
        if (x > target) break;
    }
}

} // namespace dp
