#pragma once
// Edit fields: single-line edit, integer and real spin edits, combo box.
#include "controls/control.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QStringList>

// TEdit: a single-line edit. OnChange fires whenever the text changes (typed or set by the program),
// OnExit when it loses the focus. AutoSize keeps the height at what the font needs.
class TEdit : public TControl<QLineEdit> {
public:
    explicit TEdit(dp::TOwner* Owner = nullptr);

    QString Text() const { return text(); }
    void SetText(const QString& v) { setText(v); }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    int MaxLength() const { return FMaxLength; } // 0: no limit
    void SetMaxLength(int v);

    TNotifyEvent OnChange;
    TNotifyEvent OnExit;

protected:
    void ApplyFont() override;
    void ApplyColor() override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void AdjustHeight();
    bool FAutoSize = true;
    int FMaxLength = 0;
};

// TSpinEdit: an integer spin edit. MinValue, MaxValue and Increment are stored as given, without a
// check of the current value; MinValue = MaxValue (0 and 0 for a new edit) means no bounds, and
// otherwise the arrows and typed values stay within them.
class TSpinEdit : public TControl<QSpinBox> {
public:
    explicit TSpinEdit(dp::TOwner* Owner = nullptr);

    int MinValue() const { return FMinValue; }
    void SetMinValue(int v);
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int v);
    int Increment() const { return FIncrement; }
    void SetIncrement(int v);
    int MaxLength() const { return FMaxLength; } // 0: no limit
    void SetMaxLength(int v);
    int Value() const { return value(); }
    void SetValue(int v) { setValue(v); }

    TNotifyEvent OnChange;
    TNotifyEvent OnExit;

protected:
    void ApplyColor() override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void ApplyRange();
    int FMinValue = 0;
    int FMaxValue = 0;
    int FIncrement = 1;
    int FMaxLength = 0;
};

// TFloatSpinEdit: a real spin edit with a measuring unit, over Qt's double spin box.
// - MinValue, MaxValue, Increment: extended-precision reals, stored as given without a check of the
//   current value; MinValue = MaxValue means no bounds. Qt gets them as doubles.
// - CurrentUnit, DefaultUnit: indexes into the unit-name table (UnitNames(); -1: none). The name of
//   CurrentUnit, or of DefaultUnit while CurrentUnit is -1, follows the value after a space.
// - Precision: the decimal power of the smallest step the value keeps (-2: hundredths); values are
//   rounded to it when set.
// - DigRound: the decimals shown; -1 shows the value in the general format (up to 15 significant
//   digits, no trailing zeros). The locale's decimal separator is used either way.
class TFloatSpinEdit : public TControl<QDoubleSpinBox> {
public:
    explicit TFloatSpinEdit(dp::TOwner* Owner = nullptr);

    // The unit names that CurrentUnit and DefaultUnit index: "В", "мВ", "А", "мА", "Вт", "Ом", "км",
    // "мм".
    static const QStringList& UnitNames();

    long double MinValue() const { return FMinValue; }
    void SetMinValue(long double v);
    long double MaxValue() const { return FMaxValue; }
    void SetMaxValue(long double v);
    long double Increment() const { return FIncrement; }
    void SetIncrement(long double v);
    int MaxLength() const { return FMaxLength; } // 0: no limit
    void SetMaxLength(int v);
    int CurrentUnit() const { return FCurrentUnit; }
    void SetCurrentUnit(int v);
    int DefaultUnit() const { return FDefaultUnit; }
    void SetDefaultUnit(int v);
    int Precision() const { return FPrecision; }
    void SetPrecision(int v);
    int DigRound() const { return FDigRound; }
    void SetDigRound(int v);
    double Value() const { return value(); }
    void SetValue(double v);
    // The unit name shown after the value, empty for none.
    QString UnitName() const;

    QString textFromValue(double v) const override;
    double valueFromText(const QString& text) const override;
    QValidator::State validate(QString& input, int& pos) const override;

    TNotifyEvent OnChange;
    TNotifyEvent OnExit;

protected:
    void ApplyColor() override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void ApplyRange();
    void ApplyUnit();
    long double FMinValue = 0;
    long double FMaxValue = 0;
    long double FIncrement = 1;
    int FMaxLength = 0;
    int FCurrentUnit = -1;
    int FDefaultUnit = -1;
    int FPrecision = -2;
    int FDigRound = -1;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

// TComboBox: Items by value, ItemIndex the selected item (-1: none). OnChange fires when the user
// picks an item or edits the text.
class TComboBox : public TControl<QComboBox> {
public:
    explicit TComboBox(dp::TOwner* Owner = nullptr);

    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle v);
    QStringList Items() const;
    void SetItems(const QStringList& v);
    int ItemIndex() const { return currentIndex(); }
    void SetItemIndex(int v); // out of range selects none
    QString Text() const { return currentText(); }

    TNotifyEvent OnChange;

protected:
    void ApplyColor() override;

private:
    TComboBoxStyle FStyle = csDropDown;
};
