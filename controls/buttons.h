#pragma once
// Push button, speed button, check box and radio button.
#include "controls/control.h"

#include <QCheckBox>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

// TButton: a push button; OnClick fires when it is clicked.
class TButton : public TControl<QPushButton> {
public:
    explicit TButton(dp::TOwner* Owner = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);

    // Performs a click from the program (fires OnClick).
    void Click();

    TNotifyEvent OnClick;

private:
    QString FCaption;
};

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// TSpeedButton: a tool button that never takes the keyboard focus. Its Glyph holds NumGlyphs
// images side by side (up, disabled, down, stay-down); the colour of the glyph's bottom-left pixel
// is transparent. A mouse-down fires OnMouseDown (with the Shift state), the release inside then
// fires OnClick. With a GroupIndex other than 0 the button stays down after a click and releases the
// other buttons of its parent with the same GroupIndex; a down button comes up again on a click only
// when AllowAllUp.
class TSpeedButton : public TControl<QToolButton> {
public:
    explicit TSpeedButton(dp::TOwner* Owner = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);
    const QImage& Glyph() const { return FGlyph; }
    void SetGlyph(const QImage& v);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int v); // 1..4; other values are taken as 1
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int v);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool v);
    bool Down() const { return FDown; }
    void SetDown(bool v); // stays false while GroupIndex is 0
    bool Flat() const { return FFlat; }
    void SetFlat(bool v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout v);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int v);

    // Performs a click from the program (group handling, then OnClick).
    void Click();
    // The glyph cell shown in the current state, with its transparent colour cleared.
    QImage CurrentGlyph() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

protected:
    void paintEvent(QPaintEvent* e) override;
    void MouseDoubleClick() override;

private:
    void Clicked();

    QString FCaption;
    QImage FGlyph;
    int FNumGlyphs = 1;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FDown = false;
    bool FFlat = false;
    bool FTransparent = true;
    TButtonLayout FLayout = blGlyphLeft;
    int FSpacing = 4;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// TCheckBox: OnClick fires whenever the check mark changes, by the user or by the program.
class TCheckBox : public TControl<QCheckBox> {
public:
    explicit TCheckBox(dp::TOwner* Owner = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);
    bool Checked() const { return isChecked(); }
    void SetChecked(bool v);
    TCheckBoxState State() const;
    void SetState(TCheckBoxState v);
    bool AllowGrayed() const { return isTristate(); }
    void SetAllowGrayed(bool v) { setTristate(v); }

    TNotifyEvent OnClick;

private:
    QString FCaption;
};

// TRadioButton: selecting one deselects the other radio buttons of its parent. OnClick fires when the
// button becomes checked, by a click or by the program (setting Checked has the effect of a click).
// Tab enters such a set at its checked button; the arrow keys move within it.
class TRadioButton : public TControl<QRadioButton> {
public:
    explicit TRadioButton(dp::TOwner* Owner = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);
    bool Checked() const { return isChecked(); }
    void SetChecked(bool v);

    TNotifyEvent OnClick;

protected:
    void ApplyColor() override;
    void showEvent(QShowEvent* event) override;

private:
    // Only the checked button of the set is a tab stop (the set has one while a button is checked).
    void FollowCheckedForTab();

    QString FCaption;
};
