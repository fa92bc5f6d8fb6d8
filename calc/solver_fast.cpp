// The stepping loop at a cost that does not grow with the supply voltage.
#include "calc/solver_fast.h"

#include "calc/chain_step.h"
#include "calc/solver.h"
#include "util/math_errors.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>

namespace dp {
namespace fast {

// ---- x after k steps -------------------------------------------------------------------------------
//
// In the binary exponent range [2^(e-1), 2^e) every double is a whole multiple of u = 2^(e-53), and
// U_Step = M * 2^-55 with M odd. x + U_Step therefore always has the same fraction of u, so it rounds
// by the same amount for every x of the range: the increment fl(x + U_Step) - x is one constant as long
// as the sum stays in the range. (A tie, which would depend on the parity of x, needs u = 2^-54, i.e.
// x below 0.5, which the solver never starts from.) x + j * increment is then exact: it is a multiple
// of u below 2^e.

TStepSequence::TStepSequence(double start, double limit) {
    if (!(start >= 0.5) || !(start <= limit)) throw std::invalid_argument("step sequence start out of range");
    int64_t k = 0;
    double x = start;
    bool covered = false; // step k is already the end of a stored run
    while (!(x > limit)) {
        int e = 0;
        int eNext = 0;
        std::frexp(x, &e);
        const double next = x + U_Step;
        std::frexp(next, &eNext);
        if (e != eNext) { // this addition leaves the exponent range: make it for real
            if (!covered) Append({k, 0, x, 0.0});
            ++k;
            x = next;
            covered = false;
            continue;
        }
        const double delta = next - x; // exact: both lie in one exponent range
        const double top = std::ldexp(1.0, e);
        // Last j with x + j * delta still below 2^e (at least 1: next is).
        auto jTop = static_cast<int64_t>((top - x) / delta);
        while (jTop > 1 && !(x + static_cast<double>(jTop) * delta < top)) --jTop;
        while (x + static_cast<double>(jTop + 1) * delta < top) ++jTop;
        // First j with x + j * delta above the limit (exact wherever it matters: up to jTop).
        auto jLimit = static_cast<int64_t>((limit - x) / delta);
        while (jLimit > 1 && x + static_cast<double>(jLimit) * delta > limit) --jLimit;
        while (!(x + static_cast<double>(jLimit) * delta > limit)) ++jLimit;
        const int64_t j = std::min(jTop, jLimit);
        Append({k, j, x, delta});
        k += j;
        x = x + static_cast<double>(j) * delta;
        covered = true;
    }
    if (!covered) Append({k, 0, x, 0.0});
    firstAbove_ = k;
}

void TStepSequence::Append(const TRun& run) {
    if (runCount_ >= static_cast<int>(runs_.size())) throw std::logic_error("step sequence: too many runs");
    runs_[static_cast<size_t>(runCount_++)] = run;
}

double TStepSequence::At(int64_t k) const {
    int i = runCount_ - 1;
    while (i > 0 && runs_[static_cast<size_t>(i)].First > k) --i;
    const TRun& r = runs_[static_cast<size_t>(i)];
    return r.X + static_cast<double>(k - r.First) * r.Delta;
}

// ---- interval enclosure of one chain evaluation ----------------------------------------------------
//
// Every operation of a step is monotone in each operand over an interval (a sum; a product with a fixed
// resistance; a fixed power divided by a voltage interval that excludes 0), and rounding to nearest is
// monotone, so the results rounded at the interval's ends already enclose every value a step computes.
// Each bound is still widened by a few units in the last place as a margin.

namespace {

constexpr double kWiden = 0x1p-50;

struct TInterval {
    double Lo;
    double Hi;
};

inline TInterval Widen(double a, double b) {
    const double lo = std::min(a, b);
    const double hi = std::max(a, b);
    return {lo - std::fabs(lo) * kWiden, hi + std::fabs(hi) * kWiden};
}

inline bool IsFinite(const TInterval& v) {
    return std::fabs(v.Lo) <= DBL_MAX && std::fabs(v.Hi) <= DBL_MAX;
}

// The voltage interval may hold an exact 0 (a division fault) unless it lies wholly on one side.
inline bool ExcludesZero(const TInterval& v) {
    return v.Lo > 0.0 || v.Hi < 0.0;
}

inline TInterval Divide(double power, const TInterval& u) {
    return Widen(power / u.Lo, power / u.Hi);
}
inline TInterval Scale(double ohms, const TInterval& i) {
    return Widen(ohms * i.Lo, ohms * i.Hi);
}
inline TInterval Add(const TInterval& a, const TInterval& b) {
    return Widen(a.Lo + b.Lo, a.Hi + b.Hi);
}

bool ProvesNoStopByIntervals(const TCalcState& s, double xLo, double xHi) {
    const int n = s.NumRegs;
    if (n < 1) return false;
    const TRegenerator& last = s.Regs[static_cast<size_t>(n)];
    TInterval u{xLo, xHi}; // RL_U
    if (!ExcludesZero(u)) return false;
    TInterval rrI = Divide(last.RL_P, u); // RR_I = RL_I
    TInterval rrU = Scale(static_cast<double>(int64_t{last.RR} + s.LrpLoopOhms), rrI);
    if (!IsFinite(rrI) || !IsFinite(rrU)) return false;
    for (int k = n - 1; k >= 1; --k) {
        const TRegenerator& r = s.Regs[static_cast<size_t>(k)];
        u = Add(u, rrU);
        if (!IsFinite(u) || !ExcludesZero(u)) return false;
        rrI = Add(Divide(r.RL_P, u), rrI);
        rrU = Scale(static_cast<double>(int64_t{r.RR} + s.LrpLoopOhms), rrI);
        if (!IsFinite(rrI) || !IsFinite(rrU)) return false;
    }
    const TInterval uCalc = Add(u, rrU);
    return IsFinite(uCalc) && uCalc.Hi < static_cast<double>(s.U_RP);
}

} // namespace

// ---- affine enclosure of one chain evaluation ------------------------------------------------------
//
// Plain intervals forget that a regenerator's voltage and its section's current move together, and
// with large or opposite-signed powers and resistances they widen until they prove nothing. Affine
// forms keep that first-order link: a value is C + D * t within E, where x = middle + half-width * t
// and t runs over [-1, 1]. The current through a regenerator is a secant of p / u over the voltage's
// range plus the largest deviation from it.
//
// E also takes every rounding, each bounded by the magnitudes that operation handles: a rounded result
// r is within kUnit * |r| of the exact one (kTiny more near the underflow range), both the step's own
// operation and the ones that compute C, D and E here. The bound of one step's error therefore grows
// with the values actually summed, not with the largest value of the chain.

namespace {

constexpr double kUnit = 0x1p-53; // the largest relative rounding of one operation, to nearest
constexpr double kTiny = DBL_MIN; // absolute margin for results near the underflow range
constexpr double kLargest = DBL_MAX / 16;

struct TAffine {
    double C;
    double D;
    double E;
};

inline double Magnitude(const TAffine& a) {
    return std::fabs(a.C) + std::fabs(a.D) + a.E;
}
inline bool IsModest(const TAffine& a) {
    return Magnitude(a) < kLargest;
} // false for NaN too

// A sum of a few non-negative terms computed here, made an upper bound of its exact value.
inline double RoundUp(double sum) {
    return sum + sum * 0x1p-50 + kTiny;
}

// The sum of a step: C and D each round once, and the step's own addition rounds by at most kUnit of
// its result, which lies within the new form's magnitude.
inline TAffine AddAffine(const TAffine& a, const TAffine& b) {
    const double c = a.C + b.C;
    const double d = a.D + b.D;
    const double e = a.E + b.E;
    return {c, d, RoundUp(e + 3 * kUnit * (std::fabs(c) + std::fabs(d) + e))};
}

// A product with a section's resistance (a whole number, exact as a double).
inline TAffine ScaleAffine(double ohms, const TAffine& a) {
    const double c = ohms * a.C;
    const double d = ohms * a.D;
    const double e = std::fabs(ohms) * a.E;
    return {c, d, RoundUp(e + 3 * kUnit * (std::fabs(c) + std::fabs(d) + e))};
}

// power / u; false when u's range holds 0 or the numbers grow out of range. Every quantity below is a
// few roundings away from its exact value, each within kUnit of one of the terms of sizes; 16 units
// of sizes take them all, the step's own division included.
inline bool DivideAffine(double power, const TAffine& u, TAffine& out) {
    const double spread = RoundUp(std::fabs(u.D) + u.E);
    double lo = u.C - spread;
    double hi = u.C + spread;
    lo -= std::fabs(lo) * 0x1p-51 + kTiny; // both ends rounded outward
    hi += std::fabs(hi) * 0x1p-51 + kTiny;
    if (!(lo > 0.0 || hi < 0.0)) return false;
    const double atLo = power / lo;
    const double atHi = power / hi;
    const double slope = -atLo / hi; // the secant of power / t over [lo, hi]
    // where the tangent is parallel to the secant: the geometric mean of lo and hi
    const double tangent = std::copysign(std::sqrt(std::fabs(lo)) * std::sqrt(std::fabs(hi)), lo);
    if (!(std::fabs(tangent) > 0.0)) return false;
    const double offEnds = atLo + atHi;              // power / t - slope * t at both ends
    const double offTangent = 2.0 * power / tangent; // ... and at the tangent point
    const double offset = 0.5 * (offEnds + offTangent);
    const double deviation = 0.5 * std::fabs(offEnds - offTangent);
    const double sizes = std::fabs(atLo) + std::fabs(atHi) + std::fabs(offTangent) +
                         std::fabs(slope) * (std::max(std::fabs(lo), std::fabs(hi)) + Magnitude(u));
    out = {slope * u.C + offset, slope * u.D,
           RoundUp(std::fabs(slope) * u.E + deviation + 16 * kUnit * sizes)};
    return std::isfinite(sizes) && IsModest(out);
}

bool ProvesNoStopByAffineForms(const TCalcState& s, double xLo, double xHi) {
    const int n = s.NumRegs;
    if (n < 1) return false;
    const double middle = 0.5 * xLo + 0.5 * xHi;
    const double half = 0.5 * (xHi - xLo);
    TAffine u{middle, half, RoundUp(4 * kUnit * (std::fabs(middle) + half))}; // RL_U
    TAffine current{};                                                        // RL_I
    const TRegenerator& last = s.Regs[static_cast<size_t>(n)];
    if (!DivideAffine(last.RL_P, u, current)) return false;
    TAffine rrI = current;
    TAffine rrU = ScaleAffine(static_cast<double>(int64_t{last.RR} + s.LrpLoopOhms), rrI);
    if (!IsModest(rrU)) return false;
    for (int k = n - 1; k >= 1; --k) {
        const TRegenerator& r = s.Regs[static_cast<size_t>(k)];
        u = AddAffine(u, rrU);
        if (!IsModest(u) || !DivideAffine(r.RL_P, u, current)) return false;
        rrI = AddAffine(current, rrI);
        rrU = ScaleAffine(static_cast<double>(int64_t{r.RR} + s.LrpLoopOhms), rrI);
        if (!IsModest(rrI) || !IsModest(rrU)) return false;
    }
    const TAffine uCalc = AddAffine(u, rrU);
    if (!IsModest(uCalc)) return false;
    const double highest = uCalc.C + std::fabs(uCalc.D) + uCalc.E;
    return highest + 4 * kUnit * Magnitude(uCalc) + kTiny < static_cast<double>(s.U_RP);
}

} // namespace

bool ProvesNoStop(const TCalcState& s, double xLo, double xHi) {
    return ProvesNoStopByIntervals(s, xLo, xHi) || ProvesNoStopByAffineForms(s, xLo, xHi);
}

// ---- the search for the final step -----------------------------------------------------------------
//
// The search halves ranges until a proof skips them or they are short enough to step. A proof costs
// several step evaluations, and on some chains proofs keep failing; the search therefore keeps an
// account of its extra work, in units of one record update of a step: an evaluation out of the loop's
// order or a proof attempt is paid from it, a proven range pays in the steps it skips, and every step
// made in order pays in kStepShare of itself. Without enough in the account a range is stepped in
// order, plainly, just long enough to pay for the next attempt. Every step up to the final one is
// either skipped or stepped once, so the whole search costs at most (1 + kStepShare) times the
// stepping loop, plus kStartCredit record updates.

namespace {

// Ranges of at most this many steps are stepped exactly.
constexpr int64_t kLeafSteps = 8;

// Steps made in order between two looks at the progress (a few milliseconds at most).
constexpr int64_t kStepsBetweenPolls = 4096;

constexpr double kStepShare = 0.125;
constexpr double kStartCredit = 4096.0;

// What a proof attempt costs, in record updates of a chain of n regenerators: measured, with room.
constexpr double IntervalProofCost(int n) {
    return 2.0 * n + 30.0;
}
constexpr double AffineProofCost(int n) {
    return 8.0 * n + 40.0;
}

class TFinalStepSearch {
public:
    TFinalStepSearch(const TCalcState& s, const TStepSequence& steps, TSearchStats& stats,
                     TCalcProgress* progress)
        : s_(s), steps_(steps), stats_(stats), progress_(progress), scratch_(std::make_unique<TCalcState>(s)),
          target_(static_cast<double>(s.U_RP)), records_(s.NumRegs),
          attemptCost_(records_ + IntervalProofCost(s.NumRegs) + AffineProofCost(s.NumRegs)) {}

