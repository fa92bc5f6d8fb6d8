#pragma once
// One solver step: the chain evaluated backwards from the last regenerator held at voltage x.
#include "calc/regenerator.h"
#include "util/math_errors.h"

namespace dp {

// Writes RL_U, RL_I, RR_I, RR_U of records NumRegs..1 and U_Calc, each stored as a double before its
// next use. Throws EMathError at the first faulting operation; the fields written before it stay.
// Inlined wherever it is called, so that every stepping loop runs the same code at the same speed.
[[gnu::always_inline]] inline void EvaluateChain(TCalcState& s, double x) {
    const int n = s.NumRegs;
    if (n < 1) return;
    TRegenerator& last = s.Regs[n];
    last.RL_U = x;
    last.RL_I = CheckedDiv(last.RL_P, last.RL_U);
    last.RR_I = last.RL_I;
    // The chokes add their loop resistance to every section (integer sum, then real; summed in 64 bits
    // so that a resistance near the 32-bit limit does not wrap around).
    last.RR_U = CheckedMul(static_cast<double>(int64_t{last.RR} + s.LrpLoopOhms), last.RR_I);
    for (int k = n - 1; k >= 1; --k) {
        TRegenerator& r = s.Regs[k];
        const TRegenerator& next = s.Regs[k + 1];
        r.RL_U = CheckedAdd(next.RL_U, next.RR_U);
        r.RL_I = CheckedDiv(r.RL_P, r.RL_U);
        r.RR_I = CheckedAdd(r.RL_I, next.RR_I);
        r.RR_U = CheckedMul(static_cast<double>(int64_t{r.RR} + s.LrpLoopOhms), r.RR_I);
    }
    s.U_Calc = CheckedAdd(s.Regs[1].RL_U, s.Regs[1].RR_U);
}

} // namespace dp
