#include "controls/image.h"

#include "controls/accessibility.h"
#include "controls/pixel_picture.h"

#include <QPainter>

TImage::TImage(dp::TOwner* Owner) : TControl<QWidget>(Owner) {
    dp::InstallControlAccessibility();
    setGeometry(0, 0, 105, 105);
}

void TImage::SetPicture(const QImage& v) {
    FPicture = v;
    Prepare();
    if (FAutoSize && !FPicture.isNull()) SetBounds(Left(), Top(), FPicture.width(), FPicture.height());
    update();
}

void TImage::SetCenter(bool v) {
    FCenter = v;
    update();
}

void TImage::SetProportional(bool v) {
    FProportional = v;
    update();
}

void TImage::SetStretch(bool v) {
    FStretch = v;
    update();
}

void TImage::SetTransparent(bool v) {
    FTransparent = v;
    Prepare();
    update();
}

void TImage::SetAutoSize(bool v) {
    FAutoSize = v;
    if (FAutoSize && !FPicture.isNull()) SetBounds(Left(), Top(), FPicture.width(), FPicture.height());
}

void TImage::Prepare() {
    if (FPicture.isNull() || !FTransparent) {
        FDrawn = FPicture;
        return;
    }
    // The bottom-left pixel's colour is the transparent colour of a bitmap.
    FDrawn = FPicture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = FDrawn.pixel(0, FDrawn.height() - 1);
    for (int y = 0; y < FDrawn.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(FDrawn.scanLine(y));
        for (int x = 0; x < FDrawn.width(); ++x)
            if (line[x] == key) line[x] = 0;
    }
}

QRect TImage::PictureRect() const {
    if (FPicture.isNull()) return QRect();
    int w = FPicture.width();
    int h = FPicture.height();
    const int cw = Width();
    const int ch = Height();
    if (FStretch || (FProportional && (w > cw || h > ch))) {
        if (FProportional && w > 0 && h > 0) {
            // Fit inside the control keeping the aspect ratio.
            if (static_cast<long long>(cw) * h <= static_cast<long long>(ch) * w) {
                h = static_cast<int>(static_cast<long long>(h) * cw / w);
                w = cw;
            } else {
                w = static_cast<int>(static_cast<long long>(w) * ch / h);
                h = ch;
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    QRect r(0, 0, w, h);
    if (FCenter) r.moveTopLeft(QPoint((cw - w) / 2, (ch - h) / 2));
    return r;
}

void TImage::MouseClick() {
    Fire(OnClick);
}

void TImage::MouseDoubleClick() {
    Fire(OnDblClick);
}

void TImage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (FDrawn.isNull()) return;
    const QRect target = PictureRect();
    if (target.size() == FDrawn.size())
        dp::DrawPixelPicture(p, target.topLeft(), FDrawn);
    else
        p.drawImage(target, FDrawn);
}
