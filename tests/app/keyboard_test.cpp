// The main window worked by keyboard only: Tab and Shift+Tab through every control that takes input,
// the schematic's values opened with Enter, Space or F2, and the keys of the actions. The log never
// takes a key as text: after every key it holds exactly the lines of the latest calculation.
#include "app/Main.h"
#include "calc/solver.h"
#include "controls/controls.h"
#include "tests/support/started_window.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// What a calculation writes into the log, seen through the results interface.
class LogOnlyView : public dp::IResultsView {
public:
    explicit LogOnlyView(bool is75W) : is75W_(is75W) {}
    std::string text;
    bool Is75WChecked() const override { return is75W_; }
    void SetSourceCaption(dp::TSourceLabel, const std::string&) override {}
    void SetSourceColor(dp::TSourceLabel, uint32_t) override {}
    void SetRegCaption(int, dp::TRegLabel, const std::string&) override {}
    void SetImpossCaption(const std::string&) override {}
    void SetImpossVisible(bool v) override { imposs_ = v; }
    bool IsImpossVisible() const override { return imposs_; }
    void ClearLog() override { text.clear(); }
    void AppendLog(const std::string& line) override { text += (text.empty() ? "" : "\n") + line; }

private:
    bool is75W_;
    bool imposs_ = false;
};

class Keyboard : public dp::test::StartedWindow<> {
protected:
    void SetUp() override {
        Start().show();
        form_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    }

    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : form_.get();
        QTest::keyClick(target, key, modifiers);
        ExpectLogIsTheLatestCalculation();
    }

    // The log holds the lines of a calculation of the current state, and nothing typed.
    void ExpectLogIsTheLatestCalculation() {
        dp::TCalcState again = form_->State;
        LogOnlyView view(form_->ch75W->Checked());
        dp::Calculate(again, form_->CurrentChoke(), view);
        EXPECT_EQ(form_->MemoLog->toPlainText().toStdString(), view.text);
    }

    // Tab (or Shift+Tab) from the current focus until the focus comes back to where it started.
    std::vector<QWidget*> WalkRound(bool backwards) {
        std::vector<QWidget*> seen;
        QWidget* start = QApplication::focusWidget();
        for (int i = 0; i < 2000; ++i) {
            Press(Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
            QWidget* now = QApplication::focusWidget();
            if (now == start || now == nullptr || HasFailure()) break;
            seen.push_back(now);
        }
        return seen;
    }

    // An option is a tab stop at its checked button.
    QWidget* CheckedSourceButton() const { return form_->ch75W->Checked() ? form_->ch75W : form_->ch150W; }

    // The controls Tab is designed to reach, in order, for the chain as it stands.
    std::vector<QWidget*> ExpectedTabStops() const {
        std::vector<QWidget*> stops{form_->LabRP_U};
        for (int i = 1; i <= form_->State.NumRegs; ++i) {
            const dp::TRegenerator& r = form_->State.Regs[static_cast<size_t>(i)];
            stops.insert(stops.end(), {r.LabR, r.LabR_L, r.LabRL_P});
        }
        stops.insert(stops.end(), {CheckedSourceButton(),
                                   form_->chR_LRP_24->Checked() ? form_->chR_LRP_24 : form_->chR_LRP_16,
                                   form_->Button1, form_->MemoLog});
        return stops;
    }

    // The tab stops among what Tab reached.
    static std::vector<QWidget*> Reached(const std::vector<QWidget*>& walk, const std::vector<QWidget*>& of) {
        std::vector<QWidget*> out;
        for (QWidget* w : walk)
            if (std::find(of.begin(), of.end(), w) != of.end()) out.push_back(w);
        return out;
    }

    bool ShownInTheSchematic(QWidget* w) const {
        const QWidget* viewport = form_->PanelSch->viewport();
        const QRect r(w->mapTo(viewport, QPoint(0, 0)), w->size());
        return viewport->rect().contains(r);
    }

    void FocusByTab(QWidget* target) {
        for (int i = 0; i < 2000 && QApplication::focusWidget() != target; ++i) Press(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), target);
    }
};

