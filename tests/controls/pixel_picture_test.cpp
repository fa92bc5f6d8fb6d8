// The kinds that show a bitmap keep it sharp at any display scale: drawn at 100 % to 300 %, the
// picture appears as an exact copy in which every pixel is a square of whole device pixels, the same
// size for every column and row (no blurred edges, no uneven columns).
#include "controls/buttons.h"
#include "controls/image.h"
#include "controls/pixel_picture.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// Columns of different colours and a diagonal, so that a doubled or dropped column shows.
QImage Picture() {
    QImage picture(7, 5, QImage::Format_RGB32);
    const QRgb colours[] = {0xff0000, 0x00a000, 0x0000c0, 0x000000, 0xffffff, 0x808000, 0x00ffff};
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, x == y ? 0xff000000u | 0xff00ffu : 0xff000000u | colours[x]);
    return picture;
}

// Where the picture lies in the canvas as a copy with every pixel k x k device pixels; pixels of the
// picture in the colour `skip` (shown through) are not compared.
bool HoldsExactCopy(const QImage& canvas, const QImage& picture, int k, QRgb skip) {
    const int w = picture.width() * k;
    const int h = picture.height() * k;
    for (int oy = 0; oy + h <= canvas.height(); ++oy) {
        for (int ox = 0; ox + w <= canvas.width(); ++ox) {
            bool same = true;
            for (int y = 0; y < h && same; ++y) {
                for (int x = 0; x < w && same; ++x) {
                    const QRgb want = picture.pixel(x / k, y / k) | 0xff000000u;
                    if (want == (skip | 0xff000000u)) continue;
                    same = (canvas.pixel(ox + x, oy + y) | 0xff000000u) == want;
                }
            }
            if (same) return true;
        }
    }
    return false;
}

QImage RenderAtScale(QWidget& host, qreal scale) {
    QImage canvas(static_cast<int>(std::ceil(host.width() * scale)),
                  static_cast<int>(std::ceil(host.height() * scale)), QImage::Format_ARGB32);
    canvas.setDevicePixelRatio(scale);
    canvas.fill(QColor(200, 200, 200));
    host.render(&canvas, QPoint(), QRegion(), QWidget::DrawChildren);
    return canvas;
}

class PixelPictures : public ::testing::TestWithParam<qreal> {};

TEST_P(PixelPictures, ImageAndSpeedButtonDrawTheirPictureInWholeDevicePixels) {
    const qreal scale = GetParam();
    const int k = dp::PictureScale(scale);
    EXPECT_EQ(k, std::max(1, static_cast<int>(std::lround(scale))));
    const QImage picture = Picture();

    QWidget host;
    host.resize(60, 40);
    auto* image = new TImage;
    image->SetParent(&host);
    image->SetBounds(7, 5, 25, 15); // an odd place: at 150 % it starts between device pixels
    image->SetPicture(picture);
    EXPECT_TRUE(HoldsExactCopy(RenderAtScale(host, scale), picture, k, 0)) << "image at " << scale;
    delete image;

    // The button's glyph: its bottom-left colour (the red of the first column) lets the face show
    // through.
    auto* button = new TSpeedButton;
    button->SetParent(&host);
    button->SetBounds(3, 3, 23, 22);
    button->SetGlyph(picture);
    EXPECT_TRUE(
        HoldsExactCopy(RenderAtScale(host, scale), picture, k, picture.pixel(0, picture.height() - 1)))
        << "button at " << scale;
}

INSTANTIATE_TEST_SUITE_P(Scales, PixelPictures, ::testing::Values(1.0, 1.25, 1.5, 2.0, 3.0),
                         [](const auto& info) {
                             return "Percent" + std::to_string(std::lround(info.param * 100));
                         });

} // namespace
