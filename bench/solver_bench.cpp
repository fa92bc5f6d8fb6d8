// Time of the solver's stepping loop. Chains of the table's initial regenerators (256 ohms, 5.5 W)
// with the "16" choke (32 ohms per section).
#include "calc/solver.h"
#include "calc/solver_fast.h"
#include "tests/support/chain.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <exception>
#include <memory>
#include <random>

namespace {

using dp::test::MakeChain;

// Args: supply voltage, regenerators.
void RunStepsFast(benchmark::State& state) {
    auto s = MakeChain(static_cast<int>(state.range(1)), static_cast<int32_t>(state.range(0)));
    for (auto _ : state) {
        dp::RunSteps(*s);
        benchmark::DoNotOptimize(s->U_Calc);
    }
    const dp::fast::TStepSequence steps(s->U_RP / 2.0, s->U_RP);
    dp::fast::TSearchStats stats;
    const int64_t finalStep = dp::fast::FindFinalStep(*s, steps, &stats);
    state.counters["steps"] = static_cast<double>(finalStep);
    state.counters["proof_attempts"] = static_cast<double>(stats.ProofAttempts);
    state.counters["exact_evals"] = static_cast<double>(stats.ExactEvaluations);
}
BENCHMARK(RunStepsFast)
    ->Args({370, 1})
    ->Args({370, 10})
    ->Args({370, 200})
    ->Args({2147483647, 200})
    ->Unit(benchmark::kMicrosecond);

// The step-by-step rule; "per_record_update" is the time of one record update of one step.
void RunStepsLiteral(benchmark::State& state) {
    auto s = MakeChain(static_cast<int>(state.range(1)), static_cast<int32_t>(state.range(0)));
    for (auto _ : state) {
        dp::RunStepsLiteral(*s);
        benchmark::DoNotOptimize(s->U_Calc);
    }
    const double updates = static_cast<double>(s->StepCount) * static_cast<double>(s->NumRegs);
    state.counters["steps"] = s->StepCount;
    state.counters["per_record_update"] = benchmark::Counter(
        updates, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(RunStepsLiteral)
    ->Args({370, 200})
    ->Args({370, 1})
    ->Args({100000, 200})
    ->Unit(benchmark::kMicrosecond);

// ---- chains built against the proofs, fast against literal ---------------------------------------------
// Args: family, supply voltage. Family 0: a cancelling pair of gigaohm sections in front of ten
// ordinary regenerators with a huge current; 1: the same pair behind them with a small current;
// 2: 200 sections feeding one regenerator at its nose point, the needed voltage within 1 mV below U_RP
// from the first step on; 3: 190 regenerators of mixed signs (seed 3); 4: the nose point of family 2
// within 2^-43 U_RP (0.24 mV at 2^31 - 1 V) below U_RP, about the gap at which the proofs fail over the
// longest stretch.
std::unique_ptr<dp::TCalcState> HardChain(int64_t family, int32_t u) {
    switch (family) {
    case 0:
        return dp::test::CancellingPairChain(12, u, true, 523.0);
    case 1:
        return dp::test::CancellingPairChain(12, u, false, 1e-5);
    case 2:
        return dp::test::NosePointChain(200, u, 1e-3);
    case 4:
        return dp::test::NosePointChain(200, u, std::ldexp(static_cast<double>(u), -43));
    default: {
        std::mt19937_64 rng(3);
        return dp::test::MixedSignsChain(rng, 190, u);
    }
    }
}

template <void (*Loop)(dp::TCalcState&)> void HardChainLoop(benchmark::State& state) {
    const auto input = HardChain(state.range(0), static_cast<int32_t>(state.range(1)));
    auto s = std::make_unique<dp::TCalcState>(*input);
    for (auto _ : state) {
        *s = *input;
        try {
            Loop(*s);
        } catch (const std::exception&) {
        }
        benchmark::DoNotOptimize(s->U_Calc);
    }
    state.counters["steps"] = s->StepCount;
}

// Every family at every voltage, the literal loop only up to top: beyond, its time grows in proportion
// to the steps, up to hours. The nose-point families step some thousands of steps at most and go the
// whole way with both loops. Family 0 at 2^31 - 1 V takes about twenty minutes with either loop.
void HardChainArgs(benchmark::internal::Benchmark* b, int64_t top) {
    for (int64_t family = 0; family < 5; ++family)
        for (int64_t u : {int64_t{1000}, int64_t{10000}, int64_t{100000}, int64_t{1000000}, int64_t{10000000},
                          int64_t{2147483647}})
            if ((u <= top || family == 2 || family == 4) && !(family == 0 && u > 10000000))
                b->Args({family, u});
}

BENCHMARK_TEMPLATE(HardChainLoop, dp::RunSteps)
    ->Apply([](auto* b) { HardChainArgs(b, 2147483647); }) -> Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(HardChainLoop, dp::RunStepsLiteral)
    ->Apply([](auto* b) { HardChainArgs(b, 1000000); }) -> Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
