#pragma once
// TShape: a rectangle, square, rounded rectangle or square, ellipse or circle, outlined with Pen
// and filled with Brush over the whole control (squares and circles use the shorter side, centred).
// Straight edges are drawn on whole pixels: a pen as wide as the shape gives a solid bar.
#include "controls/control.h"

#include <QWidget>

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TControl<QWidget> {
public:
    explicit TShape(dp::TOwner* Owner = nullptr);

    const TBrush& Brush() const { return FBrush; }
    void SetBrush(const TBrush& v);
    const TPen& Pen() const { return FPen; }
    void SetPen(const TPen& v);
    TShapeType Shape() const { return FShape; }
    void SetShape(TShapeType v);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    TBrush FBrush;
    TPen FPen;
    TShapeType FShape = stRectangle;
};
