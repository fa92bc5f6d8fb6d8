#include "controls/contrast.h"

#include <algorithm>
#include <cmath>

namespace dp {

namespace {

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

QColor Mix(const QColor& c, const QColor& towards, double t) {
    auto channel = [t](int from, int to) { return static_cast<int>(std::lround(from + (to - from) * t)); };
    return QColor(channel(c.red(), towards.red()), channel(c.green(), towards.green()),
                  channel(c.blue(), towards.blue()));
}

} // namespace

double RelativeLuminance(const QColor& c) {
    const QColor rgb = c.toRgb();
    return 0.2126 * Linear(rgb.red()) + 0.7152 * Linear(rgb.green()) + 0.0722 * Linear(rgb.blue());
}

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& text, const QColor& background, double ratio) {
    const QColor opaque = text.toRgb();
    if (ContrastRatio(opaque, background) >= ratio) return opaque;
    // Away from the background: towards black when black reads better on it, else towards white.
    const QColor end = ContrastRatio(Qt::black, background) >= ContrastRatio(Qt::white, background)
                           ? QColor(Qt::black)
                           : QColor(Qt::white);
    // The mix changes each channel monotonically, so the ratio grows with the share of the end colour:
    // the smallest share in 1/255 steps that reaches the ratio.
    for (int step = 1; step <= 255; ++step) {
        const QColor mixed = Mix(opaque, end, step / 255.0);
        if (ContrastRatio(mixed, background) >= ratio) return mixed;
    }
    return end;
}

} // namespace dp