TEST_F(Keyboard, TabAndShiftTabReachEveryValueAndControlInReadingOrderAndComeRound) {
    // Wider than the window, so values out of view must scroll in as they take the focus.
    while (form_->State.NumRegs < 9) Press(Qt::Key_Plus);
    ASSERT_GT(form_->PanelSch->horizontalScrollBar()->maximum(), 0);
    const std::vector<QWidget*> expected = ExpectedTabStops();
    form_->LabRP_U->setFocus(Qt::OtherFocusReason);

    const std::vector<QWidget*> forward = WalkRound(false);
    std::vector<QWidget*> cycle(expected.begin() + 1, expected.end());
    EXPECT_EQ(Reached(forward, expected), cycle) << "the log lets Tab through, nothing is skipped";
    for (QWidget* w : forward) {
        if (!form_->PanelSch->Content()->isAncestorOf(w)) continue;
        form_->LabRP_U->setFocus(Qt::OtherFocusReason);
        w->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(ShownInTheSchematic(w)) << w->accessibleDescription().toStdString();
    }

    form_->LabRP_U->setFocus(Qt::OtherFocusReason);
    const std::vector<QWidget*> backward = WalkRound(true);
    std::vector<QWidget*> reversed(cycle.rbegin(), cycle.rend());
    EXPECT_EQ(Reached(backward, expected), reversed);
}

TEST_F(Keyboard, AValueReachedByTabShowsAFocusFrameAClickOrTheProgramDoesNot) {
    TLabel* value = form_->State.Regs[1].LabR;
    const QImage plain = value->grab().toImage();
    value->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(value->ShowsFocusFrame());
    form_->LabRP_U->setFocus(Qt::OtherFocusReason);
    Press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), value);
    EXPECT_TRUE(value->ShowsFocusFrame());
    EXPECT_NE(value->grab().toImage(), plain) << "the frame is drawn";
    Press(Qt::Key_Tab);
    EXPECT_EQ(value->grab().toImage(), plain) << "and goes with the focus";
}

// A value opened by a key: which value, the key, what the dialogs answer, what then holds.
struct TValueKeyRow {
    const char* name;
    std::function<TLabel*(TForm1&)> value;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::vector<const char*> answers;
    std::function<bool(const TForm1&)> edited;
};

void PrintTo(const TValueKeyRow& row, std::ostream* os) {
    *os << row.name;
}

class KeyboardValue : public Keyboard, public ::testing::WithParamInterface<TValueKeyRow> {};

TEST_P(KeyboardValue, OpensItsDialogAndStoresTheAnswer) {
    const TValueKeyRow& row = GetParam();
    Press(Qt::Key_Plus);
    TLabel* value = row.value(*form_);
    FocusByTab(value);
    for (const char* a : row.answers) dialogs_->AnswerInput(QString::fromUtf8(a));
    Press(row.key, row.modifiers);
    EXPECT_TRUE(dialogs_->AllAnswersUsed());
    EXPECT_TRUE(row.edited(*form_));
    EXPECT_EQ(QApplication::focusWidget(), value) << "the focus stays on the value";
}

