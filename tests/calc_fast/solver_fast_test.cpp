// The fast stepping loop against the step-by-step rule: the same step count, the same bits in every
// computed field, the same error at the same step.
#include "calc/chain_step.h"
#include "calc/solver.h"
#include "calc/solver_fast.h"
#include "util/math_errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace dp {
namespace {

using fast::TStepSequence;

constexpr int32_t kChokes[] = {48, 32, 12, 0};
constexpr double TRegenerator::*kComputed[] = {&TRegenerator::RL_U, &TRegenerator::RL_I, &TRegenerator::RR_U,
                                               &TRegenerator::RR_I};
constexpr const char* kComputedNames[] = {"RL_U", "RL_I", "RR_U", "RR_I"};

uint64_t Bits(double v) {
    return std::bit_cast<uint64_t>(v);
}

// Runs one solver on s; returns the error text, empty when it finished.
std::string RunSolver(void (*solver)(TCalcState&), TCalcState& s) {
    try {
        solver(s);
    } catch (const EMathError& e) {
        return e.what();
    }
    return {};
}

// Every value a run writes, compared bit for bit; records beyond NumRegs must be untouched alike.
::testing::AssertionResult SameResults(const TCalcState& fastRun, const std::string& fastError,
                                       const TCalcState& literalRun, const std::string& literalError) {
    if (fastError != literalError)
        return ::testing::AssertionFailure() << "error \"" << fastError << "\" vs \"" << literalError << "\"";
    if (fastRun.StepCount != literalRun.StepCount)
        return ::testing::AssertionFailure()
               << "StepCount " << fastRun.StepCount << " vs " << literalRun.StepCount;
    if (Bits(fastRun.U_Calc) != Bits(literalRun.U_Calc))
        return ::testing::AssertionFailure() << "U_Calc " << fastRun.U_Calc << " vs " << literalRun.U_Calc;
    for (int i = 1; i <= MaxRegs; ++i)
        for (int f = 0; f < 4; ++f) {
            const double a = fastRun.Regs[i].*kComputed[f];
            const double b = literalRun.Regs[i].*kComputed[f];
            if (Bits(a) != Bits(b))
                return ::testing::AssertionFailure() << kComputedNames[f] << "[" << i << "] " << a << " vs "
                                                     << b << " (StepCount " << literalRun.StepCount << ")";
        }
    return ::testing::AssertionSuccess();
}

// Runs both solvers on copies of s and compares them.
::testing::AssertionResult FastMatchesLiteral(const TCalcState& s) {
    auto fastRun = std::make_unique<TCalcState>(s);
    auto literalRun = std::make_unique<TCalcState>(s);
    const std::string fastError = RunSolver(RunSteps, *fastRun);
    const std::string literalError = RunSolver(RunStepsLiteral, *literalRun);
    return SameResults(*fastRun, fastError, *literalRun, literalError);
}

std::unique_ptr<TCalcState> DefaultChain(int n, int32_t u) {
    auto s = std::make_unique<TCalcState>();
    ResetTable(*s);
    s->NumRegs = static_cast<uint8_t>(n);
    s->U_RP = u;
    s->LrpLoopOhms = 32;
    return s;
}

// ---- the running voltage -----------------------------------------------------------------------------

// Compares At(k) with the running sum for steps first..first+count (clipped to the sequence).
::testing::AssertionResult MatchesRunningSum(const TStepSequence& seq, int64_t first, int64_t count) {
    first = std::max<int64_t>(first, 0);
    const int64_t last = std::min(first + count, seq.FirstAbove());
    double x = seq.At(first);
    for (int64_t k = first + 1; k <= last; ++k) {
        x = x + U_Step;
        if (Bits(seq.At(k)) != Bits(x))
            return ::testing::AssertionFailure()
                   << "step " << k << ": " << seq.At(k) << " vs running sum " << x;
    }
    return ::testing::AssertionSuccess();
}

// Short supply voltages, whole runs: every step against the running sum from U_RP/2, and the first step
// above U_RP found independently. The values straddle powers of two.
TEST(StepSequence, EqualsTheRunningSumFromTheStart) {
    for (int32_t u : {1, 2, 3, 5, 7, 64, 370, 371, 1023, 1024, 1025, 2047, 4095, 65535, 100000, 1048577}) {
        SCOPED_TRACE(u);
        const double limit = u;
        const TStepSequence seq(u / 2.0, limit);
        double x = u / 2.0;
        int64_t k = 0;
        EXPECT_EQ(Bits(seq.At(0)), Bits(x));
        while (!(x > limit)) {
            x = x + U_Step;
            ++k;
            ASSERT_EQ(Bits(seq.At(k)), Bits(x)) << "step " << k;
        }
        EXPECT_EQ(seq.FirstAbove(), k);
    }
}

// Near the top of the 32-bit range a whole run is billions of steps: each stretch of constant increment
// is checked against the running sum over a long stretch from its start and across its end, the
// stretches join without gaps, and random single steps obey x_(k+1) = x_k + U_Step.
TEST(StepSequence, EqualsTheRunningSumNearTheTopOfTheRange) {
    for (int32_t u : {std::numeric_limits<int32_t>::max(), 2147483646, 1073741825, 1000000001, 429496730}) {
        SCOPED_TRACE(u);
        const double limit = u;
        const TStepSequence seq(u / 2.0, limit);
        EXPECT_EQ(Bits(seq.At(0)), Bits(u / 2.0));
        EXPECT_GT(seq.FirstAbove(), int64_t{5} * u / 2 * 19 / 10); // about 5 * U_RP steps, x starts at U_RP/2
        for (int i = 0; i < seq.RunCount(); ++i) {
            const auto& run = seq.Run(i);
            if (i > 0) {
                const auto& before = seq.Run(i - 1);
                EXPECT_TRUE(before.First + before.Count == run.First ||
                            before.First + before.Count + 1 == run.First)
                    << "run " << i;
            }
            EXPECT_TRUE(MatchesRunningSum(seq, run.First, 2'000'000)) << "run " << i;
            EXPECT_TRUE(MatchesRunningSum(seq, run.First + run.Count - 1'000'000, 2'000'000)) << "run " << i;
        }
        const int64_t above = seq.FirstAbove();
        EXPECT_GT(seq.At(above), limit);
        EXPECT_LE(seq.At(above - 1), limit);
        std::mt19937_64 rng(static_cast<uint64_t>(u));
        std::uniform_int_distribution<int64_t> pick(0, above - 1);
        for (int i = 0; i < 20000; ++i) {
            const int64_t k = pick(rng);
            ASSERT_EQ(Bits(seq.At(k + 1)), Bits(seq.At(k) + U_Step)) << "step " << k;
        }
    }
}

// ---- the worked examples -----------------------------------------------------------------------------

struct TFieldValue {
    int Record;
    double TRegenerator::*Field;
    double Value; // as quoted, to two decimals
};

struct TWorkedExample {
    const char* Name;
    int32_t U_RP;
    int NumRegs;
    int32_t Steps;
    double U_Calc;
    std::vector<TFieldValue> Fields;
};

void PrintTo(const TWorkedExample& row, std::ostream* os) {
    *os << row.Name;
}

class WorkedExample : public ::testing::TestWithParam<TWorkedExample> {};

TEST_P(WorkedExample, FastLoopGivesTheQuotedResultsAndTheLiteralBits) {
    const TWorkedExample& ex = GetParam();
    auto s = DefaultChain(ex.NumRegs, ex.U_RP);
    EXPECT_TRUE(FastMatchesLiteral(*s));
    RunSteps(*s);
    EXPECT_EQ(s->StepCount, ex.Steps);
    EXPECT_NEAR(s->U_Calc, ex.U_Calc, 0.005);
    for (const TFieldValue& f : ex.Fields)
        EXPECT_NEAR(s->Regs[f.Record].*f.Field, f.Value, 0.005) << f.Record;
}

constexpr auto U = &TRegenerator::RL_U;
constexpr auto RLI = &TRegenerator::RL_I;
constexpr auto RRU = &TRegenerator::RR_U;
constexpr auto RRI = &TRegenerator::RR_I;

INSTANTIATE_TEST_SUITE_P(
    Chains, WorkedExample,
    ::testing::Values(
        TWorkedExample{"U370_One", 370, 1, 1807, 370.03, {{1, U, 365.7}, {1, RLI, 0.01504}, {1, RRU, 4.33}}},
        TWorkedExample{"U371_One", 371, 1, 1812, 371.02, {{1, U, 366.7}}},
        TWorkedExample{"U370_Three",
                       370,
                       3,
                       1576,
                       370.04,
                       {{1, U, 356.41},
                        {2, U, 347.22},
                        {3, U, 342.60},
                        {1, RLI, 0.01543},
                        {2, RLI, 0.01584},
                        {3, RLI, 0.01605},
                        {1, RRI, 0.04733},
                        {2, RRI, 0.03189},
                        {3, RRI, 0.01605},
                        {1, RRU, 13.63},
                        {2, RRU, 9.19},
                        {3, RRU, 4.62}}},
        TWorkedExample{"U370_Ten", 370, 10, 1, 554.56, {{10, U, 185.1}, {1, U, 496.95}, {1, RRI, 0.20006}}},
        TWorkedExample{"U100_Three",
                       100,
                       3,
                       1,
                       195.65,
                       {{1, U, 132.72}, {2, U, 81.72}, {3, U, 50.10}, {1, RRI, 0.21853}}},
        // No step: the computed fields keep their markers.
        TWorkedExample{"U0", 0, 1, 0, 0.0, {{1, U, -1.0}, {1, RRI, -1.0}}},
        TWorkedExample{"Negative", -5, 3, 0, 0.0, {{3, U, -1.0}, {1, RRI, -1.0}}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(FastLoop, EmptyChainTakesNoStep) {
    auto s = DefaultChain(0, 370);
    s->StepCount = 77;
    s->U_Calc = 5.0;
    EXPECT_TRUE(FastMatchesLiteral(*s));
    RunSteps(*s);
    EXPECT_EQ(s->StepCount, 0);
    EXPECT_EQ(s->U_Calc, 0.0);
}

// ---- faults in the middle of a run -------------------------------------------------------------------

// Two regenerators arranged so that regenerator 1 sees exactly 0 V at one chosen step: section 2 has
// -1 ohm and regenerator 2 draws x_k^2 watts, so its drop cancels x_k. Earlier steps pass (regenerator 1
// sees a negative voltage and the supply needs less than U_RP); the chosen step faults after updating
// record 2 and RL_U of record 1, while the rest of record 1 keeps the step before.
struct TZeroVoltageCase {
    const char* Name;
    double Power1;
    int32_t Choke;
    const char* Error;
};

void PrintTo(const TZeroVoltageCase& row, std::ostream* os) {
    *os << row.Name;
}

class ZeroVoltageMidRun : public ::testing::TestWithParam<TZeroVoltageCase> {};

TEST_P(ZeroVoltageMidRun, FaultsAtTheSameStepWithTheSameFields) {
    const TZeroVoltageCase& c = GetParam();
    auto s = DefaultChain(2, 1000);
    s->LrpLoopOhms = c.Choke;
    const TStepSequence seq(500.0, 1000.0);
    int64_t k = 1234;
    while (true) { // a step where x*x/x gives x back exactly
        const double x = seq.At(k);
        if (Bits((x * x) / x) == Bits(x)) break;
        ++k;
    }
    const double x = seq.At(k);
    s->Regs[2].RR = -1 - c.Choke;
    s->Regs[2].RL_P = x * x;
    s->Regs[1].RR = 1 - c.Choke;
    s->Regs[1].RL_P = c.Power1;
    EXPECT_TRUE(FastMatchesLiteral(*s));
    const std::string error = RunSolver(RunSteps, *s);
    EXPECT_EQ(error, c.Error);
    EXPECT_EQ(s->StepCount, k);
    EXPECT_EQ(s->Regs[1].RL_U, 0.0);
    EXPECT_EQ(Bits(s->Regs[2].RL_U), Bits(x));
}

INSTANTIATE_TEST_SUITE_P(Chains, ZeroVoltageMidRun,
                         ::testing::Values(TZeroVoltageCase{"DivisionByZero", 1.0, 0, kZeroDivideText},
                                           TZeroVoltageCase{"ZeroByZero", 0.0, 32, kInvalidOpText},
                                           TZeroVoltageCase{"NegativePower", -3.0, 48, kZeroDivideText}),
                         [](const auto& info) { return std::string(info.param.Name); });

// Regenerator 1's voltage passes near zero; its huge power then overflows the current there.
TEST(FastLoop, OverflowNearAZeroVoltageMatchesTheLiteralRun) {
    for (double power : {1e300, -1e300, 1e306}) {
        SCOPED_TRACE(power);
        auto s = DefaultChain(2, 1000);
        s->LrpLoopOhms = 12;
        s->Regs[2].RR = -13;
        s->Regs[2].RL_P = 390000.7; // regenerator 1 reaches 0 V near x = 624.5
        s->Regs[1].RL_P = power;
        EXPECT_TRUE(FastMatchesLiteral(*s));
    }
}

TEST(FastLoop, OverflowAtTheFirstStepKeepsTheUntouchedFields) {
    auto s = DefaultChain(2, 370);
    s->LrpLoopOhms = 0;
    s->Regs[2].RR = 1;
    s->Regs[2].RL_P = 1e308 * 100.0; // about 1e308 A through section 2
    s->Regs[1].RR = 1;
    EXPECT_TRUE(FastMatchesLiteral(*s)); // the sum for U_Calc overflows
    s->Regs[1].RR = 2;
    EXPECT_TRUE(FastMatchesLiteral(*s)); // the drop on section 1 overflows
}

// ---- random chains -----------------------------------------------------------------------------------

// A random chain: parameters of both signs (now and then zero or extreme), one of the four chokes,
// computed fields holding arbitrary older values, so that untouched fields show.
std::unique_ptr<TCalcState> RandomChain(std::mt19937_64& rng, int32_t u, int n) {
    auto s = std::make_unique<TCalcState>();
    ResetTable(*s);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_real_distribution<double> older(-1000.0, 1000.0);
    const int style = static_cast<int>(rng() % 4); // 0, 1: ordinary; 2: mixed signs; 3: with extremes
    for (int i = 1; i <= MaxRegs; ++i) {
        TRegenerator& r = s->Regs[i];
        const double p = unit(rng);
        if (style <= 1 || p < 0.5) {
            r.RR = static_cast<int32_t>(rng() % 3000);
            r.RL_P = 0.5 + 20.0 * unit(rng);
        } else if (style == 2 || p < 0.9) {
            r.RR = static_cast<int32_t>(rng() % 2000) - 600;
            r.RL_P = 40.0 * unit(rng) - 15.0;
            if (p > 0.85) r.RL_P = 0.0;
        } else {
            r.RR = static_cast<int32_t>(static_cast<uint32_t>(rng()));
            r.RL_P = (unit(rng) < 0.5 ? -1.0 : 1.0) * std::pow(10.0, 600.0 * unit(rng) - 300.0);
        }
        for (auto field : kComputed) r.*field = older(rng);
    }
    s->NumRegs = static_cast<uint8_t>(n);
    s->U_RP = u;
    s->LrpLoopOhms = kChokes[rng() % 4];
    s->U_Calc = older(rng);
    s->StepCount = static_cast<int32_t>(rng() % 1000);
    return s;
}

// Many chains with small supply voltages, fewer with large ones; the literal work of each case
// (steps times regenerators) is bounded so that the whole table runs in seconds.
TEST(FastLoop, RandomChainsMatchTheLiteralRunBitForBit) {
    constexpr uint64_t kBaseSeed = 0x5eed'2026'0001;
    constexpr int kCases = 1200;
    constexpr double kWorkPerCase = 1.5e6; // record updates of the literal run, at most
    for (int c = 0; c < kCases; ++c) {
        const uint64_t seed = kBaseSeed + static_cast<uint64_t>(c);
        std::mt19937_64 rng(seed);
        int32_t u = 0;
        const double which = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
        if (which < 0.6)
            u = static_cast<int32_t>(rng() % 1011) - 10;
        else if (which < 0.9)
            u = 1000 + static_cast<int32_t>(rng() % 19000);
        else
            u = 20000 + static_cast<int32_t>(rng() % 80001);
        int n = 1 + static_cast<int>(rng() % MaxRegs);
        const double steps = 5.0 * std::max(u, 1) + 2.0;
        n = std::max(1, std::min(n, static_cast<int>(kWorkPerCase / steps)));
        auto s = RandomChain(rng, u, n);
        ASSERT_TRUE(FastMatchesLiteral(*s))
            << "seed " << seed << ", U_RP " << u << ", " << n << " regenerators, choke " << s->LrpLoopOhms;
    }
}

// A full-size run: 200 regenerators at 100 kV, half a million literal steps, no choke, one negative
// resistance and one negative power.
TEST(FastLoop, LongRunMatchesTheLiteralRunBitForBit) {
    auto s = DefaultChain(MaxRegs, 100000);
    s->LrpLoopOhms = 0;
    s->Regs[57].RR = -200;
    s->Regs[120].RL_P = -3.0;
    EXPECT_TRUE(FastMatchesLiteral(*s));
}

// ---- supply voltages near the 32-bit limit -----------------------------------------------------------
//
// A literal run there takes hours, so the fast result is checked against the literal rule resumed a few
// thousand steps before the final step the fast loop found (from the x that the step sequence gives,
// itself checked against the running sum above), and against exact evaluations at thousands of random
// skipped steps, none of which may stop the loop.

struct TNearLimitCase {
    const char* Name;
    int32_t U_RP;
    int NumRegs;
    uint64_t Seed; // 0: the default chain
};

void PrintTo(const TNearLimitCase& row, std::ostream* os) {
    *os << row.Name;
}

class NearTheLimit : public ::testing::TestWithParam<TNearLimitCase> {};

int32_t CountOf(int64_t k) {
    return static_cast<int32_t>(std::min<int64_t>(k, std::numeric_limits<int32_t>::max()));
}

TEST_P(NearTheLimit, FinalStepAgreesWithTheLiteralRuleResumedNearIt) {
    const TNearLimitCase& c = GetParam();
    std::mt19937_64 rng(c.Seed);
    auto input = c.Seed == 0 ? DefaultChain(c.NumRegs, c.U_RP) : RandomChain(rng, c.U_RP, c.NumRegs);
    const double target = c.U_RP;
    const TStepSequence seq(c.U_RP / 2.0, target);
    fast::TSearchStats stats;
    const int64_t finalStep = fast::FindFinalStep(*input, seq, &stats);
    RecordProperty("final_step", std::to_string(finalStep));
    RecordProperty("exact_evaluations", std::to_string(stats.ExactEvaluations));

    auto fastRun = std::make_unique<TCalcState>(*input);
    const std::string fastError = RunSolver(RunSteps, *fastRun);
    EXPECT_EQ(fastRun->StepCount, CountOf(finalStep));

    // The literal rule from step j on, with x as a running sum.
    const int64_t j = std::max<int64_t>(0, finalStep - 3000);
    auto literalRun = std::make_unique<TCalcState>(*input);
    literalRun->StepCount = 0;
    literalRun->U_Calc = 0.0;
    double x = seq.At(j);
    if (j >= 1) {
        literalRun->StepCount = CountOf(j);
        ASSERT_NO_THROW(EvaluateChain(*literalRun, x));
        ASSERT_TRUE(target > literalRun->U_Calc && !(x > target)) << "step " << j << " stops the loop";
    }
    int64_t k = j;
    std::string literalError;
    try {
        while (target > literalRun->U_Calc) {
            ++k;
            literalRun->StepCount = CountOf(k);
            x = x + U_Step;
            EvaluateChain(*literalRun, x);
            if (x > target) break;
        }
    } catch (const EMathError& e) {
        literalError = e.what();
    }
    EXPECT_EQ(k, finalStep);
    EXPECT_TRUE(SameResults(*fastRun, fastError, *literalRun, literalError));

    // Skipped steps: the first thousand and random ones up to j must neither fault nor stop.
    auto scratch = std::make_unique<TCalcState>(*input);
    std::uniform_int_distribution<int64_t> pick(1, std::max<int64_t>(1, j - 1));
    for (int i = 0; i < 4000 && j > 1; ++i) {
        const int64_t step = i < 1000 ? std::min<int64_t>(i + 1, j - 1) : pick(rng);
        const double xs = seq.At(step);
        ASSERT_NO_THROW(EvaluateChain(*scratch, xs)) << "step " << step;
        ASSERT_TRUE(target > scratch->U_Calc && !(xs > target)) << "step " << step << " stops the loop";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Chains, NearTheLimit,
    ::testing::Values(TNearLimitCase{"Max_One", std::numeric_limits<int32_t>::max(), 1, 0},
                      TNearLimitCase{"Max_Full", std::numeric_limits<int32_t>::max(), MaxRegs, 0},
                      TNearLimitCase{"MaxLess1_Ten", 2147483646, 10, 0},
                      TNearLimitCase{"Max_Random1", std::numeric_limits<int32_t>::max(), MaxRegs, 11},
                      TNearLimitCase{"Max_Random2", std::numeric_limits<int32_t>::max(), 150, 12},
                      TNearLimitCase{"Max_Random3", std::numeric_limits<int32_t>::max(), 37, 13},
                      TNearLimitCase{"Max_Random4", std::numeric_limits<int32_t>::max(), 200, 14},
                      TNearLimitCase{"PowerOfTwo_Random", 1073741824, 90, 15},
                      TNearLimitCase{"Billion_Full", 1000000001, MaxRegs, 0},
                      TNearLimitCase{"CountLimit_Random", 429497000, 120, 16},
                      TNearLimitCase{"CountLimit_One", 429496000, 1, 0}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- the enclosure ----------------------------------------------------------------------------------

// Whenever a range is proven free of stops, exact evaluations at points of it never stop or fault.
TEST(Enclosure, ProvenRangesHoldNoStop) {
    int proven = 0;
    for (uint64_t seed = 1; seed <= 400; ++seed) {
        std::mt19937_64 rng(seed);
        const int32_t u = 1 + static_cast<int32_t>(rng() % 5000);
        auto s = RandomChain(rng, u, 1 + static_cast<int>(rng() % MaxRegs));
        const TStepSequence seq(u / 2.0, u);
        std::uniform_int_distribution<int64_t> pick(1, seq.FirstAbove() - 1);
        auto scratch = std::make_unique<TCalcState>(*s);
        for (int r = 0; r < 20; ++r) {
            int64_t a = pick(rng);
            int64_t b = pick(rng);
            if (a > b) std::swap(a, b);
            if (!fast::ProvesNoStop(*s, seq.At(a), seq.At(b))) continue;
            ++proven;
            for (int64_t k = a; k <= b; k += std::max<int64_t>(1, (b - a) / 200)) {
                ASSERT_NO_THROW(EvaluateChain(*scratch, seq.At(k))) << "seed " << seed << " step " << k;
                ASSERT_LT(scratch->U_Calc, s->U_RP) << "seed " << seed << " step " << k;
            }
        }
    }
    EXPECT_GT(proven, 100); // the property was exercised
}

} // namespace
} // namespace dp
