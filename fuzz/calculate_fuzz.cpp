// Fuzz target of the calculation: the input describes a chain, the whole calculation runs on it.
//
// Input, read from the front (missing bytes read as zeros):
//   byte  flags: bits 0-1 the choke (24, 16, 6, none), bit 2 the 75 W source, bit 3 debug lines,
//         bits 4-5 a chain built against the fast loop's proofs instead of the records (see below)
//   byte  how U_RP is given: below 160 two bytes, -400..2000 V; below 224 a signed 16-bit value;
//         otherwise a signed 32-bit value
//   byte  the number of regenerators, 1 + byte % 200
//   then one record per regenerator until the input ends; the chain repeats the records read so far
//   (the default record when there are none). A record is a kind byte and its fields:
//     bits 0-1 RR: 256 + signed byte, a signed 16-bit value, a signed 32-bit value, a byte
//     bits 2-3 RL_P: byte / 10, signed 16-bit / 100, an 8-byte double (a non-finite one becomes 0),
//              one of eight special values chosen by a byte
//     bit 4 RR_ENT false, with the length (byte / 2 km) and diameter (byte / 100 mm) from two bytes
//   With bits 4-5 of the flags set, the bytes after the count describe one of the hard chains, at
//   sizes where stepping is affordable: 1 a cancelling pair of gigaohm sections (byte: in front or
//   behind and the current; two bytes: U_RP up to about 20000 V); 2 a chain at its nose point (byte:
//   the gap; two bytes: U_RP up to about 6000 V, at most 60 regenerators); 3 mixed signs (eight
//   bytes: the seed; two bytes: U_RP up to 1600 V). The records that follow are not used.
// Checks:
// - Calculate either completes or throws EMathError with one of the program's four texts;
// - no computed field of the chain, nor U_Calc, is NaN or infinite; no label shows NAN or INF;
//   records beyond the chain are not touched;
// - a completed run with U_RP > 0 ends on its rule: U_Calc >= U_RP or the last voltage above U_RP;
//   with U_RP <= 0 it makes no step and changes no computed field (ShowResults may still fault on an
//   absurd power);
// - for |U_RP| <= 2000, and for every hard chain, the fast loop (RunSteps) and the literal loop
// (RunStepsLiteral) leave the same
//   bits in every field, the same step count and the same fault.
#include "calc/regenerator.h"
#include "calc/results_view.h"
#include "calc/solver.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/chain.h"
#include "util/math_errors.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using dp::fuzz::Check;
using dp::fuzz::SameBits;

// Keeps nothing but checks every text that reaches a label or the log.
class CheckingView : public dp::IResultsView {
public:
    bool is75W = false;
    bool impossVisible = false;
    int logLines = 0;

    bool Is75WChecked() const override { return is75W; }
    void SetSourceCaption(dp::TSourceLabel, const std::string& text) override { CheckText(text); }
    void SetSourceColor(dp::TSourceLabel, uint32_t rgb) override {
        Check(rgb == dp::kColorBlack || rgb == dp::kColorRed, "colours are black or red");
    }
    void SetRegCaption(int index, dp::TRegLabel, const std::string& text) override {
        Check(index >= 1 && index <= dp::MaxRegs, "a label of a record in the table");
        CheckText(text);
    }
    void SetImpossCaption(const std::string&) override {}
    void SetImpossVisible(bool visible) override { impossVisible = visible; }
    bool IsImpossVisible() const override { return impossVisible; }
    void ClearLog() override { logLines = 0; }
    void AppendLog(const std::string& line) override {
        ++logLines;
        CheckText(line);
    }

private:
    static void CheckText(const std::string& text) {
        Check(text.find("NAN") == std::string::npos && text.find("INF") == std::string::npos,
              "no NaN or infinity in a shown text");
    }
};

struct TRecordInput {
    int32_t RR = 256;
    double RL_P = 5.5;
    bool RR_ENT = true;
    double RR_LEN = 10.0;
    double RR_DIA = 1.2;
};

double SpecialPower(uint8_t b) {
    switch (b % 8) {
    case 0:
        return 0.0;
    case 1:
        return -0.0;
    case 2:
        return -5.5;
    case 3:
        return 1e300;
    case 4:
        return -1e300;
    case 5:
        return std::numeric_limits<double>::min();
    case 6:
        return std::numeric_limits<double>::denorm_min();
    default:
        return std::numeric_limits<double>::max();
    }
}

