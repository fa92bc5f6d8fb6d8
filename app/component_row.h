#pragma once
// One row of the main window's component table and the check that makes a wrong row a compile error.
//
// A row names a member of TForm1; the member's static type is the component's kind. DP_COMPONENT_ROW
// builds the row through CheckedRow<Member>, which runs while compiling: a handler given to a kind that has
// no such event (OnClick on a shape, OnTimer on anything but a timer) stops the build at that row,
// with the name of the mistake in the message, instead of being dropped when the window is built.
#include "app/Main.h"
#include "controls/controls.h" // every kind complete: its events are looked up on the type

#include <QPlainTextEdit>
#include <QRect>
#include <QStatusBar>
#include <QTimer>

#include <array>
#include <cstdint>
#include <type_traits>

namespace dp {

using TFormHandler = void (TForm1::*)(QObject*);
using TFormMouseHandler = void (TForm1::*)(QObject*, TMouseButton, TShiftState, int, int);

// The fonts of the window, all derived from the window font "MS Sans Serif" 8 pt (11 px).
enum class TFontKind {
    Window,  // the window font
    Bold,    // the window font in bold
    Bold10,  // "MS Sans Serif" bold, 13 px
    Mono12,  // "Courier New" 12 pt (16 px), Cyrillic
    Inherit, // whatever the parent has (non-control widgets)
};

// Background of a control: the parent's, the desktop's button face, or the desktop's window background;
// the desktop's colours are taken again when the desktop theme changes.
enum class TColorKind { Parent, ButtonFace, Window };

// Font colour of a row that follows the desktop's text colour (options, captions and buttons); the
// schematic keeps the colours that carry its meaning on its own light background.
constexpr uint32_t kDesktopText = 0xFFFFFFFF;

struct TComponentRow;
using TMakeComponent = QObject* (*)(TForm1&, const TComponentRow&, QWidget* parent);
using TWireComponent = void (*)(TForm1&, const TComponentRow&);

struct TComponentRow {
    TMakeComponent Make = nullptr; // creates the member's kind, sets the member
    TWireComponent Wire = nullptr; // connects the row's handlers to the member
    const char* Name = nullptr;
    const char* Parent = nullptr; // "Form1", or a component's name
    QRect Bounds;                 // Left, Top, Width, Height in the parent's client area
    const char* Caption = nullptr;
    TFontKind Font = TFontKind::Window;
    uint32_t FontColor = 0x000000;
    bool Visible = true;
    TAlign Align = alNone; // alTop, alBottom, alClient: docked in the parent, in the order of the rows
    TShapeType Shape = stRectangle;
    int PenWidth = 1;
    bool AutoSize = true;
    bool WordWrap = false;
    bool Transparent = false;
    TColorKind Color = TColorKind::Parent;
    TCursor Cursor = crDefault;
    const char* Hint = nullptr; // shown on hover when set
    const char* Picture = nullptr;
    bool Checked = false;
    int TabOrder = -1;           // -1: not in the tab order
    int Interval = 0;            // timers, ms
    std::array<int, 2> Panels{}; // status bar panel widths
    TFormHandler OnClick = nullptr;
    TFormMouseHandler OnMouseDown = nullptr;
    TFormHandler OnTimer = nullptr;
};

// The kind of the component a member of TForm1 points to.
template <auto Member>
using TKindOf = std::remove_pointer_t<std::remove_cvref_t<decltype(std::declval<TForm1&>().*Member)>>;

template <class T>
concept HasClickEvent = requires(T& c) {
    c.OnClick = TNotifyEvent();
};
template <class T>
concept HasMouseDownEvent = requires(T& c) {
    c.OnMouseDown = TMouseEvent();
};
template <class T>
concept HasTimerEvent = std::is_same_v<T, QTimer>;

template <auto Member> QObject* MakeComponent(TForm1& form, const TComponentRow& row, QWidget* parent);
template <auto Member> void WireComponent(TForm1& form, const TComponentRow& row);

// Never defined and not constexpr: reaching one while compiling a row is the compile error, and the
// compiler's message names it.
void OnClickGivenToAKindWithoutAClickEvent();
void OnMouseDownGivenToAKindWithoutAMouseDownEvent();
void OnTimerGivenToAKindThatIsNotATimer();

template <auto Member> consteval TComponentRow CheckedRow(TComponentRow row) {
    using T = TKindOf<Member>;
    if (row.OnClick != nullptr && !HasClickEvent<T>) OnClickGivenToAKindWithoutAClickEvent();
    if (row.OnMouseDown != nullptr && !HasMouseDownEvent<T>) OnMouseDownGivenToAKindWithoutAMouseDownEvent();
    if (row.OnTimer != nullptr && !HasTimerEvent<T>) OnTimerGivenToAKindThatIsNotATimer();
    row.Make = &MakeComponent<Member>;
    row.Wire = &WireComponent<Member>;
    return row;
}

} // namespace dp

// A row of the table: the member's name, then the row's fields as designated initializers.
#define DP_COMPONENT_ROW(member, ...)                                                                        \
    ::dp::CheckedRow<&TForm1::member>(::dp::TComponentRow{.Name = #member, __VA_ARGS__})
