#pragma once
// Chains for the solver's tests, benchmarks and fuzzing: the chain of equal regenerators that the
// worked examples use, random chains of every kind of value, and three kinds of chain built to be hard
// for the fast loop's proofs.
#include "calc/chain_step.h"
#include "calc/regenerator.h"
#include "calc/solver.h"
#include "util/math_errors.h"

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

// ---- chains that are hard for the proofs -------------------------------------------------------------

// Two sections of about +2.1 and -2.1 gigaohms, chokes included, whose drops cancel, carrying the
// current of a regenerator of a large power (about ampsPerVolt * U_RP amperes at the start). In front
// (sections 1 and 2, regenerator 1 draws nothing) or behind (sections n-1 and n, regenerator n-1 draws
// nothing) of n - 2 ordinary regenerators.
inline std::unique_ptr<TCalcState> CancellingPairChain(int n, int32_t u, bool inFront, double ampsPerVolt,
                                                       int32_t lrpLoopOhms = kExampleChokeOhms) {
    auto s = MakeChain(n, u, lrpLoopOhms);
    const int plus = inFront ? 1 : n - 1;
    TRegenerator& a = s->Regs[static_cast<size_t>(plus)];
    TRegenerator& b = s->Regs[static_cast<size_t>(plus + 1)];
    a.RR = 2147483647 - 2 * lrpLoopOhms; // with the chokes: 2147483647 - loop
    b.RR = -2147483647;                  // with the chokes: -(2147483647 - loop)
    a.RL_P = 0.0;
    b.RL_P = ampsPerVolt * u * (u / 2.0);
    return s;
}

// U_Calc of one step at x, or +infinity when the step faults.
inline double NeededVoltage(TCalcState& s, double x) {
    try {
        EvaluateChain(s, x);
    } catch (const EMathError&) {
        return INFINITY;
    }
    return s.U_Calc;
}

// n sections of 256 ohms feeding one regenerator at the far end, at its nose point; the regenerators
// between pass the line on and draw nothing. The supply voltage the chain needs when the last one is held
// at x is then x + R P / x (R: every section, chokes included, P: its power), least where x = sqrt(R P),
// and there 2 x. The power is tuned so that this nose lies at the loop's start, x = U_RP / 2, just below
// U_RP: the needed voltage at the first step lies within gap below U_RP and rises from there by only
// 2 d^2 / U_RP at d volts further on, so the loop makes about sqrt(gap U_RP / 2) / U_Step steps within
// gap below U_RP. (Any power drawn on the way moves the nose below the loop's start: a regenerator
// between sees a voltage that follows x less than in proportion.)
// The power comes from a bisection on the chain's own step at the loop's first x; when no needed
// voltage falls within gap below U_RP, the closest one below it is taken.
inline std::unique_ptr<TCalcState> NosePointChain(int n, int32_t u, double gap,
                                                  int32_t lrpLoopOhms = kExampleChokeOhms) {
    auto s = MakeChain(n, u, lrpLoopOhms);
    for (int i = 1; i < n; ++i) s->Regs[static_cast<size_t>(i)].RL_P = 0.0;
    auto scratch = std::make_unique<TCalcState>(*s);
    const double x1 = u / 2.0 + U_Step; // the first step's x, as the loop computes it
    const double target = u;
    TRegenerator& last = scratch->Regs[static_cast<size_t>(n)];
    const auto needed = [&](double p) {
        last.RL_P = p;
        return NeededVoltage(*scratch, x1);
    };
    // The largest power lo whose needed voltage stays below target - gap and the next one hi above it.
    double lo = 0.0;
    double hi = 1.0;
    if (!(needed(lo) < target - gap)) {
        s->Regs[static_cast<size_t>(n)].RL_P = 0.0;
        return s;
    }
    while (needed(hi) < target - gap) hi *= 2;
    for (;;) {
        const double mid = lo + (hi - lo) / 2;
        if (mid <= lo || mid >= hi) break;
        (needed(mid) < target - gap ? lo : hi) = mid;
    }
    s->Regs[static_cast<size_t>(n)].RL_P = needed(hi) < target ? hi : lo;
    return s;
}

// Mixed signs at ordinary sizes: sections of -300..300 ohms, powers of -20..20 W.
inline std::unique_ptr<TCalcState> MixedSignsChain(std::mt19937_64& rng, int n, int32_t u,
                                                   int32_t lrpLoopOhms = kExampleChokeOhms) {
    auto s = MakeChain(n, u, lrpLoopOhms);
    std::uniform_real_distribution<double> power(-20.0, 20.0);
    for (int i = 1; i <= n; ++i) {
        TRegenerator& r = s->Regs[static_cast<size_t>(i)];
        r.RR = static_cast<int32_t>(rng() % 601) - 300;
        r.RL_P = power(rng);
    }
    return s;
}

} // namespace dp::test