TRecordInput ReadRecord(dp::fuzz::ByteReader& in) {
    TRecordInput r;
    const uint8_t kind = in.Byte();
    switch (kind & 3) {
    case 0:
        r.RR = 256 + static_cast<int8_t>(in.Byte());
        break;
    case 1:
        r.RR = in.Int16();
        break;
    case 2:
        r.RR = in.Int32();
        break;
    default:
        r.RR = in.Byte();
        break;
    }
    switch ((kind >> 2) & 3) {
    case 0:
        r.RL_P = in.Byte() / 10.0;
        break;
    case 1:
        r.RL_P = in.Int16() / 100.0;
        break;
    case 2: {
        const double d = in.Double();
        r.RL_P = std::isfinite(d) ? d : 0.0;
        break;
    }
    default:
        r.RL_P = SpecialPower(in.Byte());
        break;
    }
    if (kind & 16) {
        r.RR_ENT = false;
        r.RR_LEN = in.Byte() / 2.0;
        r.RR_DIA = in.Byte() / 100.0;
    }
    return r;
}

// One of the chains that defeat the proofs, or nothing for family 0.
std::unique_ptr<dp::TCalcState> HardChain(int family, dp::fuzz::ByteReader& in, int count, int32_t loopOhms) {
    switch (family) {
    case 1: {
        constexpr double kAmpsPerVolt[] = {523.0, 50.0, 1.0, 1e-3, 1e-5, 1e-7};
        const uint8_t how = in.Byte();
        const auto u = static_cast<int32_t>(200 + in.Unsigned(2) % 20000);
        return dp::test::CancellingPairChain(2 + count % 11, u, (how & 1) != 0, kAmpsPerVolt[(how >> 1) % 6],
                                             loopOhms);
    }
    case 2: {
        const double gap = std::ldexp(1.0, -(in.Byte() % 24)); // 1 V down to 0.1 uV
        const auto u = static_cast<int32_t>(100 + in.Unsigned(2) % 6000);
        return dp::test::NosePointChain(1 + count % 60, u, gap, loopOhms);
    }
    case 3: {
        std::mt19937_64 rng(in.Unsigned(8));
        const auto u = static_cast<int32_t>(100 + in.Unsigned(2) % 1500);
        return dp::test::MixedSignsChain(rng, count, u, loopOhms);
    }
    default:
        return nullptr;
    }
}

// The records of the input, repeated over the chain.
void ReadChain(dp::fuzz::ByteReader& in, dp::TCalcState& chain) {
    std::vector<TRecordInput> records;
    while (!in.Empty() && records.size() < dp::MaxRegs) records.push_back(ReadRecord(in));
    if (records.empty()) records.emplace_back();
    for (int i = 1; i <= chain.NumRegs; ++i) {
        const TRecordInput& r = records[static_cast<size_t>(i - 1) % records.size()];
        dp::TRegenerator& reg = chain.Regs[static_cast<size_t>(i)];
        reg.RR = r.RR;
        reg.RL_P = r.RL_P;
        reg.RR_ENT = r.RR_ENT;
        reg.RR_LEN = r.RR_LEN;
        reg.RR_DIA = r.RR_DIA;
    }
}

bool AllFinite(const dp::TCalcState& s) {
    if (!std::isfinite(s.U_Calc)) return false;
    for (const dp::TRegenerator& r : s.Regs)
        if (!std::isfinite(r.RL_U) || !std::isfinite(r.RL_I) || !std::isfinite(r.RR_U) ||
            !std::isfinite(r.RR_I))
            return false;
    return true;
}

bool SameComputed(const dp::TRegenerator& a, const dp::TRegenerator& b) {
    return SameBits(a.RL_U, b.RL_U) && SameBits(a.RL_I, b.RL_I) && SameBits(a.RR_U, b.RR_U) &&
           SameBits(a.RR_I, b.RR_I);
}

// The fault text of a run of the loop, or empty when it completed.
template <class Loop> std::string RunLoop(dp::TCalcState& s, Loop loop) {
    try {
        loop(s);
    } catch (const dp::EMathError& e) {
        Check(dp::fuzz::IsKnownMathText(e.what()), "a loop faults only with a known text");
        return e.what();
    }
    return {};
}

