// A search for the slowest chain of non-negative values for the fast loop: random chains of every
// size, resistance, power, choke and supply voltage up to 2,147,483,647 V, and chains of every size tuned
// to their nose point, each timed once and the slowest kept and timed again. Not a benchmark and not a test:
// it prints the worst chains it found. Args: seconds to search (default 60), seed (default 1).
#include "calc/solver.h"
#include "calc/solver_fast.h"
#include "tests/support/chain.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double TimeRun(const dp::TCalcState& input) {
    auto s = std::make_unique<dp::TCalcState>(input);
    const auto start = Clock::now();
    try {
        dp::RunSteps(*s);
    } catch (const std::exception&) {
    }
    return Seconds(Clock::now() - start);
}

// The median of five runs.
double MedianTime(const dp::TCalcState& input) {
    std::vector<double> t;
    for (int i = 0; i < 5; ++i) t.push_back(TimeRun(input));
    std::sort(t.begin(), t.end());
    return t[2];
}

struct TFound {
    double Time = 0.0;
    std::string What;
    std::shared_ptr<dp::TCalcState> Chain;
};

int32_t RandomVoltage(std::mt19937_64& rng) {
    // Every decade from 10^2 to 2^31 - 1, evenly in its logarithm.
    std::uniform_real_distribution<double> exponent(2.0, 9.3318);
    return static_cast<int32_t>(std::min(2147483647.0, std::pow(10.0, exponent(rng))));
}

std::shared_ptr<dp::TCalcState> RandomNonNegativeChain(std::mt19937_64& rng, std::string& what) {
    const int n = 1 + static_cast<int>(rng() % dp::MaxRegs);
    const int32_t u = RandomVoltage(rng);
    auto s = std::shared_ptr<dp::TCalcState>(dp::test::MakeChain(n, u, dp::test::kChokeLoopOhms[rng() % 4]));
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const int style = static_cast<int>(rng() % 3); // ordinary, spread over decades, one huge value
    for (int i = 1; i <= n; ++i) {
        dp::TRegenerator& r = s->Regs[static_cast<size_t>(i)];
        if (style == 0) {
            r.RR = static_cast<int32_t>(rng() % 3000);
            r.RL_P = 50.0 * unit(rng);
        } else {
            r.RR = static_cast<int32_t>(std::pow(10.0, 9.3 * unit(rng)));
            r.RL_P = std::pow(10.0, 12.0 * unit(rng) - 3.0);
        }
    }
    if (style == 2) s->Regs[static_cast<size_t>(1 + rng() % n)].RL_P = std::pow(10.0, 9.0 + 6.0 * unit(rng));
    what = "random n=" + std::to_string(n) + " U_RP=" + std::to_string(u) + " style=" + std::to_string(style);
    return s;
}

// A chain at its nose point, any size; the gap from 1 V down to 2^-50 U_RP, evenly in its logarithm
// (the hardest gaps lie near 2^-43 U_RP).
std::shared_ptr<dp::TCalcState> NoseChain(std::mt19937_64& rng, std::string& what) {
    const int n = 1 + static_cast<int>(rng() % dp::MaxRegs);
    const int32_t u = RandomVoltage(rng);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double smallest = std::log2(u) - 50.0;
    const double gap = std::exp2(smallest + (0.0 - smallest) * unit(rng));
    const int32_t loop = dp::test::kChokeLoopOhms[rng() % 4];
    what = "nose n=" + std::to_string(n) + " U_RP=" + std::to_string(u) + " gap=" + std::to_string(gap) +
           " loop=" + std::to_string(loop);
    return std::shared_ptr<dp::TCalcState>(dp::test::NosePointChain(n, u, gap, loop));
}

} // namespace

int main(int argc, char** argv) {
    const double budget = argc > 1 ? std::atof(argv[1]) : 60.0;
    std::mt19937_64 rng(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1);
    std::vector<TFound> worst;
    const auto start = Clock::now();
    long tried = 0;
    while (Seconds(Clock::now() - start) < budget) {
        std::string what;
        auto chain = (rng() % 2 == 0) ? RandomNonNegativeChain(rng, what) : NoseChain(rng, what);
        const double t = TimeRun(*chain);
        ++tried;
        worst.push_back({t, what, chain});
        std::sort(worst.begin(), worst.end(),
                  [](const TFound& a, const TFound& b) { return a.Time > b.Time; });
        if (worst.size() > 5) worst.resize(5);
    }
    std::printf("%ld chains tried in %.0f s; the slowest, median of 5 runs:\n", tried, budget);
    for (const TFound& f : worst) {
        auto s = std::make_unique<dp::TCalcState>(*f.Chain);
        const dp::fast::TStepSequence steps(s->U_RP / 2.0, s->U_RP);
        dp::fast::TSearchStats stats;
        const int64_t finalStep = dp::fast::FindFinalStep(*s, steps, &stats);
        std::printf("  %9.3f ms  %s  steps=%lld exact_evals=%lld proofs=%lld\n", 1e3 * MedianTime(*f.Chain),
                    f.What.c_str(), static_cast<long long>(finalStep),
                    static_cast<long long>(stats.ExactEvaluations),
                    static_cast<long long>(stats.ProofAttempts));
    }
    return 0;
}
