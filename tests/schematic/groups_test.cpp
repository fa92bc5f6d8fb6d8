// Regenerator groups: the eleven copies of every group, where they lie, in which order they are made
// and destroyed, the wires, the scroll extent, and the "+" and "-" buttons.
#include "tests/schematic/schematic_fixture.h"

#include <QScrollBar>
#include <gmock/gmock.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using dp::test::SchematicWindow;

// One control of a group: where the group table puts it, relative to the group's origin X.
struct GroupControl {
    const char* name;
    std::function<QWidget*(const dp::TRegenerator&)> field;
    int leftFromX;
    int top;
    int width; // 0: sized to its text
    int height;
};

const std::vector<GroupControl>& GroupTable() {
    static const std::vector<GroupControl> table = {
        {"shRR", [](const dp::TRegenerator& r) -> QWidget* { return r.shRR; }, 44, 40, 40, 16},
        {"LabR_UI", [](const dp::TRegenerator& r) -> QWidget* { return r.LabR_UI; }, 44, 23, 0, 0},
        {"LabR_L", [](const dp::TRegenerator& r) -> QWidget* { return r.LabR_L; }, 20, 56, 0, 0},
        {"LabR", [](const dp::TRegenerator& r) -> QWidget* { return r.LabR; }, 50, 42, 0, 0},
        {"LineReg", [](const dp::TRegenerator& r) -> QWidget* { return r.LineReg; }, 126, 48, 3, 124},
        {"ShRL", [](const dp::TRegenerator& r) -> QWidget* { return r.ShRL; }, 100, 104, 65, 41},
        {"LabRL_P", [](const dp::TRegenerator& r) -> QWidget* { return r.LabRL_P; }, 108, 109, 57, 44},
        {"LabRL_I", [](const dp::TRegenerator& r) -> QWidget* { return r.LabRL_I; }, 138, 88, 0, 0},
        {"LabRL_U", [](const dp::TRegenerator& r) -> QWidget* { return r.LabRL_U; }, 114, 36, 0, 0},
        {"imLRP_A", [](const dp::TRegenerator& r) -> QWidget* { return r.imLRP_A; }, 16, 44, 25, 15},
        {"imLRP_B", [](const dp::TRegenerator& r) -> QWidget* { return r.imLRP_B; }, 96, 44, 25, 15},
    };
    return table;
}

std::vector<QWidget*> GroupControls(const dp::TRegenerator& r) {
    std::vector<QWidget*> controls;
    for (const GroupControl& c : GroupTable()) controls.push_back(c.field(r));
    return controls;
}

// The group of regenerator n lies where the group table puts it, X = 48 + 130 (n - 1), and shows.
void ExpectGroupInPlace(const TForm1& form, int n) {
    const dp::TRegenerator& r = form.State.Regs.at(static_cast<size_t>(n));
    const int x = 48 + 130 * (n - 1);
    for (const GroupControl& c : GroupTable()) {
        SCOPED_TRACE(std::string(c.name) + " of regenerator " + std::to_string(n));
        QWidget* w = c.field(r);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget(), form.PanelSch->Content());
        EXPECT_EQ(w->x(), x + c.leftFromX);
        EXPECT_EQ(w->y(), c.top);
        if (c.width != 0) {
            EXPECT_EQ(w->size(), QSize(c.width, c.height));
        }
        EXPECT_TRUE(w->isVisibleTo(form.PanelSch->Content()));
    }
}

// The copies lie in the panel's list of children (its stacking order, bottom first) in this order.
std::vector<QWidget*> ContentChildren(const TForm1& form) {
    std::vector<QWidget*> out;
    for (QObject* o : form.PanelSch->Content()->children())
        if (auto* w = qobject_cast<QWidget*>(o)) out.push_back(w);
    return out;
}

