// The full calculation and the resistance of a line section.
#include "calc/solver.h"

#include "calc/results.h"
#include "util/math_errors.h"

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

void Calculate(TCalcState& s, TChoke choke, IResultsView& view) {
    // The table has room for MaxRegs records; a larger count cannot come from the window.
    if (s.NumRegs > MaxRegs) throw std::out_of_range("regenerator count beyond the table");
    s.LrpLoopOhms = ChokeLoopOhms(choke);
    view.ClearLog();
    RunSteps(s); // an empty chain makes no step: StepCount 0, U_Calc 0
    ShowResults(s, view);
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
