// The fast stepping loop against the step-by-step rule: the same step count, the same bits in every
// computed field, the same error at the same step.
#include "calc/chain_step.h"
#include "calc/solver.h"
#include "calc/solver_fast.h"
#include "tests/calc/differential.h"
#include "tests/support/chain.h"
#include "util/math_errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace dp {
namespace {

using fast::TStepSequence;

using test::Bits;
using test::FastMatchesLiteral;
using test::RandomChain;
using test::RunSolver;
using test::SameResults;

std::unique_ptr<TCalcState> DefaultChain(int n, int32_t u) {
    return test::MakeChain(n, u);
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

// ---- small chains ------------------------------------------------------------------------------------

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

namespace dp {
namespace {

// ---- chains built against the proofs ------------------------------------------------------------------
//
// Cancelling gigaohm sections, chains at their nose point, mixed signs: the proofs fail over long
// stretches there, and the loop steps those stretches itself. At sizes the literal loop can afford.

struct THardChainCase {
    const char* Name;
    std::function<std::unique_ptr<TCalcState>()> Make;
};

void PrintTo(const THardChainCase& row, std::ostream* os) {
    *os << row.Name;
}

class HardChains : public ::testing::TestWithParam<THardChainCase> {};

TEST_P(HardChains, MatchTheLiteralRunBitForBit) {
    EXPECT_TRUE(FastMatchesLiteral(*GetParam().Make()));
}

std::unique_ptr<TCalcState> Mixed(uint64_t seed, int n, int32_t u) {
    std::mt19937_64 rng(seed);
    return test::MixedSignsChain(rng, n, u);
}

INSTANTIATE_TEST_SUITE_P(
    Families, HardChains,
    ::testing::Values(
        THardChainCase{"PairInFrontHugeCurrent",
                       [] { return test::CancellingPairChain(12, 3000, true, 523.0); }},
        THardChainCase{"PairInFrontSmallCurrent",
                       [] { return test::CancellingPairChain(12, 20000, true, 1e-3); }},
        THardChainCase{"PairBehind", [] { return test::CancellingPairChain(12, 20000, false, 1e-5); }},
        THardChainCase{"PairAlone", [] { return test::CancellingPairChain(2, 30000, false, 1.0); }},
        THardChainCase{"PairNoChoke", [] { return test::CancellingPairChain(5, 5000, true, 50.0, 0); }},
        THardChainCase{"NosePoint1mV", [] { return test::NosePointChain(200, 100000, 1e-3); }},
        THardChainCase{"NosePoint10mV", [] { return test::NosePointChain(120, 60000, 1e-2); }},
        THardChainCase{"NosePointFew", [] { return test::NosePointChain(3, 2000, 1e-4); }},
        THardChainCase{"Mixed1", [] { return Mixed(1, 190, 1000); }},
        THardChainCase{"Mixed2", [] { return Mixed(2, 190, 1000); }},
        THardChainCase{"Mixed3", [] { return Mixed(3, 60, 3000); }},
        THardChainCase{"Mixed4", [] { return Mixed(4, 20, 10000); }}),
    [](const auto& info) { return std::string(info.param.Name); });

// The same families through many seeds of the mixed one, at a few hundred volts.
TEST(HardChainsRandom, MixedSignsMatchTheLiteralRunBitForBit) {
    for (uint64_t seed = 100; seed < 400; ++seed) {
        std::mt19937_64 rng(seed);
        const int n = 1 + static_cast<int>(rng() % 190);
        const int32_t u = 100 + static_cast<int32_t>(rng() % 1500);
        auto s = test::MixedSignsChain(rng, n, u, test::kChokeLoopOhms[seed % 4]);
        ASSERT_TRUE(FastMatchesLiteral(*s)) << "seed " << seed;
    }
}

// The nose-point chain is at its nose: the needed voltage at the first step lies within the gap below
// U_RP, and the loop runs on as long as the needed voltage of one load of power P behind the chain's
// whole resistance R, x + R P / x, stays below U_RP: up to x = (U_RP + sqrt(U_RP^2 - 4 R P)) / 2.
// (Near 2^31 V the roundings of 200 sums shift the crossing of so flat a curve by up to about 1 %.)
TEST(NosePointChain, RunsAsLongAsTheNoseOfOneLoadBehindTheWholeLine) {
    struct TCase {
        int N;
        int32_t U;
        double Gap;
    };
    for (const TCase c : {TCase{1, 2000, 1e-2}, TCase{2, 50000, 1e-3}, TCase{60, 6000, 1e-4},
                          TCase{200, 100000, 0.1}, TCase{200, 1000000, 1e-3}, TCase{200, 2147483647, 1e-3}}) {
        SCOPED_TRACE(::testing::Message() << c.N << " regenerators, " << c.U << " V, gap " << c.Gap);
        const auto s = test::NosePointChain(c.N, c.U, c.Gap);
        auto scratch = std::make_unique<TCalcState>(*s);
        const double first = test::NeededVoltage(*scratch, c.U / 2.0 + U_Step);
        EXPECT_GE(first, c.U - c.Gap);
        EXPECT_LT(first, c.U);

        auto run = std::make_unique<TCalcState>(*s);
        RunStepsLiteral(*run);
        const long double u = c.U;
        const long double rp = static_cast<long double>(c.N) * (256 + test::kExampleChokeOhms) *
                               static_cast<long double>(s->Regs[static_cast<size_t>(c.N)].RL_P);
        const long double end = (u + std::sqrt(u * u - 4 * rp)) / 2;
        const auto expected = static_cast<double>((end - u / 2) / static_cast<long double>(U_Step));
        EXPECT_NEAR(run->StepCount, expected, 1.0 + expected / 100);
    }
}

} // namespace
} // namespace dp

namespace dp {
namespace {

// ---- a watched run -------------------------------------------------------------------------------------

// Watching changes nothing: the same bits as the unwatched run, and at the end every step looked at.
TEST(WatchedRun, GivesTheUnwatchedResultsAndReportsTheWholeSearch) {
    std::vector<std::unique_ptr<TCalcState>> chains;
    chains.push_back(test::MakeChain(3, 370));
    chains.push_back(test::MakeChain(200, 2147483647));
    chains.push_back(test::CancellingPairChain(12, 20000, true, 1e-3));
    chains.push_back(test::NosePointChain(200, 100000, 1e-3));
    chains.push_back(Mixed(2, 190, 1000));
    std::mt19937_64 rng(7);
    for (int i = 0; i < 40; ++i) {
        const auto u = static_cast<int32_t>(rng() % 3000) - 200;
        chains.push_back(RandomChain(rng, u, 1 + static_cast<int>(rng() % 200)));
    }
    for (size_t i = 0; i < chains.size(); ++i) {
        auto watched = std::make_unique<TCalcState>(*chains[i]);
        auto plain = std::make_unique<TCalcState>(*chains[i]);
        TCalcProgress progress;
        std::string watchedError;
        try {
            RunSteps(*watched, progress);
        } catch (const EMathError& e) {
            watchedError = e.what();
        }
        const std::string plainError = RunSolver(RunSteps, *plain);
        ASSERT_TRUE(SameResults(*watched, watchedError, *plain, plainError)) << "chain " << i;
        if (watchedError.empty() && chains[i]->U_RP > 0) {
            EXPECT_EQ(progress.Done(), progress.Total()) << i;
        }
    }
}

TEST(WatchedRun, StopsWhenACancelIsAskedFor) {
    // Hours of stepping: only a cancel ends it within the test.
    auto s = test::CancellingPairChain(12, 2147483647, true, 523.0);
    TCalcProgress progress;
    progress.RequestCancel();
    EXPECT_THROW(RunSteps(*s, progress), ECalculationCancelled);

    TCalcProgress running;
    bool cancelled = false;
    std::thread worker([&] {
        try {
            RunSteps(*s, running);
        } catch (const ECalculationCancelled&) {
            cancelled = true;
        }
    });
    while (running.Done() < 100000) std::this_thread::yield(); // well under way
    running.RequestCancel();
    worker.join();
    EXPECT_TRUE(cancelled);
    EXPECT_LT(running.Done(), running.Total());
}

TEST(TakeComputedResults, TakesWhatTheRunComputedAndNothingElse) {
    auto before = test::MakeChain(3, 370);
    before->Regs[4].RL_U = 77.0; // beyond the chain
    auto run = std::make_unique<TCalcState>(*before);
    RunSteps(*run);
    run->Regs[4].RL_U = 5.0;
    run->Regs[2].RR = 1; // an input: never taken
    run->NowText = "other";

    auto into = std::make_unique<TCalcState>(*before);
    TakeComputedResults(*into, *run);
    auto expected = std::make_unique<TCalcState>(*before);
    RunSteps(*expected);
    EXPECT_TRUE(SameResults(*into, "", *expected, ""));
    EXPECT_EQ(into->Regs[4].RL_U, 77.0);
    EXPECT_EQ(into->Regs[2].RR, 256);
    EXPECT_EQ(into->NowText, before->NowText);
}

} // namespace
} // namespace dp
