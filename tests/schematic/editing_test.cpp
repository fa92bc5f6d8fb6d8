// Editing by clicks: the bold values of a group and the supply voltage, the dialogs they ask through,
// what the typed text does to the table, and the errors that reach the error box.
#include "tests/schematic/schematic_fixture.h"

#include "calc/solver.h"
#include "schematic/uClonesNew.h"

#include <optional>
#include <string>
#include <vector>

namespace {

using dp::test::SchematicWindow;

enum class ClickOn { Resistance, Power, Length, Supply };

struct Dialog {
    const char* caption;
    const char* prompt;
    const char* prefill;
};

struct EditCase {
    const char* name;
    ClickOn click;
    bool startComputed; // regenerator 2 starts with its resistance computed from 10 km and 1.2 mm
    std::vector<std::optional<const char*>> answers; // nullopt: Cancel
    std::vector<Dialog> dialogs;                     // what the user is asked, in order
    int32_t rr;
    bool rrEnt;
    double length;
    double diameter;
    double power;
    int32_t uRP;
    const char* lengthText; // LabR_L of regenerator 2 after the calculation
    const char* powerText;  // LabRL_P of regenerator 2 after the calculation
};

void PrintTo(const EditCase& row, std::ostream* os) {
    *os << row.name;
}

constexpr Dialog kResistance{"Ввод сопротивления участка", "Ом", "256"};
constexpr Dialog kResistanceComputed{"Ввод сопротивления участка", "Ом", "159"};
constexpr Dialog kPower{"Ввод мощности регенератора", "Вт", "5,5"};
constexpr Dialog kLength{"Ввод длину линии", "км", "10"};
constexpr Dialog kDiameter{"Ввод диаметра жилы", "мм", "1,2"};
constexpr Dialog kSupply{"Ввод напряжения ДП", "В", "310"};
constexpr const char* kTyped = "Длина линии";
constexpr const char* kComputed = "10 км 1,2 мм";
constexpr const char* kR2 = "R2\r5,5 Вт";

// The regenerators of the chain are alike; regenerator 2 of 3 is edited.
class Editing : public SchematicWindow, public ::testing::WithParamInterface<EditCase> {
protected:
    void SetUp() override {
        SchematicWindow::SetUp();
        StartWith(3);
    }
    void Click(ClickOn on) {
        switch (on) {
        case ClickOn::Resistance:
            dp::test::ClickInMiddle(Reg(2).LabR);
            break;
        case ClickOn::Power:
            dp::test::ClickInMiddle(Reg(2).LabRL_P);
            break;
        case ClickOn::Length:
            dp::test::ClickInMiddle(Reg(2).LabR_L);
            break;
        case ClickOn::Supply:
            dp::test::ClickInMiddle(form_->LabRP_U);
            break;
        }
    }
    void ExpectUntouched(int n) {
        SCOPED_TRACE("regenerator " + std::to_string(n));
        EXPECT_EQ(Reg(n).RR, 256);
        EXPECT_TRUE(Reg(n).RR_ENT);
        EXPECT_EQ(Reg(n).RR_LEN, 10.0);
        EXPECT_EQ(Reg(n).RR_DIA, 1.2);
        EXPECT_EQ(Reg(n).RL_P, 5.5);
        EXPECT_EQ(Reg(n).LabR->Caption(), QStringLiteral("256"));
        EXPECT_EQ(Reg(n).LabR_L->Caption(), QString::fromUtf8(kTyped));
    }
    void MakeComputed() {
        Reg(2).RR = dp::LineResistance(10.0, 1.2);
        Reg(2).RR_ENT = false;
        form_->Calculate();
        ASSERT_EQ(Reg(2).RR, 159);
        ASSERT_EQ(Reg(2).LabR_L->Caption(), QString::fromUtf8(kComputed));
    }
};

TEST_P(Editing, StoresWhatParsesAndRecalculates) {
    const EditCase& c = GetParam();
    if (c.startComputed) MakeComputed();
    for (const auto& a : c.answers) {
        if (a)
            dialogs_->AnswerInput(QString::fromUtf8(*a));
        else
            dialogs_->CancelInput();
    }
    MarkLog();

    Click(c.click);

    ASSERT_EQ(dialogs_->Inputs().size(), c.dialogs.size());
    for (size_t i = 0; i < c.dialogs.size(); ++i) {
        SCOPED_TRACE("dialog " + std::to_string(i + 1));
        EXPECT_EQ(dialogs_->Inputs()[i].caption, QString::fromUtf8(c.dialogs[i].caption));
        EXPECT_EQ(dialogs_->Inputs()[i].prompt, QString::fromUtf8(c.dialogs[i].prompt));
        EXPECT_EQ(dialogs_->Inputs()[i].prefill, QString::fromUtf8(c.dialogs[i].prefill));
    }
    EXPECT_EQ(Reg(2).RR, c.rr);
    EXPECT_EQ(Reg(2).RR_ENT, c.rrEnt);
    EXPECT_EQ(Reg(2).RR_LEN, c.length);
    EXPECT_EQ(Reg(2).RR_DIA, c.diameter);
    EXPECT_EQ(Reg(2).RL_P, c.power);
    EXPECT_EQ(form_->State.U_RP, c.uRP);
    ExpectUntouched(1);
    ExpectUntouched(3);

    // Recalculated: a new log, and the labels show the values now in the table.
    EXPECT_TRUE(LogWasRewritten());
    EXPECT_TRUE(Log().contains(QStringLiteral("Рассчитано")));
    EXPECT_EQ(Reg(2).LabR->Caption(), QString::number(c.rr));
    EXPECT_EQ(Reg(2).LabR_L->Caption(), QString::fromUtf8(c.lengthText));
    EXPECT_EQ(Reg(2).LabRL_P->Caption(), QString::fromUtf8(c.powerText));
    EXPECT_EQ(form_->LabRP_U->Caption(), QStringLiteral("Uдп = %1").arg(c.uRP));
    EXPECT_TRUE(dialogs_->Messages().empty());
}

const std::optional<const char*> kCancel = std::nullopt;

// clang-format off
const EditCase kEditCases[] = {
    // name, click, startComputed, answers, dialogs, RR, RR_ENT, RR_LEN, RR_DIA, RL_P, U_RP, LabR_L, LabRL_P
    {"ResistanceTyped", ClickOn::Resistance, false, {"300"}, {kResistance}, 300, true, 10, 1.2, 5.5, 310, kTyped, kR2},
    {"ResistanceCancelMarksItTyped", ClickOn::Resistance, true, {kCancel}, {kResistanceComputed}, 159, true, 10, 1.2, 5.5, 310, kTyped, kR2},
    {"ResistanceLettersKeepTheValueButMarkItTyped", ClickOn::Resistance, true, {"abc"}, {kResistanceComputed}, 159, true, 10, 1.2, 5.5, 310, kTyped, kR2},
    {"ResistanceHexWithDollar", ClickOn::Resistance, false, {"$10"}, {kResistance}, 16, true, 10, 1.2, 5.5, 310, kTyped, kR2},
    {"ResistanceHexWith0x", ClickOn::Resistance, false, {"0x1F"}, {kResistance}, 31, true, 10, 1.2, 5.5, 310, kTyped, kR2},
    {"ResistanceBlanksAndSign", ClickOn::Resistance, false, {"  +42"}, {kResistance}, 42, true, 10, 1.2, 5.5, 310, kTyped, kR2},
    {"ResistanceBeyond32BitsIsRejected", ClickOn::Resistance, false, {"2147483648"}, {kResistance}, 256, true, 10, 1.2, 5.5, 310, kTyped, kR2},
    {"ResistanceRealIsRejected", ClickOn::Resistance, false, {"300.5"}, {kResistance}, 256, true, 10, 1.2, 5.5, 310, kTyped, kR2},
    {"ResistanceZeroIsStored", ClickOn::Resistance, false, {"0"}, {kResistance}, 0, true, 10, 1.2, 5.5, 310, kTyped, kR2},
    {"PowerWithPoint", ClickOn::Power, false, {"1.5"}, {kPower}, 256, true, 10, 1.2, 1.5, 310, kTyped, "R2\r1,5 Вт"},
    {"PowerWithComma", ClickOn::Power, false, {"1,5"}, {kPower}, 256, true, 10, 1.2, 1.5, 310, kTyped, "R2\r1,5 Вт"},
    {"PowerWithTwoPointsIsRejected", ClickOn::Power, false, {"1.2.3"}, {kPower}, 256, true, 10, 1.2, 5.5, 310, kTyped, kR2},
    {"PowerCancelKeepsIt", ClickOn::Power, false, {kCancel}, {kPower}, 256, true, 10, 1.2, 5.5, 310, kTyped, kR2},
    {"PowerWithExponent", ClickOn::Power, false, {"7.5E0"}, {kPower}, 256, true, 10, 1.2, 7.5, 310, kTyped, "R2\r7,5 Вт"},
    {"LengthCancelTwiceComputesTheResistance", ClickOn::Length, false, {kCancel, kCancel}, {kLength, kDiameter}, 159, false, 10, 1.2, 5.5, 310, kComputed, kR2},
    {"LengthAndDiameterTyped", ClickOn::Length, false, {"20", "0.9"}, {kLength, kDiameter}, 566, false, 20, 0.9, 5.5, 310, "20 км 0,9 мм", kR2},
    {"LengthRejectedDiameterTyped", ClickOn::Length, false, {"abc", "1"}, {kLength, kDiameter}, 229, false, 10, 1, 5.5, 310, "10 км 1 мм", kR2},
    {"SupplyTyped", ClickOn::Supply, false, {"400"}, {kSupply}, 256, true, 10, 1.2, 5.5, 400, kTyped, kR2},
    {"SupplyHex", ClickOn::Supply, false, {"$190"}, {kSupply}, 256, true, 10, 1.2, 5.5, 400, kTyped, kR2},
    {"SupplyWithInnerBlankIsRejected", ClickOn::Supply, false, {"4 00"}, {kSupply}, 256, true, 10, 1.2, 5.5, 310, kTyped, kR2},
    {"SupplyCancelKeepsIt", ClickOn::Supply, false, {kCancel}, {kSupply}, 256, true, 10, 1.2, 5.5, 310, kTyped, kR2},
    {"SupplyLargest32Bit", ClickOn::Supply, false, {"2147483647"}, {kSupply}, 256, true, 10, 1.2, 5.5, 2147483647, kTyped, kR2},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Schematic, Editing, ::testing::ValuesIn(kEditCases),
                         [](const auto& info) { return std::string(info.param.name); });

using EditingErrors = Editing;

TEST_F(EditingErrors, ZeroDiameterStoresTheDiameterShowsTheErrorAndDoesNotRecalculate) {
    dialogs_->AnswerInput(QStringLiteral("20"));
    dialogs_->AnswerInput(QStringLiteral("0"));
    MarkLog();

    dp::test::ClickInMiddle(Reg(2).LabR_L);

    ASSERT_EQ(dialogs_->Messages().size(), 1u);
    EXPECT_EQ(dialogs_->Messages()[0].text, QStringLiteral("Floating point division by zero"));
    EXPECT_EQ(dialogs_->Messages()[0].caption, QStringLiteral("Расчет ДП"));
    EXPECT_EQ(dialogs_->Messages()[0].icon, dp::TMsgIcon::Error);
    EXPECT_EQ(Reg(2).RR_LEN, 20.0);
    EXPECT_EQ(Reg(2).RR_DIA, 0.0);
    EXPECT_EQ(Reg(2).RR, 256);
    EXPECT_TRUE(Reg(2).RR_ENT);
    EXPECT_FALSE(LogWasRewritten());
    EXPECT_EQ(Reg(2).LabR_L->Caption(), QString::fromUtf8(kTyped));

    // The program carries on: the next edit works, prefilled with what was stored.
    dialogs_->CancelInput();
    dialogs_->AnswerInput(QStringLiteral("1.2"));
    dp::test::ClickInMiddle(Reg(2).LabR_L);
    ASSERT_EQ(dialogs_->Inputs().size(), 4u);
    EXPECT_EQ(dialogs_->Inputs()[2].prefill, QStringLiteral("20"));
    EXPECT_EQ(dialogs_->Inputs()[3].prefill, QStringLiteral("0"));
    EXPECT_EQ(dialogs_->Messages().size(), 1u);
    EXPECT_EQ(Reg(2).RR, dp::LineResistance(20.0, 1.2));
    EXPECT_FALSE(Reg(2).RR_ENT);
    EXPECT_TRUE(LogWasRewritten());
    EXPECT_EQ(Reg(2).LabR_L->Caption(), QStringLiteral("20 км 1,2 мм"));
}

TEST_F(EditingErrors, LengthBeyondTheResistanceRangeShowsTheErrorAndKeepsTheResistance) {
    dialogs_->AnswerInput(QStringLiteral("1e9"));
    dialogs_->CancelInput();
    MarkLog();
    dp::test::ClickInMiddle(Reg(2).LabR_L);
    ASSERT_EQ(dialogs_->Messages().size(), 1u);
    EXPECT_EQ(dialogs_->Messages()[0].text, QStringLiteral("Integer overflow"));
    EXPECT_EQ(Reg(2).RR_LEN, 1e9);
    EXPECT_EQ(Reg(2).RR, 256);
    EXPECT_TRUE(Reg(2).RR_ENT);
    EXPECT_FALSE(LogWasRewritten());
}

TEST_F(EditingErrors, PowerThatOverflowsTheArithmeticShowsTheErrorAndTheProgramCarriesOn) {
    const QString labelBefore = Reg(2).LabRL_U->Caption();
    const QString supplyBefore = form_->LabURP_Calc->Caption();
    dialogs_->AnswerInput(QStringLiteral("1e308"));

    dp::test::ClickInMiddle(Reg(2).LabRL_P);

    ASSERT_EQ(dialogs_->Messages().size(), 1u);
    const QString message = dialogs_->Messages()[0].text;
    EXPECT_TRUE(message == QStringLiteral("Floating point overflow") ||
                message == QStringLiteral("Invalid floating point operation"))
        << message.toStdString();
    EXPECT_EQ(dialogs_->Messages()[0].caption, QStringLiteral("Расчет ДП"));
    EXPECT_EQ(Reg(2).RL_P, 1e308);
    // The labels keep what the last finished calculation wrote.
    EXPECT_EQ(Reg(2).LabRL_U->Caption(), labelBefore);
    EXPECT_EQ(form_->LabURP_Calc->Caption(), supplyBefore);
    EXPECT_EQ(Reg(2).LabRL_P->Caption(), QString::fromUtf8(kR2));

    // A sound power brings the chain back.
    dialogs_->AnswerInput(QStringLiteral("5,5"));
    dp::test::ClickInMiddle(Reg(2).LabRL_P);
    EXPECT_EQ(dialogs_->Messages().size(), 1u);
    EXPECT_EQ(Reg(2).RL_P, 5.5);
    EXPECT_EQ(Reg(2).LabRL_U->Caption(), labelBefore);
    EXPECT_TRUE(Log().contains(QStringLiteral("Рассчитано")));
}

TEST_F(Editing, ClicksOnEqualLookingGroupsEditOnlyTheirOwnRegenerator) {
    dialogs_->AnswerInput(QStringLiteral("100"));
    dp::test::ClickInMiddle(Reg(3).LabR);
    dialogs_->AnswerInput(QStringLiteral("2"));
    dp::test::ClickInMiddle(Reg(1).LabRL_P);
    EXPECT_EQ(Reg(3).RR, 100);
    EXPECT_EQ(Reg(1).RL_P, 2.0);
    EXPECT_EQ(Reg(2).RR, 256);
    EXPECT_EQ(Reg(2).RL_P, 5.5);
    EXPECT_EQ(Reg(1).RR, 256);
    EXPECT_EQ(Reg(3).RL_P, 5.5);
    EXPECT_EQ(Reg(3).LabR->Caption(), QStringLiteral("100"));
    EXPECT_EQ(Reg(1).LabRL_P->Caption(), QStringLiteral("R1\r2 Вт"));
}

TEST_F(Editing, AClickThatBelongsToNoRegeneratorInUseDoesNothing) {
    // A bold label with the shared handler that no regenerator in use holds.
    auto* stray =
        static_cast<TLabel*>(dp::CloneControl(form_->LabR, form_.get(), form_->PanelSch->Content(), 0, 0));
    ASSERT_TRUE(static_cast<bool>(stray->OnClick));
    Reg(3).RR = 300; // the table holds a value beyond what the click could reach
    MarkLog();

    dp::test::ClickInMiddle(stray);
    form_->LabRClick(form_->LabR);    // the hidden template
    form_->LabRClick(form_->LabRP_U); // a label of the source
    form_->LabRClick(nullptr);

    EXPECT_TRUE(dialogs_->Inputs().empty());
    EXPECT_FALSE(LogWasRewritten());
    EXPECT_EQ(Reg(3).LabR->Caption(), QStringLiteral("256"));

    // A removed regenerator's place matches nothing either.
    dp::DeleteRegenerator(form_->Schematic, form_->State);
    form_->LabRClick(Reg(3).LabR);
    EXPECT_TRUE(dialogs_->Inputs().empty());
    EXPECT_FALSE(LogWasRewritten());
}

TEST_F(Editing, WithThePointAsSeparatorThePointIsTheDecimalMark) {
    dp::SetDecimalSeparator('.');
    dialogs_->AnswerInput(QStringLiteral("1.5"));
    dp::test::ClickInMiddle(Reg(2).LabRL_P);
    dialogs_->AnswerInput(QStringLiteral("2,5"));
    dp::test::ClickInMiddle(Reg(2).LabRL_P);
    ASSERT_EQ(dialogs_->Inputs().size(), 2u);
    EXPECT_EQ(dialogs_->Inputs()[0].prefill, QStringLiteral("5.5"));
    EXPECT_EQ(dialogs_->Inputs()[1].prefill, QStringLiteral("1.5"));
    EXPECT_EQ(Reg(2).RL_P, 1.5);
}

} // namespace
