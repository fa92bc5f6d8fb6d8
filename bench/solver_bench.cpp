// Time of the solver's stepping loop. Chains of the table's initial regenerators (256 ohms, 5.5 W)
// with the "16" choke (32 ohms per section).
#include "calc/solver.h"
#include "calc/solver_fast.h"
#include "tests/support/chain.h"

#include <benchmark/benchmark.h>

#include <memory>

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

} // namespace

BENCHMARK_MAIN();
