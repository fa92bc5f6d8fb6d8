#include "calc/solver.h"

#include "tests/calc/differential.h"
#include "tests/support/chain.h"
#include "tests/support/recording_view.h"
#include "util/math_errors.h"
#include "util/uStrUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace dp {
namespace {

using test::MakeChain;
using test::RecordingView;
using test::SameResults;

// ---- Worked examples -----------------------------------------------------------------------------
//
// The examples with known results, each run through every entry of the solver: the reference loop,
// the fast loop and the whole Calculate. The loops also leave the reference loop's bits.

struct TFieldValue {
    int Record;
    double TRegenerator::*Field;
    double Value; // as quoted, to two decimals (currents in amperes)
};

struct TWorkedExample {
    const char* Name;
    int32_t U_RP;
    int NumRegs;
    int32_t Steps;
    double XEnd; // voltage of the last regenerator at the final step, V; NAN: no step
    double U_Calc;
    std::vector<TFieldValue> Fields;
};

void PrintTo(const TWorkedExample& row, std::ostream* os) {
    *os << row.Name;
}

constexpr auto U = &TRegenerator::RL_U;
constexpr auto RLI = &TRegenerator::RL_I;
constexpr auto RRU = &TRegenerator::RR_U;
constexpr auto RRI = &TRegenerator::RR_I;

const TWorkedExample kWorkedExamples[] = {
    {"U370_One", 370, 1, 1807, 365.7, 370.03, {{1, RLI, 0.01504}, {1, RRU, 4.33}}},
    {"U371_One", 371, 1, 1812, 366.7, 371.02, {}},
    {"U370_Three",
     370,
     3,
     1576,
     342.60,
     370.04,
     {{1, U, 356.41},
      {2, U, 347.22},
      {1, RLI, 0.01543},
      {2, RLI, 0.01584},
      {3, RLI, 0.01605},
      {1, RRI, 0.04733},
      {2, RRI, 0.03189},
      {3, RRI, 0.01605},
      {1, RRU, 13.63},
      {2, RRU, 9.19},
      {3, RRU, 4.62}}},
    {"U370_Ten", 370, 10, 1, 185.1, 554.56, {{1, U, 496.95}, {1, RRI, 0.20006}}},
    {"U100_Three", 100, 3, 1, 50.1, 195.65, {{1, U, 132.72}, {2, U, 81.72}, {1, RRI, 0.21853}}},
    // No step: the computed fields keep their markers.
    {"U0", 0, 1, 0, NAN, 0.0, {{1, U, -1.0}, {1, RRI, -1.0}}},
    {"Negative", -5, 3, 0, NAN, 0.0, {{3, U, -1.0}, {1, RRI, -1.0}}},
};

// How one calculation is run: the reference loop, the fast loop, or the whole Calculate.
struct Runner {
    const char* name;
    void (*run)(TCalcState&);
};

void PrintTo(const Runner& row, std::ostream* os) {
    *os << row.name;
}

const Runner kRunners[] = {
    {"Literal", RunStepsLiteral},
    {"Fast", RunSteps},
    {"Calculate",
     [](TCalcState& s) {
         RecordingView view;
         Calculate(s, TChoke::R16, view);
     }},
};

class WorkedExampleTest : public ::testing::TestWithParam<std::tuple<Runner, TWorkedExample>> {};

TEST_P(WorkedExampleTest, MatchesTheExampleAndTheReferenceBits) {
    const Runner& runner = std::get<0>(GetParam());
    const TWorkedExample& c = std::get<1>(GetParam());
    auto s = MakeChain(c.NumRegs, c.U_RP);
    auto reference = std::make_unique<TCalcState>(*s);
    runner.run(*s);
    const auto& regs = s->Regs;
    constexpr double kShown = 0.005; // the examples are given to two decimals

    EXPECT_EQ(s->StepCount, c.Steps);
    EXPECT_EQ(s->LrpLoopOhms, 32);
    // x is a running sum of steps of 0.1, so it is within rounding noise of the decimal value.
    if (!std::isnan(c.XEnd)) {
        EXPECT_NEAR(regs[c.NumRegs].RL_U, c.XEnd, 1e-9);
        EXPECT_EQ(s->U_Calc, regs[1].RL_U + regs[1].RR_U);
    }
    EXPECT_NEAR(s->U_Calc, c.U_Calc, kShown);
    for (const TFieldValue& f : c.Fields)
        EXPECT_NEAR(regs[f.Record].*f.Field, f.Value, kShown) << "record " << f.Record;
    // Records beyond the chain are not touched.
    EXPECT_EQ(regs[c.NumRegs + 1].RL_U, -1.0);
    EXPECT_EQ(regs[c.NumRegs + 1].RR_I, -1.0);

    RunStepsLiteral(*reference);
    EXPECT_TRUE(SameResults(*s, "", *reference, ""));
}

INSTANTIATE_TEST_SUITE_P(Examples, WorkedExampleTest,
                         ::testing::Combine(::testing::ValuesIn(kRunners),
                                            ::testing::ValuesIn(kWorkedExamples)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).Name;
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
