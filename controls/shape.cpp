#include "controls/shape.h"

#include "controls/accessibility.h"

#include <QPainter>
#include <QPainterPath>

namespace {

Qt::PenStyle QtPenStyle(TPenStyle s) {
    switch (s) {
    case psDash:
        return Qt::DashLine;
    case psDot:
        return Qt::DotLine;
    case psDashDot:
        return Qt::DashDotLine;
    case psDashDotDot:
        return Qt::DashDotDotLine;
    case psClear:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

Qt::BrushStyle QtBrushStyle(TBrushStyle s) {
    switch (s) {
    case bsClear:
        return Qt::NoBrush;
    case bsHorizontal:
        return Qt::HorPattern;
    case bsVertical:
        return Qt::VerPattern;
    case bsFDiagonal:
        return Qt::FDiagPattern;
    case bsBDiagonal:
        return Qt::BDiagPattern;
    case bsCross:
        return Qt::CrossPattern;
    case bsDiagCross:
        return Qt::DiagCrossPattern;
    default:
        return Qt::SolidPattern;
    }
}

} // namespace

TShape::TShape(dp::TOwner* Owner) : TControl<QWidget>(Owner) {
    dp::InstallControlAccessibility();
    setGeometry(0, 0, 65, 65);
}

void TShape::SetBrush(const TBrush& v) {
    FBrush = v;
    update();
}

void TShape::SetPen(const TPen& v) {
    FPen = v;
    update();
}

void TShape::SetShape(TShapeType v) {
    FShape = v;
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRect area = rect();
    const int side = std::min(area.width(), area.height());
    if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle)
        area = QRect(area.left() + (area.width() - side) / 2, area.top() + (area.height() - side) / 2, side,
                     side);
    if (area.isEmpty()) return;

    const bool outlined = FPen.Style != psClear;
    const int penWidth = outlined ? std::max(1, FPen.Width) : 0;
    const QBrush fill(FBrush.Color, QtBrushStyle(FBrush.Style));
    // Corners rounded like a desktop toolkit's round rectangle: the corner ellipse spans a quarter
    // of the shorter side.
    const qreal radius = std::min(area.width(), area.height()) / 8.0;
    const bool rounded = (FShape == stRoundRect || FShape == stRoundSquare) && radius >= 1.0;
    const bool ellipse = FShape == stEllipse || FShape == stCircle;

    if (!rounded && !ellipse) {
        // Whole-pixel rectangles: the pen band lies inside the shape, the fill within it.
        const QRect inner = area.adjusted(penWidth, penWidth, -penWidth, -penWidth);
        if (outlined) {
            if (FPen.Style == psSolid || FPen.Style == psInsideFrame) {
                p.fillRect(area, FPen.Color);
            } else {
                QPen pen(FPen.Color, penWidth, QtPenStyle(FPen.Style));
                pen.setJoinStyle(Qt::MiterJoin);
                p.setPen(pen);
                const qreal h = penWidth / 2.0;
                p.drawRect(QRectF(area).adjusted(h, h, -h, -h));
            }
        }
        if (inner.isValid() && fill.style() != Qt::NoBrush) {
            if (outlined && (FPen.Style == psSolid || FPen.Style == psInsideFrame))
                p.fillRect(inner, fill);
            else if (!outlined)
                p.fillRect(area, fill);
            else
                p.fillRect(inner, fill);
        }
        return;
    }

    // Curved outlines: stroke centred on a path inset by half the pen, so the outer edge meets the
    // control's border exactly and straight parts stay on whole pixels.
    p.setRenderHint(QPainter::Antialiasing, true);
    const qreal h = penWidth / 2.0;
    const QRectF path = QRectF(area).adjusted(h, h, -h, -h);
    p.setBrush(fill);
    if (outlined) {
        QPen pen(FPen.Color, penWidth, QtPenStyle(FPen.Style));
        pen.setJoinStyle(Qt::MiterJoin);
        p.setPen(pen);
    } else {
        p.setPen(Qt::NoPen);
    }
    if (ellipse)
        p.drawEllipse(path);
    else
        p.drawRoundedRect(path, radius, radius);
}