TEST_F(SchematicWindow, FirstRegeneratorTakesTheTableDefaultsAndLiesAtTheSourceFeedLine) {
    dp::AddRegenerator(form_->Schematic, form_->State);
    ASSERT_EQ(NumRegs(), 1);
    ExpectGroupInPlace(*form_, 1);
    EXPECT_EQ(form_->LineA->Width(), 130);
    EXPECT_EQ(form_->LineB->Width(), 130);
    // Before the first calculation the name carries the design power.
    EXPECT_EQ(Reg(1).LabRL_P->Caption(), QStringLiteral("R1  5,5Вт"));
    EXPECT_EQ(Reg(1).RR, 256);
    EXPECT_TRUE(Reg(1).RR_ENT);
    EXPECT_EQ(Reg(1).RL_P, 5.5);
    // Adding does not calculate: the other labels still carry the template texts.
    EXPECT_EQ(Reg(1).LabR->Caption(), QStringLiteral("250"));
    EXPECT_EQ(Reg(1).RL_U, -1.0);
}

TEST_F(SchematicWindow, CopiesAreDrawnInTheOrderOfCreationOverEveryDesignControl) {
    StartWith(2);
    const std::vector<QWidget*> children = ContentChildren(*form_);
    std::vector<QWidget*> expected = GroupControls(Reg(1));
    const std::vector<QWidget*> second = GroupControls(Reg(2));
    expected.insert(expected.end(), second.begin(), second.end());
    ASSERT_GE(children.size(), expected.size());
    const std::vector<QWidget*> last(children.end() - static_cast<long>(expected.size()), children.end());
    EXPECT_EQ(last, expected);

    // What the user sees at a point is the later control: text over box, box over feed line, chokes
    // over wire A.
    QWidget* content = form_->PanelSch->Content();
    const int x = 48 + 130;
    EXPECT_EQ(content->childAt(Reg(2).LabR->geometry().center()), Reg(2).LabR);
    EXPECT_EQ(content->childAt(QPoint(x + 127, 120)), Reg(2).LabRL_P);
    EXPECT_EQ(content->childAt(QPoint(x + 127, 100)), Reg(2).LineReg);
    EXPECT_EQ(content->childAt(QPoint(x + 102, 142)), Reg(2).ShRL);
    EXPECT_EQ(content->childAt(QPoint(x + 20, 49)), Reg(2).imLRP_A);
    EXPECT_EQ(content->childAt(QPoint(x + 100, 49)), Reg(2).imLRP_B);
}

TEST_F(SchematicWindow, DeleteDestroysTheLastGroupInItsOrderAndClearsTheReferences) {
    StartWith(3);
    std::vector<std::string> destroyed;
    const std::vector<std::pair<const char*, QWidget*>> watched = {
        {"imLRP_B", Reg(3).imLRP_B}, {"LabRL_P", Reg(3).LabRL_P}, {"LineReg", Reg(3).LineReg},
        {"shRR", Reg(3).shRR},       {"ShRL", Reg(3).ShRL},       {"LabR_UI", Reg(3).LabR_UI},
        {"LabR", Reg(3).LabR},       {"LabR_L", Reg(3).LabR_L},   {"LabRL_U", Reg(3).LabRL_U},
        {"LabRL_I", Reg(3).LabRL_I}, {"imLRP_A", Reg(3).imLRP_A},
    };
    for (const auto& [name, w] : watched)
        QObject::connect(w, &QObject::destroyed, [&destroyed, n = name] { destroyed.emplace_back(n); });
    Reg(3).RR = 777;

    dp::DeleteRegenerator(form_->Schematic, form_->State);

    EXPECT_THAT(destroyed, ::testing::ElementsAre("LineReg", "shRR", "ShRL", "LabR_UI", "LabR", "LabR_L",
                                                  "LabRL_U", "LabRL_I", "LabRL_P", "imLRP_A", "imLRP_B"));
    EXPECT_EQ(NumRegs(), 2);
    for (QWidget* w : GroupControls(Reg(3))) EXPECT_EQ(w, nullptr);
    EXPECT_EQ(Reg(3).RR, 777); // the values stay in the table
    EXPECT_EQ(form_->ComponentCount(), fixedComponents_ + 11 * 2);
    EXPECT_EQ(form_->LineA->Width(), 260);
    EXPECT_EQ(form_->LineB->Width(), 260);
    ExpectGroupInPlace(*form_, 2);
}

// A sequence of "+" (+) and "-" (-) clicks from one regenerator, and the count it ends with.
struct ButtonSequence {
    const char* name;
    const char* clicks;
    int count;
};

void PrintTo(const ButtonSequence& row, std::ostream* os) {
    *os << row.name;
}

