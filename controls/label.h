#pragma once
// TLabel: a text on its parent. The caption is kept as set; a carriage return (code 13) in it starts
// a new line when drawn. With AutoSize the size follows the caption and the font (width of the
// widest line, height of all lines); without it the size is fixed and WordWrap wraps at the width.
// A left press and release inside fires OnClick. A label that is a tab stop takes the focus with Tab,
// shows a dotted frame while the focus came from the keyboard, and fires OnClick on Enter, Space or F2.
#include "controls/control.h"

#include <QLabel>
#include <QStringList>

class TLabel : public TControl<QLabel> {
public:
    explicit TLabel(dp::TOwner* Owner = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    // No background painted when set; otherwise Color fills it (an invalid Color fills nothing).
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);

    // Whether Tab reaches the label; a click never moves the focus to it.
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void SetTabStop(bool v);
    // Performs a click from the program or the keyboard (fires OnClick).
    void Click();
    // Whether the focus frame is drawn now: focused, and the focus came from the keyboard.
    bool ShowsFocusFrame() const { return hasFocus() && FKeyboardFocus; }

    // The text as drawn: carriage returns turned into line breaks.
    QString DisplayText() const;
    // The size the caption needs in the current font: at the current width when wrapping.
    QSize TextSize() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

protected:
    void ApplyFont() override;
    void ApplyColor() override;
    void MouseClick() override;
    void MouseDoubleClick() override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    int TextFlags() const;
    // The lines as drawn: the caption's line breaks and, with WordWrap, its breaks at the width.
    QStringList TextLines() const;
    int LineHeight() const;
    void AdjustSize();
    void RequestPaint();

    QString FCaption;
    QString FDisplayText; // the caption with its carriage returns turned into line breaks
    bool FAutoSize = true;
    bool FWordWrap = false;
    TAlignment FAlignment = taLeftJustify;
    bool FTransparent = false;
    bool FAdjusting = false;
    bool FKeyboardFocus = false; // the focus came by Tab, Shift+Tab or a key
};
