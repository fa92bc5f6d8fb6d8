#pragma once
// Legibility of a colour on another: the contrast ratio of their relative luminances (1 for equal
// colours, 21 for black on white), and the nearest colour of the same hue that reaches a ratio.
#include <QColor>

namespace dp {

// Relative luminance of an sRGB colour, 0 (black) to 1 (white).
double RelativeLuminance(const QColor& c);

// (lighter + 0.05) / (darker + 0.05); the order of the two colours does not matter.
double ContrastRatio(const QColor& a, const QColor& b);

// The text colour itself when it reads at `ratio` on the background; otherwise the text colour mixed
// with black (on a light background) or white (on a dark one) just enough to reach the ratio.
QColor ReadableOn(const QColor& text, const QColor& background, double ratio = 4.5);

} // namespace dp
