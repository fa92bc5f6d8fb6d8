#pragma once
// The fast stepping loop against the step-by-step rule: the same step count, the same bits in every
// computed field, the same error at the same step.
#include "calc/regenerator.h"
#include "calc/solver.h"
#include "util/math_errors.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <string>

namespace dp::test {

inline uint64_t Bits(double v) {
    return std::bit_cast<uint64_t>(v);
}

// Runs one solver on s; returns the error text, empty when it finished.
inline std::string RunSolver(void (*solver)(TCalcState&), TCalcState& s) {
    try {
        solver(s);
    } catch (const EMathError& e) {
        return e.what();
    }
    return {};
}

// Every value a run writes, compared bit for bit; records beyond NumRegs must be untouched alike.
inline ::testing::AssertionResult SameResults(const TCalcState& fastRun, const std::string& fastError,
                                              const TCalcState& literalRun, const std::string& literalError) {
    constexpr double TRegenerator::*kComputed[] = {&TRegenerator::RL_U, &TRegenerator::RL_I,
                                                   &TRegenerator::RR_U, &TRegenerator::RR_I};
    constexpr const char* kComputedNames[] = {"RL_U", "RL_I", "RR_U", "RR_I"};
    if (fastError != literalError)
        return ::testing::AssertionFailure() << "error \"" << fastError << "\" vs \"" << literalError << "\"";
    if (fastRun.StepCount != literalRun.StepCount)
        return ::testing::AssertionFailure()
               << "StepCount " << fastRun.StepCount << " vs " << literalRun.StepCount;
    if (Bits(fastRun.U_Calc) != Bits(literalRun.U_Calc))
        return ::testing::AssertionFailure() << "U_Calc " << fastRun.U_Calc << " vs " << literalRun.U_Calc;
    for (int i = 1; i <= MaxRegs; ++i)
        for (int f = 0; f < 4; ++f) {
            const double a = fastRun.Regs[static_cast<size_t>(i)].*kComputed[f];
            const double b = literalRun.Regs[static_cast<size_t>(i)].*kComputed[f];
            if (Bits(a) != Bits(b))
                return ::testing::AssertionFailure() << kComputedNames[f] << "[" << i << "] " << a << " vs "
                                                     << b << " (StepCount " << literalRun.StepCount << ")";
        }
    return ::testing::AssertionSuccess();
}

// Runs both solvers on copies of s and compares them.
inline ::testing::AssertionResult FastMatchesLiteral(const TCalcState& s) {
    auto fastRun = std::make_unique<TCalcState>(s);
    auto literalRun = std::make_unique<TCalcState>(s);
    const std::string fastError = RunSolver(RunSteps, *fastRun);
    const std::string literalError = RunSolver(RunStepsLiteral, *literalRun);
    return SameResults(*fastRun, fastError, *literalRun, literalError);
}

} // namespace dp::test
