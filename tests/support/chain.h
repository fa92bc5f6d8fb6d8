#pragma once
// Chains for the solver's tests, benchmarks and fuzzing: the chain of equal regenerators that the
// worked examples use, and random chains of every kind of value.
#include "calc/regenerator.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>

namespace dp::test {

// Loop resistance of the "16 SM" chokes, the choke of the worked examples.
inline constexpr int32_t kExampleChokeOhms = 32;

// The four loop resistances a chain can have.
inline constexpr int32_t kChokeLoopOhms[] = {48, 32, 12, 0};

// n regenerators of 256 ohms and 5.5 W (the table's initial values), supply voltage u, the chokes of
// the worked examples; the log's time is fixed.
inline std::unique_ptr<TCalcState> MakeChain(int n, int32_t u, int32_t lrpLoopOhms = kExampleChokeOhms) {
    auto s = std::make_unique<TCalcState>();
    ResetTable(*s);
    s->NumRegs = static_cast<uint8_t>(n);
    s->U_RP = u;
    s->LrpLoopOhms = lrpLoopOhms;
    s->NowText = "12:34:56";
    return s;
}

// A random chain of n regenerators: parameters of both signs (now and then zero or extreme), one of
// the four chokes, computed fields holding arbitrary older values, so that untouched fields show.
// Every record of the table gets values, also those beyond the chain.
inline std::unique_ptr<TCalcState> RandomChain(std::mt19937_64& rng, int32_t u, int n) {
    auto s = MakeChain(n, u);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_real_distribution<double> older(-1000.0, 1000.0);
    const int style = static_cast<int>(rng() % 4); // 0, 1: ordinary; 2: mixed signs; 3: with extremes
    for (int i = 1; i <= MaxRegs; ++i) {
        TRegenerator& r = s->Regs[static_cast<size_t>(i)];
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
        r.RL_U = older(rng);
        r.RL_I = older(rng);
        r.RR_U = older(rng);
        r.RR_I = older(rng);
    }
    s->LrpLoopOhms = kChokeLoopOhms[rng() % 4];
    s->U_Calc = older(rng);
    s->StepCount = static_cast<int32_t>(rng() % 1000);
    return s;
}

} // namespace dp::test
