// Label texts, limit checks and log lines of one calculation.
#include "calc/results.h"

#include "util/math_errors.h"
#include "util/uStrUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace dp {

namespace {

constexpr int32_t kCurrentLimit_mA = 210; // the same at every supply voltage
constexpr const char* kCannotFeedText = "Питание регенераторов данным напряжением невозможно";
constexpr const char* kImpossText = "Питание регенераторов при данных условиях невозможно";

// I x U rounded to whole watts, ties to even. Kept in 64 bits, so an absurd power beyond the 32-bit
// range is still shown as its true value.
int64_t SupplyPower(double current, double voltage) {
    const double rounded = std::nearbyint(CheckedMul(current, voltage));
    if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0)) RaiseInvalidOp();
    return static_cast<int64_t>(rounded);
}

double ToMilli(double amperes) {
    return CheckedMul(amperes, 1000.0);
}

// The labels of a regenerator's inputs: its section's resistance, length and diameter, its name and power.
std::string ResistanceText(const TRegenerator& r) {
    return std::to_string(r.RR);
}
std::string LengthText(const TRegenerator& r) {
    return r.RR_ENT ? std::string("Длина линии")
                    : FormatGeneral(r.RR_LEN) + " км " + FormatGeneral(r.RR_DIA) + " мм";
}
// Two lines on the label: the name above the power.
std::string NameAndPowerText(int index, const TRegenerator& r) {
    return "R" + std::to_string(index) + "\r" + RoundToStr(1, r.RL_P) + " Вт";
}
std::string SupplyVoltageText(const TCalcState& s) {
    return "Uдп = " + std::to_string(s.U_RP);
}

} // namespace

void AddLog(const TCalcState& s, IResultsView& view, const std::string& text, bool always) {
    if (always)
        view.AppendLog(text);
    else if (s.DebugLog)
        view.AppendLog(" debug: " + text);
}

void MarkImpossible(IResultsView& view, TSourceLabel label) {
    view.SetSourceColor(label, kColorRed);
    view.SetImpossVisible(true);
}

void ShowResults(const TCalcState& s, IResultsView& view) {
    const int64_t powerLimit = view.Is75WChecked() ? 75 : 150;
    view.SetSourceColor(TSourceLabel::LabURP_Calc, kColorBlack);
    view.SetSourceColor(TSourceLabel::LabRP_P, kColorBlack);
    view.SetSourceColor(TSourceLabel::LabRP_I, kColorBlack);
    view.SetImpossVisible(false);
    view.SetImpossCaption(kImpossText);

    // The supply current is the current of section 1, which carries the whole chain. Record 1 exists
    // even when no record is in use.
    const double current = s.Regs[1].RR_I;
    const int64_t power = SupplyPower(current, s.U_Calc);

    view.SetSourceCaption(TSourceLabel::LabRP_U, SupplyVoltageText(s));
    view.SetSourceCaption(TSourceLabel::LabURP_Calc, RoundToStr(0, s.U_Calc) + " В");
    view.SetSourceCaption(TSourceLabel::LabRP_I, "Iдп=" + RoundToStr(0, ToMilli(current)) + " мА");
    view.SetSourceCaption(TSourceLabel::LabRP_P, "Pдп=" + std::to_string(power) + " Вт");
    if (power > powerLimit) MarkImpossible(view, TSourceLabel::LabRP_P);

    const int count = std::min<int>(s.NumRegs, MaxRegs);
    for (int i = 1; i <= count; ++i) {
        const TRegenerator& r = s.Regs[static_cast<size_t>(i)];
        view.SetRegCaption(i, TRegLabel::LabR, ResistanceText(r));
        view.SetRegCaption(i, TRegLabel::LabR_L, LengthText(r));
        view.SetRegCaption(i, TRegLabel::LabR_UI,
                           RoundToStr(0, r.RR_U) + " В, " + RoundToStr(1, ToMilli(r.RR_I)) + " мА");
        view.SetRegCaption(i, TRegLabel::LabRL_I, RoundToStr(1, ToMilli(r.RL_I)) + " мА");
        view.SetRegCaption(i, TRegLabel::LabRL_U, RoundToStr(1, r.RL_U) + " В");
        view.SetRegCaption(i, TRegLabel::LabRL_P, NameAndPowerText(i, r));
    }

    AddLog(s, view, s.NowText + "  Рассчитано. ", true);
    AddLog(s, view, " шагов: " + std::to_string(s.StepCount), false);
    AddLog(s, view, "Число регенераторов: " + std::to_string(s.NumRegs), true);
    AddLog(s, view, "ДП: " + RoundToStr(0, s.U_Calc) + " В, " + RoundToStr(0, ToMilli(current)) + " мА",
           true);

    // One step only: already with the last regenerator at half the supply voltage the chain needs more.
    if (s.StepCount == 1) {
        AddLog(s, view, kCannotFeedText, true);
        AddLog(s, view, "Необходимое напряжение для данных условий: " + RoundToStr(0, s.U_Calc) + " В", true);
        MarkImpossible(view, TSourceLabel::LabURP_Calc);
    }

    if (ToMilli(current) > kCurrentLimit_mA) {
        if (!view.IsImpossVisible()) AddLog(s, view, kCannotFeedText, true);
        AddLog(s, view,
               "Ограничение тока " + std::to_string(kCurrentLimit_mA) + "/" +
                   std::to_string(kCurrentLimit_mA),
               true);
        MarkImpossible(view, TSourceLabel::LabRP_I);
    }
}

void ShowCancelled(const TCalcState& s, IResultsView& view, int regsWithResults) {
    const bool anyResults = regsWithResults >= 0;
    if (!anyResults) {
        view.SetSourceColor(TSourceLabel::LabURP_Calc, kColorBlack);
        view.SetSourceColor(TSourceLabel::LabRP_P, kColorBlack);
        view.SetSourceColor(TSourceLabel::LabRP_I, kColorBlack);
        view.SetImpossVisible(false);
        view.SetSourceCaption(TSourceLabel::LabURP_Calc, "? В");
        view.SetSourceCaption(TSourceLabel::LabRP_I, "Iдп=? мА");
        view.SetSourceCaption(TSourceLabel::LabRP_P, "Pдп=? Вт");
    }
    view.SetSourceCaption(TSourceLabel::LabRP_U, SupplyVoltageText(s));
    const int count = std::min<int>(s.NumRegs, MaxRegs);
    for (int i = 1; i <= count; ++i) {
        const TRegenerator& r = s.Regs[static_cast<size_t>(i)];
        view.SetRegCaption(i, TRegLabel::LabR, ResistanceText(r));
        view.SetRegCaption(i, TRegLabel::LabR_L, LengthText(r));
        if (i > regsWithResults) {
            view.SetRegCaption(i, TRegLabel::LabR_UI, "? В, ? мА");
            view.SetRegCaption(i, TRegLabel::LabRL_I, "? мА");
            view.SetRegCaption(i, TRegLabel::LabRL_U, "? В");
        }
        view.SetRegCaption(i, TRegLabel::LabRL_P, NameAndPowerText(i, r));
    }
    AddLog(s, view,
           s.NowText + (anyResults ? "  Расчёт отменён, показаны результаты предыдущего расчёта."
                                   : "  Расчёт отменён, результатов нет: ни один расчёт не закончен."),
           true);
}

} // namespace dp
