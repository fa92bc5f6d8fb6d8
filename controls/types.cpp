#include "controls/types.h"

namespace dp {

QString FontFamilyFor(const QString& name) {
    // Metric-compatible stand-ins that carry Cyrillic; the window font's own fontconfig match runs
    // wider than the designed font, so it is named explicitly.
    if (name.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Sans");
    if (name.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Mono");
    if (name.compare(QLatin1String("Calibri"), Qt::CaseInsensitive) == 0) return QStringLiteral("Carlito");
    if (name.compare(QLatin1String("Times New Roman"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Serif");
    return name;
}

QFont ToQFont(const TFont& f) {
    QFont q(FontFamilyFor(f.Name));
    q.setPixelSize(f.Height > 0 ? f.Height : 11);
    q.setBold((f.Style & fsBold) != 0);
    q.setItalic((f.Style & fsItalic) != 0);
    q.setUnderline((f.Style & fsUnderline) != 0);
    q.setStrikeOut((f.Style & fsStrikeOut) != 0);
    return q;
}

Qt::CursorShape ToQtCursor(TCursor c) {
    switch (c) {
    case crNone:
        return Qt::BlankCursor;
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crSizeNESW:
        return Qt::SizeBDiagCursor;
    case crSizeNS:
        return Qt::SizeVerCursor;
    case crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case crSizeWE:
        return Qt::SizeHorCursor;
    case crUpArrow:
        return Qt::UpArrowCursor;
    case crHourGlass:
        return Qt::WaitCursor;
    case crDrag:
        return Qt::DragCopyCursor;
    case crNoDrop:
        return Qt::ForbiddenCursor;
    case crHSplit:
        return Qt::SplitHCursor;
    case crVSplit:
        return Qt::SplitVCursor;
    case crMultiDrag:
        return Qt::DragCopyCursor;
    case crSQLWait:
        return Qt::BusyCursor;
    case crNo:
        return Qt::ForbiddenCursor;
    case crAppStart:
        return Qt::BusyCursor;
    case crHelp:
        return Qt::WhatsThisCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    case crSizeAll:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    TShiftState s = 0;
    if (modifiers & Qt::ShiftModifier) s |= ssShift;
    if (modifiers & Qt::AltModifier) s |= ssAlt;
    if (modifiers & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

} // namespace dp
