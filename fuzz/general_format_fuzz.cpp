// Fuzz target of the general number format and RoundToStr. Input: 8 bytes, a double (NaN and infinity
// are skipped), then an optional byte whose lowest bit chooses the separator (1: the comma). Checks:
// - FormatGeneral's text has the shape of the format: an optional "-", digits with at most one
//   separator, no trailing zero after it and no trailing separator, at most 15 significant digits, no
//   grouping, and "E" with the exponent exactly when the 15-digit value is below 0.0001 or from 10^15;
// - the text parses back (same separator) to the value rounded to 15 significant digits (strtod of
//   "%.14e"), so exactly to the value itself where 15 digits hold it; where that rounding leaves the
//   range of a double (only near the largest double) the text is rejected as too large;
// - RoundToStr with 0 to 9 digits either gives a text that parses back to within half a unit of the
//   last decimal (plus the 15-digit rounding), or throws EMathError with "Floating point overflow" or
//   "Invalid floating point operation"; a negative count acts as 0; 10 digits is "Integer overflow".
#include "fuzz/fuzz_support.h"
#include "util/math_errors.h"
#include "util/uStrUtils.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using dp::fuzz::Check;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

double RoundTo15Digits(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    return std::strtod(buf, nullptr);
}

void CheckShape(const std::string& text, char sep, double r15) {
    size_t i = 0;
    if (i < text.size() && text[i] == '-') ++i;
    const size_t mantissaBegin = i;
    int digits = 0;
    int significant = 0;
    bool seenSep = false;
    bool leadingZeros = true;
    for (; i < text.size() && text[i] != 'E'; ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            ++digits;
            if (c != '0') leadingZeros = false;
            if (!leadingZeros) ++significant;
        } else {
            Check(c == sep && !seenSep, "the mantissa is digits with at most one separator");
            seenSep = true;
        }
    }
    const std::string mantissa = text.substr(mantissaBegin, i - mantissaBegin);
    Check(digits >= 1 && IsDigit(mantissa.front()), "the mantissa starts with a digit");
    Check(significant <= 15, "at most 15 significant digits");
    if (seenSep) {
        Check(mantissa.back() != '0', "no trailing zero after the separator");
        Check(mantissa.back() != sep, "no trailing separator");
    }
    const bool scientific = i < text.size();
    if (scientific) {
        ++i;
        if (i < text.size() && text[i] == '-') ++i;
        Check(i < text.size(), "the exponent has digits");
        for (; i < text.size(); ++i) Check(IsDigit(text[i]), "the exponent is decimal digits");
        Check(mantissa.size() == 1 || mantissa[1] == sep, "one digit before the separator in E notation");
        Check(mantissa.front() != '0', "the E notation's first digit is not zero");
    }
    const double magnitude = std::fabs(r15);
    const bool plainRange = r15 == 0.0 || (magnitude >= 1e-4 && magnitude < 1e15);
    Check(scientific != plainRange, "E notation exactly outside 0.0001 <= |v| < 10^15");
}

void CheckRoundToStr(double v) {
    double m = 1.0;
    for (int digits = 0; digits <= 9; ++digits, m *= 10.0) {
        std::string text;
        try {
            text = dp::RoundToStr(digits, v);
        } catch (const dp::EMathError& e) {
            Check(std::strcmp(e.what(), dp::kOverflowText) == 0 ||
                      std::strcmp(e.what(), dp::kInvalidOpText) == 0,
                  "RoundToStr faults only with overflow or an invalid operation");
            continue;
        }
        double back = 0.0;
        Check(dp::TryStrToFloat(text, back), "RoundToStr's text parses back");
        const double error = std::fabs(back - v);
        const double bound = 0.5 / m + 1e-14 * std::fabs(v) + 1e-300;
        Check(error <= bound, "RoundToStr is within half a unit of its last decimal");
    }
    std::string atZero;
    std::string atMinus;
    try {
        atZero = dp::RoundToStr(0, v);
    } catch (const dp::EMathError& e) {
        atZero = std::string("!") + e.what();
    }
    try {
        atMinus = dp::RoundToStr(-3, v);
    } catch (const dp::EMathError& e) {
        atMinus = std::string("!") + e.what();
    }
    Check(atZero == atMinus, "a negative digit count acts as 0");
    try {
        (void)dp::RoundToStr(10, v);
        dp::fuzz::Fail("10 digits overflow the multiplier");
    } catch (const dp::EMathError& e) {
        Check(std::strcmp(e.what(), dp::kIntOverflowText) == 0, "10 digits give Integer overflow");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    double v = 0.0;
    std::memcpy(&v, data, sizeof v);
    if (!std::isfinite(v)) return 0;
    const char sep = size > 8 && (data[8] & 1) ? ',' : '.';
    dp::SetDecimalSeparator(sep);

    char shown[64];
    std::snprintf(shown, sizeof shown, "%c %.17g", sep, v);
    dp::fuzz::gContext = shown;

    const std::string text = dp::FormatGeneral(v);
    dp::fuzz::gContext += " -> " + text;
    const double r15 = RoundTo15Digits(v);
    CheckShape(text, sep, r15);

    double back = 0.0;
    if (!std::isfinite(r15)) {
        // Only the largest doubles round up beyond the range at 15 digits ("1,79769313486232E308"):
        // the parser rejects such a text as too large, like any other.
        Check(!dp::TryStrToFloat(text, back), "a text beyond the range of a double is rejected");
        CheckRoundToStr(v);
        return 0;
    }
    Check(dp::TryStrToFloat(text, back), "the text parses back");
    Check(back == r15, "the text reads back as the value rounded to 15 significant digits");
    if (r15 == v) Check(back == v, "a value that 15 digits hold reads back exactly");
    if (v != 0.0) Check(std::signbit(back) == std::signbit(v), "the sign is kept");

    CheckRoundToStr(v);
    return 0;
}