void Describe(const dp::TCalcState& s, dp::TChoke choke) {
    char line[160];
    std::snprintf(line, sizeof line, "U_RP=%d NumRegs=%d choke=%d;", s.U_RP, s.NumRegs,
                  static_cast<int>(choke));
    dp::fuzz::gContext = line;
    for (int i = 1; i <= s.NumRegs && i <= 8; ++i) {
        std::snprintf(line, sizeof line, " [%d] RR=%d RL_P=%.17g;", i, s.Regs[i].RR, s.Regs[i].RL_P);
        dp::fuzz::gContext += line;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    dp::fuzz::ByteReader in(data, size);
    const uint8_t flags = in.Byte();
    const auto choke = static_cast<dp::TChoke>(flags & 3);

    auto s = std::make_unique<dp::TCalcState>();
    dp::ResetTable(*s);
    s->DebugLog = (flags & 8) != 0;
    s->NowText = "12:00:00";
    const uint8_t mode = in.Byte();
    if (mode < 160)
        s->U_RP = static_cast<int32_t>(in.Unsigned(2) % 2401) - 400;
    else if (mode < 224)
        s->U_RP = in.Int16();
    else
        s->U_RP = in.Int32();
    s->NumRegs = static_cast<uint8_t>(1 + in.Byte() % dp::MaxRegs);
    const int family = (flags >> 4) & 3;
    if (auto hard = HardChain(family, in, s->NumRegs, dp::ChokeLoopOhms(choke))) {
        hard->DebugLog = s->DebugLog;
        hard->NowText = s->NowText;
        s = std::move(hard);
    }

    if (family == 0) ReadChain(in, *s);
    Describe(*s, choke);
    const auto before = std::make_unique<dp::TCalcState>(*s);

    CheckingView view;
    view.is75W = (flags & 4) != 0;
    std::string fault;
    try {
        dp::Calculate(*s, choke, view);
    } catch (const dp::EMathError& e) {
        Check(dp::fuzz::IsKnownMathText(e.what()), "Calculate faults only with a known text");
        fault = e.what();
    }
    Check(AllFinite(*s), "no NaN or infinity is stored");
    Check(s->LrpLoopOhms == dp::ChokeLoopOhms(choke), "the choke's loop resistance is used");
    for (int i = s->NumRegs + 1; i <= dp::MaxRegs; ++i)
        Check(SameComputed(s->Regs[static_cast<size_t>(i)], before->Regs[static_cast<size_t>(i)]),
              "records beyond the chain are not touched");

    if (s->U_RP <= 0) {
        Check(s->StepCount == 0 && s->U_Calc == 0.0, "U_RP <= 0 makes no step");
        for (int i = 1; i <= s->NumRegs; ++i)
            Check(SameComputed(s->Regs[static_cast<size_t>(i)], before->Regs[static_cast<size_t>(i)]),
                  "U_RP <= 0 changes no computed field");
    }

    // The loop's own result, apart from what ShowResults may throw.
    before->LrpLoopOhms = dp::ChokeLoopOhms(choke);
    auto fast = std::make_unique<dp::TCalcState>(*before);
    const std::string fastFault = RunLoop(*fast, [](dp::TCalcState& t) { dp::RunSteps(t); });
    Check(AllFinite(*fast), "no NaN or infinity is stored by the loop");
    if (fastFault.empty() && fast->U_RP > 0) {
        const double last = fast->Regs[fast->NumRegs].RL_U;
        Check(fast->StepCount >= 1, "U_RP > 0 makes at least one step");
        Check(!(fast->U_RP > fast->U_Calc) || last > fast->U_RP, "the loop stops only on its rule");
    }

    if (family != 0 || (s->U_RP >= -2000 && s->U_RP <= 2000)) {
        auto literal = std::make_unique<dp::TCalcState>(*before);
        const std::string literalFault = RunLoop(*literal, [](dp::TCalcState& t) { dp::RunStepsLiteral(t); });
        Check(fastFault == literalFault, "fast and literal loop: the same fault");
        Check(fast->StepCount == literal->StepCount, "fast and literal loop: the same step count");
        Check(SameBits(fast->U_Calc, literal->U_Calc), "fast and literal loop: the same U_Calc");
        for (int i = 1; i <= dp::MaxRegs; ++i)
            Check(SameComputed(fast->Regs[static_cast<size_t>(i)], literal->Regs[static_cast<size_t>(i)]),
                  "fast and literal loop: the same computed fields");
    }
    return 0;
}
