// What a screen reader finds in the main window: every control's name and role, the schematic's
// values as activatable buttons described by regenerator and quantity, and their press action
// opening the same dialog as a click.
#include "app/Main.h"
#include "controls/controls.h"
#include "tests/support/started_window.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

struct TAccessibleRow {
    const char* name;
    std::function<QWidget*(const TForm1&)> control;
    QAccessible::Role role;
    const char* accessibleName; // nullptr: any name that is not empty
    const char* description;    // nullptr: not checked
    bool pressable;
};

void PrintTo(const TAccessibleRow& row, std::ostream* os) {
    *os << row.name;
}

class AccessibleWindow : public dp::test::StartedWindow<>,
                         public ::testing::WithParamInterface<TAccessibleRow> {
protected:
    void SetUp() override {
        Start();
        form_->ButADDClick(form_->ButADD); // regenerators 1, 2 and 3
        form_->ButADDClick(form_->ButADD);
        form_->show();
    }
};

TEST_P(AccessibleWindow, ControlHasItsNameRoleAndAction) {
    const TAccessibleRow& row = GetParam();
    QWidget* w = row.control(*form_);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), row.role);
    const QString name = a->text(QAccessible::Name);
    if (row.accessibleName != nullptr) {
        EXPECT_EQ(name, QString::fromUtf8(row.accessibleName));
    } else {
        EXPECT_FALSE(name.trimmed().isEmpty());
    }
    if (row.description != nullptr) {
        EXPECT_EQ(a->text(QAccessible::Description), QString::fromUtf8(row.description));
    }
    QAccessibleActionInterface* actions = a->actionInterface();
    // A radio button is toggled, everything else that acts is pressed.
    const bool pressable =
        actions != nullptr && (actions->actionNames().contains(QAccessibleActionInterface::pressAction()) ||
                               actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    EXPECT_EQ(pressable, row.pressable);
}

template <class T> QWidget* Reg(const TForm1& f, int n, T* dp::TRegenerator::*field) {
    return f.State.Regs[static_cast<size_t>(n)].*field;
}

#define MEMBER(m) [](const TForm1& f) -> QWidget* { return f.m; }
#define REG(n, field) [](const TForm1& f) { return Reg(f, n, &dp::TRegenerator::field); }

INSTANTIATE_TEST_SUITE_P(
    MainWindow, AccessibleWindow,
    ::testing::Values(
        TAccessibleRow{"SupplyVoltage", MEMBER(LabRP_U), QAccessible::Button, nullptr, "Напряжение ДП, В",
                       true},
        TAccessibleRow{"Resistance", REG(3, LabR), QAccessible::Button, "256",
                       "R3: сопротивление участка, Ом", true},
        TAccessibleRow{"LengthAndDiameter", REG(3, LabR_L), QAccessible::Button, nullptr,
                       "R3: длина линии, км, и диаметр жилы, мм", true},
        TAccessibleRow{"Power", REG(2, LabRL_P), QAccessible::Button, nullptr,
                       "R2: мощность регенератора, Вт", true},
        TAccessibleRow{"SectionResult", REG(3, LabR_UI), QAccessible::StaticText, nullptr,
                       "R3: падение напряжения и ток участка", false},
        TAccessibleRow{"RegeneratorVoltage", REG(1, LabRL_U), QAccessible::StaticText, nullptr,
                       "R1: напряжение на регенераторе", false},
        TAccessibleRow{"RegeneratorCurrent", REG(1, LabRL_I), QAccessible::StaticText, nullptr,
                       "R1: ток регенератора", false},
        TAccessibleRow{"SupplyCurrent", MEMBER(LabRP_I), QAccessible::StaticText, nullptr, "Ток источника ДП",
                       false},
        TAccessibleRow{"SupplyPower", MEMBER(LabRP_P), QAccessible::StaticText, nullptr,
                       "Мощность источника ДП", false},
        TAccessibleRow{"RequiredVoltage", MEMBER(LabURP_Calc), QAccessible::StaticText, nullptr,
                       "Требуемое напряжение ДП", false},
        TAccessibleRow{"SourceBox", MEMBER(ShURP), QAccessible::Graphic, "Источник ДП", nullptr, false},
        TAccessibleRow{"RegeneratorBox", REG(2, ShRL), QAccessible::Graphic, "R2: регенератор", nullptr,
                       false},
        TAccessibleRow{"SectionChoke", REG(2, imLRP_B), QAccessible::Graphic, "R2: дроссель", nullptr, false},
        TAccessibleRow{"ChokeLegend", MEMBER(imLRP), QAccessible::Graphic, "Дроссель", nullptr, false},
        TAccessibleRow{"Schematic", MEMBER(PanelSch), QAccessible::Client, "Схема", nullptr, false},
        TAccessibleRow{"SourcePowerGroup", MEMBER(PanelP), QAccessible::Grouping, "Мощность источника",
                       nullptr, false},
        TAccessibleRow{"Source75W", MEMBER(ch75W), QAccessible::RadioButton, "75 Вт", nullptr, true},
        TAccessibleRow{"ChokeGroup", MEMBER(PanelLRP), QAccessible::Grouping, "Дроссель ДП, Ом", nullptr,
                       false},
        TAccessibleRow{"Choke24", MEMBER(chR_LRP_24), QAccessible::RadioButton, "24 РЛ", nullptr, true},
        TAccessibleRow{"Choke16", MEMBER(chR_LRP_16), QAccessible::RadioButton, "16 SM", nullptr, true},
        TAccessibleRow{"OutputGroup", MEMBER(GroupBox1), QAccessible::Grouping, "Вывод", nullptr, false},
        TAccessibleRow{"Screenshot", MEMBER(ButScr), QAccessible::Button, "Скриншот...", nullptr, true},
        TAccessibleRow{"Print", MEMBER(Button1), QAccessible::Button, "Печать...", nullptr, true},
        TAccessibleRow{"ButtonsGroup", MEMBER(PanelButs), QAccessible::Grouping, "Регенераторы", nullptr,
                       false},
        TAccessibleRow{"Add", MEMBER(ButADD), QAccessible::Button, "Добавить регенератор", nullptr, true},
        TAccessibleRow{"Delete", MEMBER(ButDel), QAccessible::Button, "Удалить регенератор", nullptr, true},
        TAccessibleRow{"Help", MEMBER(ButHelp), QAccessible::Button, "Справка", nullptr, true},
        TAccessibleRow{"Log", MEMBER(MemoLog), QAccessible::EditableText, "Журнал расчета", nullptr, false},
        TAccessibleRow{"StatusBar", MEMBER(StatBar), QAccessible::StatusBar, "Строка состояния", nullptr,
                       false}),
    [](const auto& info) { return std::string(info.param.name); });

#undef MEMBER
#undef REG

using AccessibleAction = AccessibleWindow;

TEST_F(AccessibleAction, PressingAValueOpensItsDialogAsAClickDoes) {
    dialogs_->AnswerInput(QStringLiteral("300"));
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(form_->State.Regs[2].LabR);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->actionInterface(), nullptr);
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_EQ(dialogs_->Inputs().size(), 1u);
    EXPECT_EQ(dialogs_->Inputs()[0].caption, QStringLiteral("Ввод сопротивления участка"));
    EXPECT_EQ(form_->State.Regs[2].RR, 300);
    EXPECT_EQ(form_->State.Regs[3].RR, 256);
}

TEST_F(AccessibleAction, AHiddenTemplateIsNoButton) {
    // The templates have the click handler too, but nothing reaches them.
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(form_->LabR);
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->state().invisible);
}

} // namespace