    // The first step in first..last that stops the loop, or -1; none of them may have x > U_RP.
    int64_t FirstStop(int64_t first, int64_t last) {
        while (first <= last) {
            Poll(first);
            const int64_t size = last - first + 1;
            if (size <= kLeafSteps) return StepPlainly(first, last);
            if (credit_ < attemptCost_) {
                // Step in order until the account pays for an attempt again.
                const auto wanted =
                    static_cast<int64_t>(std::ceil((attemptCost_ - credit_) / (kStepShare * records_)));
                const int64_t count = std::min(size, std::max(wanted, kLeafSteps));
                const int64_t found = StepPlainly(first, first + count - 1);
                if (found >= 0) return found;
                first += count;
                continue;
            }
            // A range that ends in a stop holds one: no proof is tried for it, it is halved at once.
            if (last != lastStep_) credit_ -= records_;
            if (!StopsAt(last) && Proves(first, last)) {
                credit_ += static_cast<double>(size) * records_;
                return -1;
            }
            const int64_t mid = first + (last - first) / 2;
            const int64_t found = FirstStop(first, mid);
            if (found >= 0) return found;
            first = mid + 1;
        }
        return -1;
    }

    // Whether the step faults or leaves U_Calc >= U_RP, evaluated in a scratch table.
    bool StopsAt(int64_t k) {
        if (k == lastStep_) return lastStops_; // a halved range asks again for its end
        ++stats_.ExactEvaluations;
        lastStep_ = k;
        try {
            EvaluateChain(*scratch_, steps_.At(k));
            lastStops_ = !(target_ > scratch_->U_Calc);
        } catch (const EMathError&) {
            lastStops_ = true;
        }
        return lastStops_;
    }

private:
    // Every step before first has been ruled out; stops the search when a cancel was asked for.
    void Poll(int64_t first) {
        if (progress_ == nullptr) return;
        progress_->Report(first - 1, steps_.FirstAbove());
        progress_->ThrowIfCancelled();
    }

