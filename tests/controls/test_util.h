#pragma once
// Small helpers of the control tests: the mouse helpers and rendering a control to an image.
#include "tests/support/mouse.h"

#include <QImage>
#include <QWidget>

namespace dp::test {

// The control drawn over a background of the given colour.
inline QImage Render(QWidget* w, QColor background = QColor(0, 255, 0)) {
    QImage image(w->size(), QImage::Format_ARGB32);
    image.fill(background);
    w->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace dp::test