class ButtonSequences : public SchematicWindow, public ::testing::WithParamInterface<ButtonSequence> {};

TEST_P(ButtonSequences, KeepTheChainTheWiresAndTheComponentsInStep) {
    StartWith(1);
    for (const char* c = GetParam().clicks; *c != '\0'; ++c) {
        MarkLog();
        (*c == '+' ? form_->ButADD : form_->ButDel)->Click();
        // Every click recalculates, also when it changes nothing.
        EXPECT_TRUE(LogWasRewritten());
        EXPECT_TRUE(Log().contains(QStringLiteral("Число регенераторов: %1").arg(NumRegs())));
    }
    const int n = GetParam().count;
    ASSERT_EQ(NumRegs(), n);
    EXPECT_EQ(form_->LineA->Width(), 130 * n);
    EXPECT_EQ(form_->LineB->Width(), 130 * n);
    // The right end of the wires lies 4 pixels past the left edge of the last feed line.
    EXPECT_EQ(form_->LineA->Left() + form_->LineA->Width(), Reg(n).LineReg->x() + 4);
    EXPECT_EQ(form_->ComponentCount(), fixedComponents_ + 11 * n);
    for (int i = 1; i <= n; ++i) ExpectGroupInPlace(*form_, i);
    for (int i = n + 1; i <= dp::MaxRegs; ++i)
        for (QWidget* w : GroupControls(Reg(i))) ASSERT_EQ(w, nullptr) << "record " << i;
    // The calculation labelled every group with its own number.
    for (int i = 1; i <= n; ++i)
        EXPECT_TRUE(Reg(i).LabRL_P->Caption().startsWith(QStringLiteral("R%1\r").arg(i)));
}