    // Steps first..last in order, in stretches between looks at the progress; the first that stops, or -1.
    int64_t StepPlainly(int64_t first, int64_t last) {
        if (progress_ == nullptr) return StepInOrder(first, last);
        for (int64_t from = first; from <= last; from += kStepsBetweenPolls) {
            Poll(from);
            const int64_t found = StepInOrder(from, std::min(last, from + kStepsBetweenPolls - 1));
            if (found >= 0) return found;
        }
        return -1;
    }

    // Steps first..last in order as the stepping loop does, x a running sum (steps_.At gives the same
    // bits at the start); the first that stops, or -1.
    int64_t StepInOrder(int64_t first, int64_t last) {
        stats_.ExactEvaluations += last - first + 1;
        credit_ += kStepShare * records_ * static_cast<double>(last - first + 1);
        double x = steps_.At(first);
        int64_t k = first;
        try {
            for (;; ++k) {
                EvaluateChain(*scratch_, x);
                if (!(target_ > scratch_->U_Calc)) break;
                if (k == last) return -1;
                x = x + U_Step;
            }
        } catch (const EMathError&) {
        }
        stats_.ExactEvaluations -= last - k;
        lastStep_ = k;
        lastStops_ = true;
        return k;
    }

    bool Proves(int64_t first, int64_t last) {
        ++stats_.ProofAttempts;
        const double xLo = steps_.At(first);
        const double xHi = steps_.At(last);
        credit_ -= IntervalProofCost(s_.NumRegs);
        if (ProvesNoStopByIntervals(s_, xLo, xHi)) return true;
        credit_ -= AffineProofCost(s_.NumRegs);
        return ProvesNoStopByAffineForms(s_, xLo, xHi);
    }

