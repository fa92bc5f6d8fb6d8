#include "calc/results.h"
#include "calc/solver.h"

#include "tests/support/chain.h"
#include "tests/support/recording_view.h"
#include "util/math_errors.h"
#include "util/uStrUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace dp {
namespace {

using test::MakeChain;
using test::RecordingView;
using Lines = std::vector<std::string>;

constexpr const char* kCannotFeed = "Питание регенераторов данным напряжением невозможно";
constexpr const char* kImposs = "Питание регенераторов при данных условиях невозможно";
constexpr const char* kCurrentLimit = "Ограничение тока 210/210";

// The program is made for the decimal comma; every test here starts with it and restores the default.
class ResultsTest : public ::testing::Test {
protected:
    void SetUp() override { SetDecimalSeparator(','); }
    void TearDown() override { SetDecimalSeparator('.'); }

    // A full calculation with the choke "16 SM" on a chain of equal regenerators.
    void Run(int regs, int32_t u, bool source75W = false) {
        state = MakeChain(regs, u);
        view.is75W = source75W;
        Calculate(*state, TChoke::R16, view);
    }

    std::unique_ptr<TCalcState> state;
    RecordingView view;
};

TEST_F(ResultsTest, OneRegeneratorAt370VWritesEveryLabelInOrder) {
    Run(1, 370);
    const Lines expected = {
        "clear log",
        "color LabURP_Calc=000000",
        "color LabRP_P=000000",
        "color LabRP_I=000000",
        "imposs visible=0",
        std::string("imposs caption=") + kImposs,
        "caption LabRP_U=Uдп = 370",
        "caption LabURP_Calc=370 В",
        "caption LabRP_I=Iдп=15 мА",
        "caption LabRP_P=Pдп=6 Вт",
        "reg 1 LabR=256",
        "reg 1 LabR_L=Длина линии",
        "reg 1 LabR_UI=4 В, 15 мА",
        "reg 1 LabRL_I=15 мА",
        "reg 1 LabRL_U=365,7 В",
        "reg 1 LabRL_P=R1\r5,5 Вт",
        "log 12:34:56  Рассчитано. ",
        "log Число регенераторов: 1",
        "log ДП: 370 В, 15 мА",
    };
    EXPECT_EQ(view.trace, expected);
    EXPECT_FALSE(view.impossVisible);
}

TEST_F(ResultsTest, ThreeRegeneratorsAt370V) {
    Run(3, 370);
    EXPECT_EQ(view.Reg(1, TRegLabel::LabR_UI), "14 В, 47,3 мА");
    EXPECT_EQ(view.Reg(1, TRegLabel::LabRL_I), "15,4 мА");
    EXPECT_EQ(view.Reg(1, TRegLabel::LabRL_U), "356,4 В");
    EXPECT_EQ(view.Reg(3, TRegLabel::LabR_UI), "5 В, 16,1 мА");
    EXPECT_EQ(view.Reg(3, TRegLabel::LabRL_U), "342,6 В");
    EXPECT_EQ(view.Reg(2, TRegLabel::LabRL_P), "R2\r5,5 Вт");
    EXPECT_EQ(view.Reg(3, TRegLabel::LabRL_P), "R3\r5,5 Вт");
    EXPECT_EQ(view.Source(TSourceLabel::LabRP_I), "Iдп=47 мА");
    EXPECT_EQ(view.Source(TSourceLabel::LabRP_P), "Pдп=18 Вт");
    EXPECT_EQ(view.log, (Lines{"12:34:56  Рассчитано. ", "Число регенераторов: 3", "ДП: 370 В, 47 мА"}));
    EXPECT_EQ(view.Reg(4, TRegLabel::LabR), "") << "no label beyond the chain is written";
}

// ---- Limits -------------------------------------------------------------------------------------

struct LimitCase {
    const char* name;
    int regs;
    int32_t u;
    bool source75W;
    Lines logTail; // the lines after "ДП: ..."
    uint32_t uCalcColor, powerColor, currentColor;
    bool imposs;
    const char* power;
};

void PrintTo(const LimitCase& row, std::ostream* os) {
    *os << row.name;
}

class LimitTest : public ResultsTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(LimitTest, MarksTheViolatedLimits) {
    const LimitCase& c = GetParam();
    Run(c.regs, c.u, c.source75W);
    ASSERT_GE(view.log.size(), 3u);
    EXPECT_EQ(Lines(view.log.begin() + 3, view.log.end()), c.logTail);
    EXPECT_EQ(view.Color(TSourceLabel::LabURP_Calc), c.uCalcColor);
    EXPECT_EQ(view.Color(TSourceLabel::LabRP_P), c.powerColor);
    EXPECT_EQ(view.Color(TSourceLabel::LabRP_I), c.currentColor);
    EXPECT_EQ(view.impossVisible, c.imposs);
    EXPECT_EQ(view.impossCaption, kImposs);
    EXPECT_EQ(view.Source(TSourceLabel::LabRP_P), c.power);
}

INSTANTIATE_TEST_SUITE_P(
    Chains, LimitTest,
    ::testing::Values(
        LimitCase{"Fed", 1, 370, true, {}, kColorBlack, kColorBlack, kColorBlack, false, "Pдп=6 Вт"},
        LimitCase{"TenAt370_150W",
                  10,
                  370,
                  false,
                  {kCannotFeed, "Необходимое напряжение для данных условий: 555 В"},
                  kColorRed,
                  kColorBlack,
                  kColorBlack,
                  true,
                  "Pдп=111 Вт"},
        LimitCase{"TenAt370_75W",
                  10,
                  370,
                  true,
                  {kCannotFeed, "Необходимое напряжение для данных условий: 555 В"},
                  kColorRed,
                  kColorRed,
                  kColorBlack,
                  true,
                  "Pдп=111 Вт"},
        LimitCase{"ThreeAt100",
                  3,
                  100,
                  false,
                  {kCannotFeed, "Необходимое напряжение для данных условий: 196 В", kCurrentLimit},
                  kColorRed,
                  kColorBlack,
                  kColorRed,
                  true,
                  "Pдп=43 Вт"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ResultsTest, ThreeAt100VLogsTheSupplyLine) {
    Run(3, 100);
    ASSERT_EQ(view.log.size(), 6u);
    EXPECT_EQ(view.log[2], "ДП: 196 В, 219 мА");
    EXPECT_EQ(view.Source(TSourceLabel::LabURP_Calc), "196 В");
}

// Limits checked on a hand-made state: supply current and needed voltage set directly.
struct EdgeCase {
    const char* name;
    double current; // A
    double uCalc;   // V
    int32_t steps;
    bool source75W;
    Lines logTail;
    uint32_t powerColor, currentColor;
    bool imposs;
};

void PrintTo(const EdgeCase& row, std::ostream* os) {
    *os << row.name;
}

class LimitEdgeTest : public ResultsTest, public ::testing::WithParamInterface<EdgeCase> {};

TEST_P(LimitEdgeTest, ComparesStrictly) {
    const EdgeCase& c = GetParam();
    state = MakeChain(1, 370);
    state->Regs[1].RR_I = c.current;
    state->U_Calc = c.uCalc;
    state->StepCount = c.steps;
    view.is75W = c.source75W;
    ShowResults(*state, view);
    EXPECT_EQ(Lines(view.log.begin() + 3, view.log.end()), c.logTail);
    EXPECT_EQ(view.Color(TSourceLabel::LabURP_Calc), kColorBlack);
    EXPECT_EQ(view.Color(TSourceLabel::LabRP_P), c.powerColor);
    EXPECT_EQ(view.Color(TSourceLabel::LabRP_I), c.currentColor);
    EXPECT_EQ(view.impossVisible, c.imposs);
}

const double k210mA = 0.21; // 0.21 A times 1000 is exactly 210.0 in doubles (checked below)

INSTANTIATE_TEST_SUITE_P(
    Edges, LimitEdgeTest,
    ::testing::Values(
        EdgeCase{"Power75Of75", 0.125, 600.0, 100, true, {}, kColorBlack, kColorBlack, false},
        EdgeCase{"Power74AndAHalfRoundsDown", 0.125, 596.0, 100, true, {}, kColorBlack, kColorBlack, false},
        EdgeCase{"Power75AndAHalfRoundsUp", 0.125, 604.0, 100, true, {}, kColorRed, kColorBlack, true},
        EdgeCase{"Power150Of150", 0.125, 1200.0, 100, false, {}, kColorBlack, kColorBlack, false},
        EdgeCase{"Power76AndAHalfRoundsToEven", 0.125, 612.0, 100, true, {}, kColorRed, kColorBlack, true},
        EdgeCase{"Power151Of150", 0.125, 1208.0, 100, false, {}, kColorRed, kColorBlack, true},
        EdgeCase{"Current210", k210mA, 100.0, 100, false, {}, kColorBlack, kColorBlack, false},
        EdgeCase{"CurrentJustAbove210",
                 std::nextafter(k210mA, 1.0),
                 100.0,
                 100,
                 false,
                 {kCannotFeed, kCurrentLimit},
                 kColorBlack,
                 kColorRed,
                 true},
        // The power limit is already shown: the current line comes without the cannot-feed line.
        EdgeCase{"PowerAndCurrent", 0.3, 300.0, 100, true, {kCurrentLimit}, kColorRed, kColorRed, true},
        EdgeCase{"NegativeCurrent", -5.0, 300.0, 100, true, {}, kColorBlack, kColorBlack, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LimitPrecondition, TwoHundredTenMilliamperesIsExact) {
    ASSERT_EQ(k210mA * 1000.0, 210.0);
}

TEST_F(ResultsTest, WarningLastsUntilTheNextCalculation) {
    Run(10, 370, true);
    ASSERT_TRUE(view.impossVisible);
    ASSERT_EQ(view.Color(TSourceLabel::LabRP_P), kColorRed);
    state->U_RP = 2000; // now the chain is fed, below 75 W and 210 mA
    Calculate(*state, TChoke::R16, view);
    EXPECT_FALSE(view.impossVisible);
    EXPECT_EQ(view.Color(TSourceLabel::LabURP_Calc), kColorBlack);
    EXPECT_EQ(view.Color(TSourceLabel::LabRP_P), kColorBlack);
    EXPECT_EQ(view.Color(TSourceLabel::LabRP_I), kColorBlack);
    EXPECT_EQ(view.log.size(), 3u);
}

// ---- Values before any calculation, lengths, debug lines ------------------------------------------

TEST_F(ResultsTest, NoStepShowsTheMarkersOfAnUncalculatedChain) {
    Run(1, 0);
    EXPECT_EQ(view.Source(TSourceLabel::LabRP_U), "Uдп = 0");
    EXPECT_EQ(view.Source(TSourceLabel::LabURP_Calc), "0 В");
    EXPECT_EQ(view.Source(TSourceLabel::LabRP_P), "Pдп=0 Вт");
    EXPECT_EQ(view.Source(TSourceLabel::LabRP_I), "Iдп=-1000 мА");
    EXPECT_EQ(view.Reg(1, TRegLabel::LabRL_U), "-1 В");
    EXPECT_EQ(view.Reg(1, TRegLabel::LabRL_I), "-1000 мА");
    EXPECT_EQ(view.Reg(1, TRegLabel::LabR_UI), "-1 В, -1000 мА");
    EXPECT_EQ(view.log, (Lines{"12:34:56  Рассчитано. ", "Число регенераторов: 1", "ДП: 0 В, -1000 мА"}));
}

TEST_F(ResultsTest, NegativeSupplyVoltageIsShownAsTyped) {
    Run(1, -370);
    EXPECT_EQ(view.Source(TSourceLabel::LabRP_U), "Uдп = -370");
}

struct LengthCase {
    const char* name;
    char separator;
    double length, diameter;
    const char* text;
};

void PrintTo(const LengthCase& row, std::ostream* os) {
    *os << row.name;
}

class LengthLabelTest : public ResultsTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(LengthLabelTest, ShowsLengthAndDiameterInGeneralFormat) {
    SetDecimalSeparator(GetParam().separator);
    state = MakeChain(2, 370);
    state->Regs[2].RR_ENT = false;
    state->Regs[2].RR_LEN = GetParam().length;
    state->Regs[2].RR_DIA = GetParam().diameter;
    Calculate(*state, TChoke::R16, view);
    EXPECT_EQ(view.Reg(1, TRegLabel::LabR_L), "Длина линии");
    EXPECT_EQ(view.Reg(2, TRegLabel::LabR_L), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Lengths, LengthLabelTest,
                         ::testing::Values(LengthCase{"Comma", ',', 16.0, 1.2, "16 км 1,2 мм"},
                                           LengthCase{"BothFractions", ',', 2.5, 0.5, "2,5 км 0,5 мм"},
                                           LengthCase{"Point", '.', 2.5, 0.5, "2.5 км 0.5 мм"},
                                           LengthCase{"FifteenDigits", ',', 1.0 / 3.0, 0.64,
                                                      "0,333333333333333 км 0,64 мм"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ResultsTest, PowerLabelUsesOneDecimal) {
    state = MakeChain(2, 370);
    state->Regs[1].RL_P = 7.25;
    state->Regs[2].RL_P = 12.0;
    Calculate(*state, TChoke::R16, view);
    EXPECT_EQ(view.Reg(1, TRegLabel::LabRL_P), "R1\r7,2 Вт");
    EXPECT_EQ(view.Reg(2, TRegLabel::LabRL_P), "R2\r12 Вт");
}

TEST_F(ResultsTest, DebugLinesOnlyWithDebugLog) {
    state = MakeChain(1, 370);
    state->DebugLog = true;
    Calculate(*state, TChoke::R16, view);
    ASSERT_EQ(view.log.size(), 4u);
    EXPECT_EQ(view.log[1], " debug:  шагов: 1807");
    EXPECT_EQ(view.log[2], "Число регенераторов: 1");
}

TEST(AddLogTest, AlwaysAndDebugLines) {
    TCalcState s;
    RecordingView view;
    AddLog(s, view, "line", true);
    AddLog(s, view, "hidden", false);
    s.DebugLog = true;
    AddLog(s, view, "shown", false);
    AddLog(s, view, "plain", true);
    EXPECT_EQ(view.log, (Lines{"line", " debug: shown", "plain"}));
}

TEST(MarkImpossibleTest, PaintsRedAndShowsTheNotice) {
    RecordingView view;
    MarkImpossible(view, TSourceLabel::LabRP_I);
    EXPECT_EQ(view.trace, (Lines{"color LabRP_I=ff0000", "imposs visible=1"}));
}

// ---- Absurd values ---------------------------------------------------------------------------------

TEST_F(ResultsTest, PowerBeyond32BitsIsShownAsItsTrueValue) {
    state = MakeChain(1, 370);
    state->Regs[1].RR_I = 1e6;
    state->U_Calc = 1e4;
    state->StepCount = 100;
    ShowResults(*state, view);
    EXPECT_EQ(view.Source(TSourceLabel::LabRP_P), "Pдп=10000000000 Вт");
    EXPECT_EQ(view.Color(TSourceLabel::LabRP_P), kColorRed);
}

struct FaultCase {
    const char* name;
    double current;
    double uCalc;
    const char* message;
    size_t captionsBefore; // source captions written before the fault
};

void PrintTo(const FaultCase& row, std::ostream* os) {
    *os << row.name;
}

class ResultsFaultTest : public ResultsTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(ResultsFaultTest, EndsEarlyWithTheArithmeticError) {
    state = MakeChain(1, 370);
    state->Regs[1].RR_I = GetParam().current;
    state->U_Calc = GetParam().uCalc;
    try {
        ShowResults(*state, view);
        FAIL() << "no error";
    } catch (const EMathError& e) {
        EXPECT_STREQ(e.what(), GetParam().message);
    }
    EXPECT_EQ(view.sourceCaptions.size(), GetParam().captionsBefore);
    EXPECT_TRUE(view.log.empty());
}

INSTANTIATE_TEST_SUITE_P(Faults, ResultsFaultTest,
                         ::testing::Values(FaultCase{"PowerBeyondInt64", 1e10, 1e10, kInvalidOpText, 0},
                                           FaultCase{"PowerProductOverflows", 1e200, 1e200, kOverflowText, 0},
                                           FaultCase{"MilliampereProductOverflows", 1e306, 0.0, kOverflowText,
                                                     2},
                                           FaultCase{"VoltsBeyondInt64", 0.0, 1e19, kInvalidOpText, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace dp

namespace dp {
namespace {

// After a cancel the inputs are shown as edited, the results of the last shown calculation stay, the
// groups it did not write and, before any, the source show question marks.
TEST_F(ResultsTest, CancelledCalculationShowsTheInputsAndKeepsTheResults) {
    auto s = MakeChain(3, 1000000);
    s->Regs[1].RR = 300;
    s->Regs[2].RR_ENT = false;
    s->Regs[2].RR_LEN = 2.5;
    s->Regs[2].RR_DIA = 0.5;
    s->Regs[3].RL_P = 7.25;

    RecordingView kept;
    ShowCancelled(*s, kept, 2);
    EXPECT_EQ(kept.Source(TSourceLabel::LabRP_U), "Uдп = 1000000");
    EXPECT_EQ(kept.Reg(1, TRegLabel::LabR), "300");
    EXPECT_EQ(kept.Reg(2, TRegLabel::LabR_L), "2,5 км 0,5 мм");
    EXPECT_EQ(kept.Reg(3, TRegLabel::LabRL_P), "R3\r7,2 Вт");
    for (int i = 1; i <= 2; ++i)
        for (TRegLabel l : {TRegLabel::LabR_UI, TRegLabel::LabRL_I, TRegLabel::LabRL_U})
            EXPECT_FALSE(kept.regCaptions.contains({i, l})) << i;
    EXPECT_EQ(kept.Reg(3, TRegLabel::LabR_UI), "? В, ? мА");
    EXPECT_EQ(kept.Reg(3, TRegLabel::LabRL_I), "? мА");
    EXPECT_EQ(kept.Reg(3, TRegLabel::LabRL_U), "? В");
    for (TSourceLabel l : {TSourceLabel::LabURP_Calc, TSourceLabel::LabRP_I, TSourceLabel::LabRP_P}) {
        EXPECT_FALSE(kept.sourceCaptions.contains(l));
        EXPECT_FALSE(kept.sourceColors.contains(l));
    }
    for (const std::string& call : kept.trace) EXPECT_NE(call.rfind("imposs", 0), 0u) << call;
    EXPECT_EQ(kept.log, Lines{"12:34:56  Расчёт отменён, показаны результаты предыдущего расчёта."});

    RecordingView none;
    none.impossVisible = true;
    ShowCancelled(*s, none, -1);
    EXPECT_EQ(none.Source(TSourceLabel::LabURP_Calc), "? В");
    EXPECT_EQ(none.Source(TSourceLabel::LabRP_I), "Iдп=? мА");
    EXPECT_EQ(none.Source(TSourceLabel::LabRP_P), "Pдп=? Вт");
    for (TSourceLabel l : {TSourceLabel::LabURP_Calc, TSourceLabel::LabRP_I, TSourceLabel::LabRP_P})
        EXPECT_EQ(none.Color(l), kColorBlack);
    EXPECT_FALSE(none.impossVisible);
    EXPECT_EQ(none.Reg(1, TRegLabel::LabRL_U), "? В");
    EXPECT_EQ(none.log, Lines{"12:34:56  Расчёт отменён, результатов нет: ни один расчёт не закончен."});
}

} // namespace
} // namespace dp
