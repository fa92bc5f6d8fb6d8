// The window for the keyboard and for screen readers: the keys of the actions, the place of each
// regenerator's values in the tab order, and the names and descriptions the controls announce.
#include "app/Main.h"

#include "controls/controls.h"

#include <QApplication>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QStatusBar>

#include <initializer_list>

namespace {

using THandler = void (TForm1::*)(QObject*);
using TGetter = QWidget* (*)(const TForm1&);

template <auto Member> QWidget* Get(const TForm1& form) {
    return form.*Member;
}

// A key of an action. Keys "in the window" fire wherever the focus is, except where the focused
// control takes the key as text (the log takes "+" and "-" as typed characters).
struct TActionKey {
    std::initializer_list<QKeyCombination> Keys;
    THandler Handler;
    TGetter Sender; // the button whose action the key performs
};

const TActionKey kActionKeys[] = {
    {{Qt::Key_Plus, Qt::KeypadModifier | Qt::Key_Plus, Qt::ControlModifier | Qt::Key_Plus,
      Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Plus, Qt::ControlModifier | Qt::Key_Equal},
     &TForm1::ButADDClick,
     &Get<&TForm1::ButADD>},
    {{Qt::Key_Minus, Qt::KeypadModifier | Qt::Key_Minus, Qt::ControlModifier | Qt::Key_Minus,
      Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Minus},
     &TForm1::ButDelClick,
     &Get<&TForm1::ButDel>},
    {{Qt::Key_F1}, &TForm1::ButHelpClick, &Get<&TForm1::ButHelp>},
    {{Qt::ControlModifier | Qt::Key_P}, &TForm1::Button1Click, &Get<&TForm1::Button1>},
    {{Qt::ControlModifier | Qt::Key_S}, &TForm1::ScreenshotKey, &Get<&TForm1::ButScr>},
    {{Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_S}, &TForm1::ScreenshotAskKey, &Get<&TForm1::ButScr>},
};

// What a screen reader announces for a control besides its caption.
struct TAccessibleText {
    TGetter Control;
    const char* Name; // nullptr: the caption is the name
    const char* Description;
};

} // namespace

void TForm1::CreateKeys() {
    for (const TActionKey& row : kActionKeys) {
        auto* shortcut = new QShortcut(this);
        QList<QKeySequence> keys;
        for (QKeyCombination k : row.Keys) keys.append(QKeySequence(k));
        shortcut->setKeys(keys);
        shortcut->setContext(Qt::WindowShortcut);
        // The same key may be pressed again while the last one's work is still on screen.
        shortcut->setAutoRepeat(true);
        const THandler handler = row.Handler;
        QWidget* sender = row.Sender(*this);
        connect(shortcut, &QShortcut::activated, this,
                [this, handler, sender] { dp::RunGuarded([&] { (this->*handler)(sender); }); });
    }
    // The log is a memo of the latest calculation: Tab moves on instead of typing into it.
    MemoLog->setTabChangesFocus(true);
}

void TForm1::ScreenshotKey(QObject* Sender) {
    AskFileName = false;
    ButScrClick(Sender);
}

void TForm1::ScreenshotAskKey(QObject* Sender) {
    AskFileName = true;
    ButScrClick(Sender);
}