    const TCalcState& s_;
    const TStepSequence& steps_;
    TSearchStats& stats_;
    TCalcProgress* progress_;
    std::unique_ptr<TCalcState> scratch_;
    double target_;
    double records_; // record updates of one step
    double attemptCost_;
    double credit_ = kStartCredit;
    int64_t lastStep_ = -1;
    bool lastStops_ = false;
};

} // namespace

int64_t FindFinalStep(const TCalcState& s, const TStepSequence& steps, TSearchStats* stats,
                      TCalcProgress* progress) {
    TSearchStats local;
    TFinalStepSearch search(s, steps, stats ? *stats : local, progress);
    // Every step before FirstAbove() has x <= U_RP; that step itself stops the loop in any case.
    // A chain that cannot be fed at this voltage stops at once, which is common: try that step first.
    const int64_t found =
        steps.FirstAbove() > 1 && search.StopsAt(1) ? 1 : search.FirstStop(2, steps.FirstAbove() - 1);
    return found >= 0 ? found : steps.FirstAbove();
}

} // namespace fast

namespace {

void RunStepsWatched(TCalcState& s, TCalcProgress* progress) {
    s.StepCount = 0;
    s.U_Calc = 0.0;
    if (s.NumRegs < 1) return; // an empty chain takes no step, like a supply voltage of 0
    if (s.U_RP <= 0) return;
    const fast::TStepSequence steps(static_cast<double>(s.U_RP) / 2.0, static_cast<double>(s.U_RP));
    const int64_t finalStep = fast::FindFinalStep(s, steps, nullptr, progress);
    // Beyond the 32-bit range (supply voltages above about 430 million volts) the count stays at its
    // largest value instead of wrapping around to a small or negative number.
    const auto count = [](int64_t k) {
        return static_cast<int32_t>(std::min<int64_t>(k, std::numeric_limits<int32_t>::max()));
    };
    // The step before the final one leaves U_Calc and the fields that a faulting final step does not
    // reach; it cannot fault itself, or it would have been the final step.
    if (finalStep >= 2) {
        s.StepCount = count(finalStep - 1);
        EvaluateChain(s, steps.At(finalStep - 1));
    }
    s.StepCount = count(finalStep);
    EvaluateChain(s, steps.At(finalStep));
    if (progress != nullptr) progress->Report(steps.FirstAbove(), steps.FirstAbove());
}

} // namespace

void RunSteps(TCalcState& s) {
    RunStepsWatched(s, nullptr);
}

void RunSteps(TCalcState& s, TCalcProgress& progress) {
    RunStepsWatched(s, &progress);
}

} // namespace dp
