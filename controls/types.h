#pragma once
// Value types of the control model: font, pen, brush, size constraints, alignment, cursors, shift
// state and the event-slot signatures. Object-valued properties are plain structs so that assigning
// one control's property to another copies it.
#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>
#include <Qt>

#include <cstdint>
#include <functional>

class QObject;
class QPainter;

// Colour of a control. An invalid colour (the default) means: the parent's colour, nothing painted.
using TColor = QColor;

// Font styles, combined as a bit set.
enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

inline constexpr int DEFAULT_CHARSET = 1;
inline constexpr int RUSSIAN_CHARSET = 204;

// Text font. Height is the character height in pixels (11 is the 8-point window font at 96 dpi).
// An invalid Color is the desktop's text colour: the text follows the palette, and a change of the
// desktop theme.
struct TFont {
    QString Name = QStringLiteral("MS Sans Serif");
    int Height = 11;
    TColor Color = QColor(Qt::black);
    TFontStyles Style = 0;
    int Charset = DEFAULT_CHARSET;
    bool operator==(const TFont&) const = default;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
struct TPen {
    TColor Color = QColor(Qt::black);
    int Width = 1; // pixels; 0 draws like 1
    TPenStyle Style = psSolid;
    bool operator==(const TPen&) const = default;
};

enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
struct TBrush {
    TColor Color = QColor(Qt::white);
    TBrushStyle Style = bsSolid;
    bool operator==(const TBrush&) const = default;
};

// Minimum and maximum size; 0 means no limit.
struct TSizeConstraints {
    int MinWidth = 0;
    int MinHeight = 0;
    int MaxWidth = 0;
    int MaxHeight = 0;
    bool operator==(const TSizeConstraints&) const = default;
};

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TDragMode { dmManual, dmAutomatic };

// Mouse cursor identifiers (16-bit, negative for the stock cursors).
using TCursor = int16_t;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;

// Keys and buttons held during a mouse event, combined as a bit set.
enum TShiftStateFlag : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64
};
using TShiftState = unsigned;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Event slots. Each holds a bound handler; the control passes itself as Sender when it fires, so a
// copied slot on a clone reports the clone.
using TNotifyEvent = std::function<void(QObject* Sender)>;
using TMouseEvent =
    std::function<void(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject* Sender, TShiftState Shift, int X, int Y)>;
// MousePos is in the control's coordinates; setting Handled suppresses the popup menu.
using TContextPopupEvent = std::function<void(QObject* Sender, QPoint MousePos, bool& Handled)>;

namespace dp {

// The installed family that stands in for a designed font name ("MS Sans Serif" -> "Liberation
// Sans", "Courier New" -> "Liberation Mono", "Calibri" -> "Carlito"; others unchanged).
QString FontFamilyFor(const QString& name);
// The Qt font of f: mapped family, pixel size f.Height, bold/italic/underline/strike-out.
QFont ToQFont(const TFont& f);
// The Qt cursor shape of a cursor identifier (crDefault and unknown ones give the arrow).
Qt::CursorShape ToQtCursor(TCursor c);
// Shift state of a mouse event's modifiers and held buttons.
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

} // namespace dp
