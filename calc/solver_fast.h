#pragma once
// Internals of the fast stepping loop, open to its tests and benchmarks.
//
// The loop's result is the chain evaluated at the x of its final step: the first step k whose
// evaluation faults, or whose U_Calc reaches U_RP, or whose x exceeds U_RP. Every step overwrites all
// computed fields, so only that step (and, for a fault, the step before it) needs to be evaluated in
// the table. The final step is found by interval arithmetic over ranges of steps: a range whose
// enclosure proves "no fault, U_Calc < U_RP" for every x in it is skipped; other ranges are halved,
// and small ones are stepped exactly.
#include "calc/progress.h"
#include "calc/regenerator.h"

#include <array>
#include <cstdint>

namespace dp::fast {

// The running voltage of the last regenerator: x_0 = start, x_k = x_{k-1} + U_Step in doubles,
// given for any k without k additions. Within one binary exponent range the sum of a multiple of the
// unit in the last place and the fixed step always rounds by the same amount, so there x grows by a
// constant exact increment; each crossing into the next range is one real addition.
class TStepSequence {
public:
    // Covers steps 0..FirstAbove(), where FirstAbove() >= 1 is the first step whose x exceeds limit.
    // Needs 0.5 <= start <= limit (both at most 2^31 in practice).
    TStepSequence(double start, double limit);

    // x after k steps, 0 <= k <= FirstAbove(): bit for bit the running sum.
    double At(int64_t k) const;
    int64_t FirstAbove() const { return firstAbove_; }

    // Stretches of constant increment: step First..First+Count have x = X + (k - First) * Delta.
    struct TRun {
        int64_t First = 0;
        int64_t Count = 0;
        double X = 0.0;
        double Delta = 0.0;
    };
    int RunCount() const { return runCount_; }
    const TRun& Run(int i) const { return runs_.at(static_cast<size_t>(i)); }

private:
    void Append(const TRun& run);

    std::array<TRun, 8> runs_{};
    int runCount_ = 0;
    int64_t firstAbove_ = 0;
};

// True when, for every x in [xLo, xHi], evaluating the chain of s can neither fault nor give
// U_Calc >= U_RP. Interval arithmetic, each bound rounded outward, so a true answer is a proof;
// false only means "not proven".
bool ProvesNoStop(const TCalcState& s, double xLo, double xHi);

// Work done by one search, for tests and benchmarks.
struct TSearchStats {
    int64_t ProofAttempts = 0; // ranges for which a proof of "no stop" was tried
    int64_t ExactEvaluations = 0;
};

// The final step of the stepping loop for the inputs of s (s.U_RP >= 1, s.NumRegs >= 1): the first
// step at which the loop stops or faults. s is not changed. With progress, the search reports how far
// it has come and throws ECalculationCancelled soon after a cancel is asked for; the step it finds
// does not depend on either.
int64_t FindFinalStep(const TCalcState& s, const TStepSequence& steps, TSearchStats* stats = nullptr,
                      TCalcProgress* progress = nullptr);

} // namespace dp::fast