void TForm1::DescribeComponents() {
    // Names for the controls whose caption does not say what they do, or that have none.
    const TAccessibleText texts[] = {
        {&Get<&TForm1::PanelSch>, "Схема", "Схема дистанционного питания"},
        {&Get<&TForm1::ShURP>, "Источник ДП", nullptr},
        {&Get<&TForm1::LineRP>, "Провод источника", nullptr},
        {&Get<&TForm1::LineA>, "Провод A", nullptr},
        {&Get<&TForm1::LineB>, "Провод B", nullptr},
        {&Get<&TForm1::LabRP_U>, nullptr, "Напряжение ДП, В"},
        {&Get<&TForm1::LabRP_I>, nullptr, "Ток источника ДП"},
        {&Get<&TForm1::LabRP_P>, nullptr, "Мощность источника ДП"},
        {&Get<&TForm1::LabURP_Calc>, nullptr, "Требуемое напряжение ДП"},
        {&Get<&TForm1::PanelP>, nullptr, "Мощность источника"},
        {&Get<&TForm1::PanelLRP>, nullptr, "Дроссель ДП, Ом"},
        {&Get<&TForm1::imLRP>, "Дроссель", "Условное обозначение дросселя"},
        {&Get<&TForm1::GroupBox1>, "Вывод", "Скриншот и печать"},
        {&Get<&TForm1::ButScr>, nullptr, "Сохранить схему в файл JPEG"},
        {&Get<&TForm1::Button1>, nullptr, "Напечатать окно"},
        {&Get<&TForm1::PanelButs>, "Регенераторы", "Добавление и удаление регенераторов"},
        {&Get<&TForm1::ButADD>, "Добавить регенератор", nullptr},
        {&Get<&TForm1::ButDel>, "Удалить регенератор", nullptr},
        {&Get<&TForm1::ButHelp>, "Справка", "О программе"},
        {&Get<&TForm1::LabImposs>, nullptr, "Нарушенное ограничение"},
        {&Get<&TForm1::MemoLog>, "Журнал расчета", nullptr},
        {&Get<&TForm1::StatBar>, "Строка состояния", nullptr},
    };
    for (const TAccessibleText& t : texts) {
        QWidget* w = t.Control(*this);
        if (t.Name != nullptr) w->setAccessibleName(QString::fromUtf8(t.Name));
        if (t.Description != nullptr) w->setAccessibleDescription(QString::fromUtf8(t.Description));
    }
    // The window starts with the focus on the schematic's box, which shows none; the first Tab then
    // reaches the supply voltage and the regenerators' values in reading order (PlaceGroupInTabOrder),
    // before the options below them.
    QWidget::setTabOrder(PanelSch, LabRP_U);
}

// The quantities of a regenerator's group, as a screen reader names them after the regenerator.
void TForm1::DescribeGroup(int n) {
    const dp::TRegenerator& r = State.Regs[static_cast<size_t>(n)];
    const QString reg = QStringLiteral("R") + QString::number(n) + QStringLiteral(": ");
    const std::pair<TLabel*, const char*> texts[] = {
        {r.LabR, "сопротивление участка, Ом"},     {r.LabR_L, "длина линии, км, и диаметр жилы, мм"},
        {r.LabRL_P, "мощность регенератора, Вт"},  {r.LabR_UI, "падение напряжения и ток участка"},
        {r.LabRL_U, "напряжение на регенераторе"}, {r.LabRL_I, "ток регенератора"},
    };
    for (const auto& [label, text] : texts)
        if (label != nullptr) label->setAccessibleDescription(reg + QString::fromUtf8(text));
    const std::pair<QWidget*, const char*> pictures[] = {
        {r.shRR, "участок линии"}, {r.ShRL, "регенератор"}, {r.LineReg, "провод регенератора"},
        {r.imLRP_A, "дроссель"},   {r.imLRP_B, "дроссель"},
    };
    for (const auto& [w, text] : pictures)
        if (w != nullptr) w->setAccessibleName(reg + QString::fromUtf8(text));
}

// Tab reaches the values of the schematic in the order they are read: the supply voltage, then per
// regenerator its resistance, its length and diameter, its power; then the options.
void TForm1::PlaceGroupInTabOrder(int n) {
    const dp::TRegenerator& r = State.Regs[static_cast<size_t>(n)];
    QWidget* previous = n > 1 ? static_cast<QWidget*>(State.Regs[static_cast<size_t>(n - 1)].LabRL_P)
                              : static_cast<QWidget*>(LabRP_U);
    for (QWidget* w :
         {static_cast<QWidget*>(r.LabR), static_cast<QWidget*>(r.LabR_L), static_cast<QWidget*>(r.LabRL_P)}) {
        if (w == nullptr || previous == nullptr) continue;
        QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

void TForm1::AddRegeneratorGroup() {
    const int before = State.NumRegs;
    dp::AddRegenerator(Schematic, State);
    if (State.NumRegs == before) return; // the chain is full
    DescribeGroup(State.NumRegs);
    PlaceGroupInTabOrder(State.NumRegs);
}

void TForm1::DeleteRegeneratorGroup() {
    const int n = State.NumRegs;
    if (n <= 1) return;
    // The focus on a value of the group that goes moves to the same value of the one before it.
    const dp::TRegenerator& last = State.Regs[static_cast<size_t>(n)];
    const dp::TRegenerator& kept = State.Regs[static_cast<size_t>(n - 1)];
    QWidget* focus = QApplication::focusWidget();
    QWidget* next = focus == last.LabR      ? kept.LabR
                    : focus == last.LabR_L  ? kept.LabR_L
                    : focus == last.LabRL_P ? kept.LabRL_P
                                            : nullptr;
    dp::DeleteRegenerator(Schematic, State);
    if (next != nullptr) next->setFocus(Qt::TabFocusReason);
}
