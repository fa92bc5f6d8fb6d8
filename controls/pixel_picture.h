#pragma once
// Bitmaps on a screen of any scale: each pixel of the picture becomes a square of whole device
// pixels (the scale rounded, at least one), placed on the device's pixel grid, so the picture stays
// sharp: no blurred edges and no columns wider than others.
#include <QImage>
#include <QPointF>
#include <QSizeF>

class QPainter;

namespace dp {

// Device pixels per picture pixel on a screen of the given scale.
int PictureScale(qreal devicePixelRatio);

// The size the picture takes on such a screen, in the window's (logical) pixels.
QSizeF DrawnPictureSize(const QSize& picture, qreal devicePixelRatio);

// Device pixels per window pixel of what the painter paints on.
qreal DeviceScale(const QPainter& painter);

// Draws the picture with its top-left corner at topLeft (moved to the nearest device pixel).
void DrawPixelPicture(QPainter& painter, const QPointF& topLeft, const QImage& picture);

} // namespace dp
