// The full calculation and the resistance of a line section.
#include "calc/solver.h"

#include "calc/results.h"
#include "util/math_errors.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace dp {

namespace {

long double CheckResultLong(long double r) {
    if (std::isnan(r)) RaiseInvalidOp();
    if (std::isinf(r)) RaiseOverflow();
    return r;
}

long double CheckedDivLong(long double a, long double b) {
    if (b == 0.0L) {
        if (a == 0.0L || std::isnan(a)) RaiseInvalidOp();
        RaiseZeroDivide();
    }
    return CheckResultLong(a / b);
}

} // namespace

void PrepareCalculation(TCalcState& s, TChoke choke) {
    // The table has room for MaxRegs records; a larger count cannot come from the window.
    if (s.NumRegs > MaxRegs) throw std::out_of_range("regenerator count beyond the table");
    s.LrpLoopOhms = ChokeLoopOhms(choke);
}

void Calculate(TCalcState& s, TChoke choke, IResultsView& view) {
    PrepareCalculation(s, choke);
    view.ClearLog();
    RunSteps(s); // an empty chain makes no step: StepCount 0, U_Calc 0
    ShowResults(s, view);
}

void TakeComputedResults(TCalcState& to, const TCalcState& from) {
    to.U_Calc = from.U_Calc;
    to.StepCount = from.StepCount;
    const int count = std::min<int>(from.NumRegs, MaxRegs);
    for (int i = 1; i <= count; ++i) {
        const TRegenerator& r = from.Regs[static_cast<size_t>(i)];
        TRegenerator& t = to.Regs[static_cast<size_t>(i)];
        t.RL_U = r.RL_U;
        t.RL_I = r.RL_I;
        t.RR_U = r.RR_U;
        t.RR_I = r.RR_I;
    }
}

int64_t MostRecordUpdates(const TCalcState& s) {
    if (s.U_RP <= 0 || s.NumRegs < 1) return 0;
    // The stepping rule makes at most 5 * U_RP + 1 steps (from U_RP / 2 to U_RP by 0.1 V); the fast
    // loop at most an eighth more plus a few thousand record updates of its own.
    const int64_t steps = 5 * int64_t{s.U_RP} + 2;
    return steps * s.NumRegs + steps * s.NumRegs / 8 + 8192;
}

int32_t LineResistance(double length, double diameter) {
    // Extended precision throughout, rounded once at the end. 3.14 stands for pi; 0.018 ohm*mm2/m is
    // the resistivity of copper; the factor 1000 turns kilometres into metres.
    const long double d = diameter;
    const long double area = CheckResultLong(CheckResultLong(CheckResultLong(d * d) * 3.14L) / 4);
    const long double numerator = CheckResultLong(CheckResultLong(0.018L * length) * 1000);
    const long double ohms = CheckedDivLong(numerator, area);
    const long double rounded = std::nearbyintl(ohms); // ties to even in the default rounding mode
    if (rounded < std::numeric_limits<int32_t>::min() || rounded > std::numeric_limits<int32_t>::max())
        RaiseIntOverflow();
    return static_cast<int32_t>(rounded);
}

} // namespace dp