INSTANTIATE_TEST_SUITE_P(Schematic, ButtonSequences,
                         ::testing::Values(ButtonSequence{"PlusOnce", "+", 2},
                                           ButtonSequence{"PlusFourTimes", "++++", 5},
                                           ButtonSequence{"MinusAtOneIsRefused", "-", 1},
                                           ButtonSequence{"MinusRefusedTwiceThenPlus", "--+", 2},
                                           ButtonSequence{"UpAndDown", "+++--+-+", 3},
                                           ButtonSequence{"DownToOneAndBelow", "++----", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SchematicWindow, PlusHandsTheLastRegeneratorsInputsOnButNotItsResults) {
    StartWith(2);
    Reg(2).RR = 333;
    Reg(2).RR_ENT = false;
    Reg(2).RR_LEN = 12.5;
    Reg(2).RR_DIA = 0.9;
    Reg(2).RL_P = 7.25;
    Reg(3).RL_U = 123.0; // a stale result in the next record
    form_->ButADD->Click();
    ASSERT_EQ(NumRegs(), 3);
    EXPECT_EQ(Reg(3).RR, 333);
    EXPECT_FALSE(Reg(3).RR_ENT);
    EXPECT_EQ(Reg(3).RR_LEN, 12.5);
    EXPECT_EQ(Reg(3).RR_DIA, 0.9);
    EXPECT_EQ(Reg(3).RL_P, 7.25);
    // Recalculated, so the result is the chain's, not the stale one.
    EXPECT_NE(Reg(3).RL_U, 123.0);
    EXPECT_EQ(Reg(3).LabR->Caption(), QStringLiteral("333"));
    EXPECT_EQ(Reg(3).LabR_L->Caption(), QStringLiteral("12,5 км 0,9 мм"));
}

TEST_F(SchematicWindow, MinusThenPlusTakesThePredecessorsValuesNotTheRemovedOnes) {
    StartWith(2);
    Reg(2).RR = 500;
    Reg(2).RL_P = 9.0;
    form_->ButDel->Click();
    form_->ButADD->Click();
    ASSERT_EQ(NumRegs(), 2);
    EXPECT_EQ(Reg(2).RR, 256);
    EXPECT_EQ(Reg(2).RL_P, 5.5);
}

TEST_F(SchematicWindow, FirstPlusOnAnEmptyChainCopiesNothing) {
    Reg(1).RR = 111; // what the table holds for the first slot is what it gets
    form_->ButADD->Click();
    ASSERT_EQ(NumRegs(), 1);
    EXPECT_EQ(Reg(1).RR, 111);
    EXPECT_EQ(Reg(1).LabR->Caption(), QStringLiteral("111"));
}

TEST_F(SchematicWindow, TwoHundredRegeneratorsFillTheTableAndAFurtherPlusIsRefused) {
    StartWith(1);
    for (int i = 2; i <= dp::MaxRegs; ++i) form_->ButADD->Click();
    ASSERT_EQ(NumRegs(), 200);
    EXPECT_EQ(form_->ComponentCount(), fixedComponents_ + 11 * 200);
    ExpectGroupInPlace(*form_, 200);
    EXPECT_EQ(form_->LineA->Width(), 26000);

    MarkLog();
    form_->ButADD->Click();
    EXPECT_EQ(NumRegs(), 200);
    EXPECT_EQ(form_->ComponentCount(), fixedComponents_ + 11 * 200);
    EXPECT_EQ(form_->LineA->Width(), 26000);
    EXPECT_EQ(form_->LineB->Width(), 26000);
    EXPECT_TRUE(LogWasRewritten());

    dp::AddRegenerator(form_->Schematic, form_->State); // also refused when called directly
    EXPECT_EQ(NumRegs(), 200);
    EXPECT_EQ(form_->ComponentCount(), fixedComponents_ + 11 * 200);
    EXPECT_TRUE(dialogs_->Messages().empty());
}

TEST_F(SchematicWindow, ScrollExtentFollowsTheChain) {
    form_->show();
    QWidget* content = form_->PanelSch->Content();
    QScrollBar* bar = form_->PanelSch->horizontalScrollBar();
    const auto rightOfLastGroup = [&] {
        int right = 0;
        for (QWidget* w : GroupControls(Reg(NumRegs()))) right = std::max(right, w->geometry().right() + 1);
        return right;
    };

    StartWith(3);
    EXPECT_EQ(bar->maximum(), 0); // three groups fit into the window
    EXPECT_EQ(content->width(), form_->PanelSch->viewport()->width());

    for (int i = 4; i <= dp::MaxRegs; ++i) dp::AddRegenerator(form_->Schematic, form_->State);
    // Scrolled to the end, the last group is in full view: the extent reaches its right edge.
    EXPECT_EQ(content->width(), rightOfLastGroup());
    EXPECT_GE(content->width(), 48 + 26000);
    EXPECT_EQ(bar->maximum(), content->width() - form_->PanelSch->viewport()->width());

    for (int i = 0; i < 150; ++i) dp::DeleteRegenerator(form_->Schematic, form_->State);
    ASSERT_EQ(NumRegs(), 50);
    EXPECT_EQ(content->width(), rightOfLastGroup());
    EXPECT_EQ(bar->maximum(), content->width() - form_->PanelSch->viewport()->width());

    while (NumRegs() > 1) dp::DeleteRegenerator(form_->Schematic, form_->State);
    EXPECT_EQ(bar->maximum(), 0);

    // The calculation after "+" rewrites the texts; the extent follows their new widths too.
    for (int i = 2; i <= 12; ++i) form_->ButADD->Click();
    ASSERT_NE(Reg(12).LabRL_I->Caption(), QStringLiteral("16 мА"));
    EXPECT_EQ(content->width(), rightOfLastGroup());
}

TEST_F(SchematicWindow, GroupsAddedWhileScrolledLineUpWithTheOthers) {
    form_->show();
    StartWith(10);
    QScrollBar* bar = form_->PanelSch->horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 300);
    bar->setValue(300);
    ASSERT_EQ(form_->PanelSch->Content()->x(), -300);

    form_->ButADD->Click();
    form_->ButADD->Click();
    ASSERT_EQ(NumRegs(), 12);
    for (int i = 1; i <= 12; ++i) ExpectGroupInPlace(*form_, i);
    // On the screen too: 130 pixels right of the group before, whatever the scroll position.
    QWidget* viewport = form_->PanelSch->viewport();
    EXPECT_EQ(Reg(12).LineReg->mapTo(viewport, QPoint(0, 0)).x() -
                  Reg(11).LineReg->mapTo(viewport, QPoint(0, 0)).x(),
              130);
    EXPECT_EQ(Reg(12).LineReg->mapTo(viewport, QPoint(0, 0)).x(), 48 + 130 * 11 + 126 - 300);
}

} // namespace