INSTANTIATE_TEST_SUITE_P(
    Keyboard, KeyboardValue,
    ::testing::Values(
        TValueKeyRow{"SupplyVoltageByEnter",
                     [](TForm1& f) { return f.LabRP_U; },
                     Qt::Key_Return,
                     Qt::NoModifier,
                     {"400"},
                     [](const TForm1& f) { return f.State.U_RP == 400; }},
        TValueKeyRow{"ResistanceByKeypadEnter",
                     [](TForm1& f) { return f.State.Regs[2].LabR; },
                     Qt::Key_Enter,
                     Qt::KeypadModifier,
                     {"300"},
                     [](const TForm1& f) { return f.State.Regs[2].RR == 300 && f.State.Regs[1].RR == 256; }},
        TValueKeyRow{"LengthAndDiameterBySpace",
                     [](TForm1& f) { return f.State.Regs[1].LabR_L; },
                     Qt::Key_Space,
                     Qt::NoModifier,
                     {"10", "1,2"},
                     [](const TForm1& f) { return f.State.Regs[1].RR_LEN == 10 && !f.State.Regs[1].RR_ENT; }},
        TValueKeyRow{"PowerByF2",
                     [](TForm1& f) { return f.State.Regs[2].LabRL_P; },
                     Qt::Key_F2,
                     Qt::NoModifier,
                     {"7,5"},
                     [](const TForm1& f) { return f.State.Regs[2].RL_P == 7.5; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Keyboard, ALetterOnAValueOpensNothing) {
    FocusByTab(form_->LabRP_U);
    Press(Qt::Key_A);
    Press(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(dialogs_->Inputs().empty());
}

// An action key: where the focus is when it is pressed, and what it must have done.
struct TActionKeyRow {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool inLog; // pressed with the focus in the log
    int regsAfter;
};

void PrintTo(const TActionKeyRow& row, std::ostream* os) {
    *os << row.name;
}

class KeyboardAction : public Keyboard, public ::testing::WithParamInterface<TActionKeyRow> {};

TEST_P(KeyboardAction, AddsOrRemovesARegenerator) {
    const TActionKeyRow& row = GetParam();
    Press(Qt::Key_Plus); // two regenerators
    FocusByTab(row.inLog ? static_cast<QWidget*>(form_->MemoLog) : CheckedSourceButton());
    Press(row.key, row.modifiers);
    EXPECT_EQ(form_->State.NumRegs, row.regsAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Keyboard, KeyboardAction,
    ::testing::Values(TActionKeyRow{"Plus", Qt::Key_Plus, Qt::NoModifier, false, 3},
                      TActionKeyRow{"KeypadPlus", Qt::Key_Plus, Qt::KeypadModifier, false, 3},
                      TActionKeyRow{"CtrlPlusInTheLog", Qt::Key_Plus, Qt::ControlModifier, true, 3},
                      TActionKeyRow{"Minus", Qt::Key_Minus, Qt::NoModifier, false, 1},
                      TActionKeyRow{"KeypadMinus", Qt::Key_Minus, Qt::KeypadModifier, false, 1},
                      TActionKeyRow{"CtrlMinusInTheLog", Qt::Key_Minus, Qt::ControlModifier, true, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Keyboard, RemovingTheGroupThatHasTheFocusHandsItToTheGroupBefore) {
    Press(Qt::Key_Plus);
    FocusByTab(form_->State.Regs[2].LabRL_P);
    Press(Qt::Key_Minus);
    EXPECT_EQ(QApplication::focusWidget(), form_->State.Regs[1].LabRL_P);
}

TEST_F(Keyboard, F1OpensTheAboutWindowAndEscapeClosesIt) {
    bool closedByEscape = false;
    dialogs_->ExpectShowModal([&](QDialog& about) {
        ASSERT_TRUE(about.isVisible());
        QTest::keyClick(&about, Qt::Key_Escape);
        closedByEscape = !about.isVisible();
    });
    Press(Qt::Key_F1);
    EXPECT_EQ(dialogs_->ShownModally().size(), 1u);
    EXPECT_TRUE(closedByEscape);
}

TEST_F(Keyboard, CtrlPPrintsAfterThePrinterSetup) {
    dialogs_->AnswerPrinterSetup(false);
    Press(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(dialogs_->PrinterSetups(), 1);
}

TEST_F(Keyboard, CtrlSSavesUnderTheDefaultNameAndCtrlShiftSAsksFirst) {
    form_->AskFileName = true; // a Shift held at an earlier mouse-down does not count for the key
    Press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(dialogs_->SaveRequests().empty());
    ASSERT_EQ(dialogs_->Messages().size(), 1u);
    EXPECT_TRUE(QFileInfo::exists(InFolder(QStringLiteral("SCR_1R.jpg"))));

    dialogs_->CancelSaveFileName();
    Press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(dialogs_->SaveRequests().size(), 1u);
    EXPECT_EQ(dialogs_->Messages().size(), 1u) << "cancelled: no second message";
}

TEST_F(Keyboard, ButtonsNameTheirKeysAndNeverTakeTheFocus) {
    const std::pair<QWidget*, const char*> rows[] = {
        {form_->ButADD, "Ctrl++"}, {form_->ButDel, "Ctrl+-"},       {form_->ButHelp, "F1"},
        {form_->ButScr, "Ctrl+S"}, {form_->ButScr, "Ctrl+Shift+S"}, {form_->Button1, "Ctrl+P"},
    };
    for (const auto& [button, key] : rows)
        EXPECT_TRUE(button->toolTip().contains(QString::fromUtf8(key))) << button->objectName().toStdString();
    for (QWidget* b : {form_->ButADD, form_->ButDel, form_->ButHelp, form_->ButScr})
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus) << b->objectName().toStdString();
}

} // namespace

TEST_F(Keyboard, TabFromTheStartReadsTheValuesFirstAndEntersEachOptionAtItsCheckedButton) {
    const std::vector<QWidget*> expected = ExpectedTabStops();
    ASSERT_FALSE(form_->ch75W->Checked()) << "the stored defaults check the second button of each option";
    std::vector<QWidget*> walk;
    for (size_t i = 0; i < expected.size(); ++i) {
        Press(Qt::Key_Tab);
        walk.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(walk, expected);

    // Another button checked: Tab now enters the option there.
    form_->ch75W->SetChecked(true);
    form_->State.Regs[1].LabRL_P->setFocus(Qt::TabFocusReason);
    Press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form_->ch75W);
    // An arrow key picks the next button of the option, which then is its tab stop.
    Press(Qt::Key_Down);
    EXPECT_TRUE(form_->ch150W->Checked());
    EXPECT_EQ(QApplication::focusWidget(), form_->ch150W);
    Press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form_->chR_LRP_16);
    Press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), form_->ch150W);
}
