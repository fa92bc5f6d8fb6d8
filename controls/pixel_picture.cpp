#include "controls/pixel_picture.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace dp {

int PictureScale(qreal devicePixelRatio) {
    return std::max(1, static_cast<int>(std::lround(devicePixelRatio)));
}

QSizeF DrawnPictureSize(const QSize& picture, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1;
    return QSizeF(picture) * PictureScale(ratio) / ratio;
}

qreal DeviceScale(const QPainter& painter) {
    const qreal scale = painter.deviceTransform().m11();
    return scale > 0 ? scale : 1;
}

void DrawPixelPicture(QPainter& painter, const QPointF& topLeft, const QImage& picture) {
    if (picture.isNull()) return;
    const qreal ratio = DeviceScale(painter);
    if (std::abs(ratio - 1) < 1e-9) {
        painter.drawImage(topLeft, picture);
        return;
    }
    QImage drawn =
        picture.scaled(picture.size() * PictureScale(ratio), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    drawn.setDevicePixelRatio(ratio);
    // The corner on a whole device pixel.
    const QTransform toDevice = painter.deviceTransform();
    const QPointF device = toDevice.map(topLeft);
    painter.drawImage(toDevice.inverted().map(QPointF(std::round(device.x()), std::round(device.y()))),
                      drawn);
}

} // namespace dp
