#include "calc/solver.h"

#include "tests/calc/chain_fixture.h"
#include "tests/calc/recording_view.h"
#include "util/math_errors.h"
#include "util/uStrUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace dp {
namespace {

using test::MakeChain;
using test::RecordingView;

// ---- Worked examples -----------------------------------------------------------------------------

struct SolverCase {
    const char* name;
    int regs;
    int32_t u;
    int32_t steps;
    double xEnd;                                 // voltage of the last regenerator at the final step, V
    double uCalc;                                // V
    double supply_mA;                            // RR_I of record 1; NAN: not given
    std::vector<double> rlU;                     // V, records 1..n; empty: not given
    std::vector<double> rlI_mA;                  // mA
    std::vector<double> rrI_mA;                  // mA
    std::vector<double> rrU;                     // V
    std::vector<std::pair<int, double>> someRlU; // (record, V) where only some are given
};

void PrintTo(const SolverCase& row, std::ostream* os) {
    *os << row.name;
}

// How one calculation is run: the reference loop, the fast loop, or the whole Calculate.
struct Runner {
    const char* name;
    std::function<void(TCalcState&)> run;
};

void PrintTo(const Runner& row, std::ostream* os) {
    *os << row.name;
}

const Runner kRunners[] = {
    {"Literal",
     [](TCalcState& s) {
         s.LrpLoopOhms = ChokeLoopOhms(TChoke::R16);
         RunStepsLiteral(s);
     }},
    {"Fast",
     [](TCalcState& s) {
         s.LrpLoopOhms = ChokeLoopOhms(TChoke::R16);
         RunSteps(s);
     }},
    {"Calculate",
     [](TCalcState& s) {
         RecordingView view;
         Calculate(s, TChoke::R16, view);
     }},
};

const SolverCase kSolverCases[] = {
    {"U370_One", 1, 370, 1807, 365.7, 370.03, NAN, {}, {15.04}, {}, {4.33}, {}},
    {"U371_One", 1, 371, 1812, 366.7, 371.02, NAN, {}, {}, {}, {}, {}},
    {"U370_Three",
     3,
     370,
     1576,
     342.60,
     370.04,
     47.33,
     {356.41, 347.22, 342.60},
     {15.43, 15.84, 16.05},
     {47.33, 31.89, 16.05},
     {13.63, 9.19, 4.62},
     {}},
    {"U370_Ten", 10, 370, 1, 185.1, 554.56, 200.06, {}, {}, {}, {}, {{1, 496.95}}},
    {"U100_Three", 3, 100, 1, 50.1, 195.65, 218.53, {132.72, 81.72, 50.10}, {}, {}, {}, {}},
};

class WorkedExampleTest : public ::testing::TestWithParam<std::tuple<Runner, SolverCase>> {};

TEST_P(WorkedExampleTest, MatchesTheExample) {
    const Runner& runner = std::get<0>(GetParam());
    const SolverCase& c = std::get<1>(GetParam());
    auto s = MakeChain(c.regs, c.u);
    runner.run(*s);
    const auto& regs = s->Regs;
    constexpr double kShown = 0.005; // the examples are given to two decimals

    EXPECT_EQ(s->StepCount, c.steps);
    EXPECT_EQ(s->LrpLoopOhms, 32);
    // x is a running sum of steps of 0.1, so it is within rounding noise of the decimal value.
    EXPECT_NEAR(regs[c.regs].RL_U, c.xEnd, 1e-9);
    EXPECT_NEAR(s->U_Calc, c.uCalc, kShown);
    EXPECT_EQ(s->U_Calc, regs[1].RL_U + regs[1].RR_U);
    if (!std::isnan(c.supply_mA)) {
        EXPECT_NEAR(regs[1].RR_I * 1000, c.supply_mA, kShown);
    }
    for (size_t k = 0; k < c.rlU.size(); ++k)
        EXPECT_NEAR(regs[k + 1].RL_U, c.rlU[k], kShown) << "record " << k + 1;
    for (size_t k = 0; k < c.rlI_mA.size(); ++k)
        EXPECT_NEAR(regs[k + 1].RL_I * 1000, c.rlI_mA[k], kShown) << "record " << k + 1;
    for (size_t k = 0; k < c.rrI_mA.size(); ++k)
        EXPECT_NEAR(regs[k + 1].RR_I * 1000, c.rrI_mA[k], kShown) << "record " << k + 1;
    for (size_t k = 0; k < c.rrU.size(); ++k)
        EXPECT_NEAR(regs[k + 1].RR_U, c.rrU[k], kShown) << "record " << k + 1;
    for (const auto& [k, v] : c.someRlU) EXPECT_NEAR(regs[k].RL_U, v, kShown) << "record " << k;
    // Records beyond the chain are not touched.
    EXPECT_EQ(regs[c.regs + 1].RL_U, -1.0);
    EXPECT_EQ(regs[c.regs + 1].RR_I, -1.0);
}

INSTANTIATE_TEST_SUITE_P(Examples, WorkedExampleTest,
                         ::testing::Combine(::testing::ValuesIn(kRunners), ::testing::ValuesIn(kSolverCases)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

// The final step is the first one at which the chain needs at least U_RP: one step less falls short.
TEST(SolverStopRule, FinalStepIsTheFirstThatReachesTheSupply) {
    auto s = MakeChain(3, 370);
    s->LrpLoopOhms = 32;
    RunStepsLiteral(*s);
    const double lastX = s->Regs[3].RL_U;
    EXPECT_GE(s->U_Calc, 370.0);
    auto t = MakeChain(3, 370);
    t->LrpLoopOhms = 32;
    t->U_RP = 369; // a supply one volt lower stops earlier, below the former end
    RunStepsLiteral(*t);
    EXPECT_LT(t->Regs[3].RL_U, lastX);
}

// ---- No step ------------------------------------------------------------------------------------

class NoStepTest : public ::testing::TestWithParam<int32_t> {};

TEST_P(NoStepTest, LeavesComputedFieldsAndStillShowsResults) {
    auto s = MakeChain(2, GetParam());
    s->U_Calc = 123.0;
    s->StepCount = 99;
    RecordingView view;
    view.log = {"old line"};
    Calculate(*s, TChoke::R24, view);
    EXPECT_EQ(s->StepCount, 0);
    EXPECT_EQ(s->U_Calc, 0.0);
    EXPECT_EQ(s->LrpLoopOhms, 48);
    for (int k = 1; k <= 2; ++k) {
        EXPECT_EQ(s->Regs[k].RL_U, -1.0);
        EXPECT_EQ(s->Regs[k].RL_I, -1.0);
        EXPECT_EQ(s->Regs[k].RR_U, -1.0);
        EXPECT_EQ(s->Regs[k].RR_I, -1.0);
    }
    SetDecimalSeparator(',');
    EXPECT_EQ(view.Source(TSourceLabel::LabURP_Calc), "0 В");
    SetDecimalSeparator('.');
    ASSERT_EQ(view.log.size(), 3u) << "the old line is cleared and ShowResults writes its lines";
    EXPECT_EQ(view.log[1], "Число регенераторов: 2");
}

INSTANTIATE_TEST_SUITE_P(SupplyVoltages, NoStepTest, ::testing::Values(0, -1, -370, INT32_MIN),
                         [](const auto& info) {
                             return info.param == 0
                                        ? std::string("Zero")
                                        : "Minus" + std::to_string(-static_cast<int64_t>(info.param));
                         });

// ---- Choke ----------------------------------------------------------------------------------------

struct ChokeCase {
    const char* name;
    TChoke choke;
    int32_t ohms;
};

void PrintTo(const ChokeCase& row, std::ostream* os) {
    *os << row.name;
}

class ChokeTest : public ::testing::TestWithParam<ChokeCase> {};

TEST_P(ChokeTest, AddsItsLoopResistanceToEverySection) {
    auto s = MakeChain(2, 370);
    s->Regs[2].RR = 100;
    RecordingView view;
    Calculate(*s, GetParam().choke, view);
    EXPECT_EQ(s->LrpLoopOhms, GetParam().ohms);
    EXPECT_EQ(s->Regs[1].RR_U, (256.0 + GetParam().ohms) * s->Regs[1].RR_I);
    EXPECT_EQ(s->Regs[2].RR_U, (100.0 + GetParam().ohms) * s->Regs[2].RR_I);
}

INSTANTIATE_TEST_SUITE_P(Chokes, ChokeTest,
                         ::testing::Values(ChokeCase{"R24", TChoke::R24, 48},
                                           ChokeCase{"R16", TChoke::R16, 32}, ChokeCase{"R6", TChoke::R6, 12},
                                           ChokeCase{"None", TChoke::None, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Empty table ------------------------------------------------------------------------------------

TEST(EmptyTable, MakesNoStepAndShowsTheSourceOnly) {
    auto s = MakeChain(0, 370);
    RecordingView view;
    Calculate(*s, TChoke::R16, view);
    EXPECT_EQ(s->StepCount, 0);
    EXPECT_EQ(s->U_Calc, 0.0);
    EXPECT_EQ(s->Regs[1].RL_U, -1.0) << "record 1 is not in use and keeps its values";
    EXPECT_TRUE(view.regCaptions.empty());
    EXPECT_EQ(view.Source(TSourceLabel::LabRP_U), "Uдп = 370");
    ASSERT_EQ(view.log.size(), 3u);
    EXPECT_EQ(view.log[1], "Число регенераторов: 0");
}

// ---- Arithmetic faults ------------------------------------------------------------------------------

// Negative values bring regenerator 1 to exactly 0 V in the backward pass of the first step:
// the last regenerator at x draws P2 = x*x (so its current is x), and a section of -1 ohm drops -x.
TEST(SolverFault, ZeroRegeneratorVoltageAbandonsTheRun) {
    auto s = MakeChain(2, 100);
    const double x = 100 / 2.0 + U_Step; // the first step's voltage, computed as the loop does
    s->Regs[2].RL_P = x * x;
    s->Regs[2].RR = -1; // no choke: the section is -1 ohm
    ASSERT_EQ(s->Regs[2].RL_P / x, x) << "the construction needs an exact quotient";
    ASSERT_EQ(x + (-1.0 * x), 0.0);

    RecordingView view;
    view.log = {"previous calculation"};
    try {
        Calculate(*s, TChoke::None, view);
        FAIL() << "no error";
    } catch (const EMathError& e) {
        EXPECT_STREQ(e.what(), kZeroDivideText);
    }
    EXPECT_TRUE(view.log.empty()) << "the log stays cleared";
    ASSERT_EQ(view.trace.size(), 1u) << "nothing but the clearing of the log reaches the window";
    EXPECT_EQ(view.trace[0], "clear log");
    EXPECT_EQ(s->StepCount, 1);
    EXPECT_EQ(s->Regs[1].RL_U, 0.0) << "the fields written before the fault stay";
}

TEST(SolverFault, ZeroPowerEverywhereIsNoFault) {
    auto s = MakeChain(2, 10);
    s->Regs[1].RL_P = 0.0;
    s->Regs[2].RL_P = 0.0;
    RecordingView view;
    Calculate(*s, TChoke::R16, view);
    EXPECT_EQ(s->Regs[1].RR_I, 0.0);
    EXPECT_GT(s->StepCount, 1) << "stopped by x passing the supply voltage";
}

// ---- LineResistance -------------------------------------------------------------------------------

struct ResistanceCase {
    const char* name;
    double length;
    double diameter;
    int32_t ohms;
};

void PrintTo(const ResistanceCase& row, std::ostream* os) {
    *os << row.name;
}

class LineResistanceTest : public ::testing::TestWithParam<ResistanceCase> {};

TEST_P(LineResistanceTest, RoundsOnceToWholeOhms) {
    EXPECT_EQ(LineResistance(GetParam().length, GetParam().diameter), GetParam().ohms);
}

INSTANTIATE_TEST_SUITE_P(Sections, LineResistanceTest,
                         ::testing::Values(ResistanceCase{"Km10_Mm1_2", 10, 1.2, 159},
                                           ResistanceCase{"Km16_Mm1_2", 16, 1.2, 255},
                                           ResistanceCase{"Km5_Mm0_9", 5, 0.9, 142},
                                           ResistanceCase{"Km10_Mm0_64", 10, 0.64, 560},
                                           ResistanceCase{"ZeroLength", 0, 1.2, 0},
                                           ResistanceCase{"NegativeLength", -10, 1.2, -159},
                                           ResistanceCase{"NegativeDiameter", 10, -1.2, 159},
                                           ResistanceCase{"NearInt32Max", 1.3e8, 1.2, 2070063694}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ResistanceFaultCase {
    const char* name;
    double length;
    double diameter;
    const char* message;
};

void PrintTo(const ResistanceFaultCase& row, std::ostream* os) {
    *os << row.name;
}

class LineResistanceFaultTest : public ::testing::TestWithParam<ResistanceFaultCase> {};

TEST_P(LineResistanceFaultTest, Throws) {
    try {
        LineResistance(GetParam().length, GetParam().diameter);
        FAIL() << "no error";
    } catch (const EMathError& e) {
        EXPECT_STREQ(e.what(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LineResistanceFaultTest,
    ::testing::Values(ResistanceFaultCase{"ZeroDiameter", 10, 0, kZeroDivideText},
                      ResistanceFaultCase{"ZeroBoth", 0, 0, kInvalidOpText},
                      ResistanceFaultCase{"JustBeyondInt32", 1.35e8, 1.2, kIntOverflowText},
                      ResistanceFaultCase{"BelowInt32", -1.0e6, 0.001, kIntOverflowText},
                      ResistanceFaultCase{"AbsurdlyThin", 1e300, 1e-300, kIntOverflowText},
                      ResistanceFaultCase{"NotANumber", NAN, 1.2, kInvalidOpText},
                      ResistanceFaultCase{"InfiniteLength", INFINITY, 1.2, kOverflowText}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace dp

namespace dp {
namespace {

// The count is an unsigned byte; a count beyond the table's room is refused before any record is read.
TEST(TableBounds, CountBeyondTheTableIsRefused) {
    auto s = test::MakeChain(MaxRegs, 370);
    s->NumRegs = MaxRegs + 1;
    test::RecordingView view;
    view.log = {"kept"};
    EXPECT_THROW(Calculate(*s, TChoke::R16, view), std::out_of_range);
    EXPECT_EQ(view.log, std::vector<std::string>{"kept"});
}

TEST(TableBounds, FullTableCalculates) {
    auto s = test::MakeChain(MaxRegs, 370);
    test::RecordingView view;
    Calculate(*s, TChoke::R16, view);
    EXPECT_EQ(s->StepCount, 1);
    EXPECT_EQ(view.Reg(MaxRegs, TRegLabel::LabRL_P).substr(0, 5), "R200\r");
}

} // namespace
} // namespace dp
