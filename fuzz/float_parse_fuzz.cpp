// Fuzz target of the real-number parsers. The first input byte chooses the decimal separator (odd: the
// comma, even: the point); the rest is a typed text. Checks:
// - TryStrToFloat agrees with a separate reference written here (the text's form checked by pattern,
//   the value from the C library's correctly rounded strtod): accepted exactly when the reference
//   accepts, with the same bits;
// - accepted values are finite; a rejected text leaves the value unchanged;
// - TryStrToFloatDot gives the same as TryStrToFloat on a text without a point, and the same as the
//   reference after the first point is turned into the separator;
// - under the comma, TryStrToFloatDot on a text without a comma reads it as the point separator would.
#include "fuzz/fuzz_support.h"
#include "util/uStrUtils.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

using dp::fuzz::Check;
using dp::fuzz::SameBits;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// [blanks] [sign] digits with at most one separator, at least one digit [E|e [sign] digits] [blanks],
// blanks being spaces and tabs. The value is strtod's of the same text in the C notation; a value
// beyond the range of a double is rejected, one below it is zero.
std::optional<double> ReferenceParse(const std::string& text, char sep) {
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::nullopt;
    const size_t end = text.find_last_not_of(" \t") + 1;
    std::string c; // the text in C notation
    size_t i = begin;
    if (text[i] == '+' || text[i] == '-') c.push_back(text[i++]);
    int digits = 0;
    bool seenSep = false;
    for (; i < end; ++i) {
        if (IsDigit(text[i])) {
            ++digits;
            c.push_back(text[i]);
        } else if (text[i] == sep && !seenSep) {
            seenSep = true;
            c.push_back('.');
        } else {
            break;
        }
    }
    if (digits == 0) return std::nullopt;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        c.push_back('e');
        ++i;
        if (i < end && (text[i] == '+' || text[i] == '-')) c.push_back(text[i++]);
        const size_t expDigits = i;
        while (i < end && IsDigit(text[i])) c.push_back(text[i++]);
        if (i == expDigits) return std::nullopt;
    }
    if (i != end) return std::nullopt;
    errno = 0;
    char* stop = nullptr;
    const double v = std::strtod(c.c_str(), &stop);
    Check(stop == c.c_str() + c.size(), "the reference converts the whole text");
    if (std::isinf(v)) return std::nullopt; // too large for a double
    return v;
}

struct TResult {
    bool accepted;
    double value;
};

constexpr double kSentinel = -1234.5;

TResult Parse(bool dot, const std::string& text) {
    double v = kSentinel;
    const bool ok = dot ? dp::TryStrToFloatDot(text, v) : dp::TryStrToFloat(text, v);
    if (ok)
        Check(std::isfinite(v), "an accepted value is finite");
    else
        Check(SameBits(v, kSentinel), "a rejected text leaves the value unchanged");
    return {ok, v};
}

bool Same(const TResult& a, const TResult& b) {
    return a.accepted == b.accepted && (!a.accepted || SameBits(a.value, b.value));
}

bool SameAsReference(const TResult& r, const std::optional<double>& ref) {
    return r.accepted == ref.has_value() && (!r.accepted || SameBits(r.value, *ref));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const char sep = (data[0] & 1) ? ',' : '.';
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    dp::fuzz::gContext = std::string(1, sep) + text;
    dp::SetDecimalSeparator(sep);

    const TResult plain = Parse(false, text);
    Check(SameAsReference(plain, ReferenceParse(text, sep)), "TryStrToFloat agrees with the reference");

    const TResult dot = Parse(true, text);
    const size_t point = text.find('.');
    if (point == std::string::npos) {
        Check(Same(dot, plain), "without a point both parsers agree");
    } else {
        std::string replaced = text;
        replaced[point] = sep;
        Check(SameAsReference(dot, ReferenceParse(replaced, sep)),
              "TryStrToFloatDot agrees with the reference after the first point becomes the separator");
    }

    if (sep == ',' && text.find(',') == std::string::npos) {
        dp::SetDecimalSeparator('.');
        const TResult pointSep = Parse(false, text);
        dp::SetDecimalSeparator(sep);
        Check(Same(dot, pointSep), "a typed point reads as the point separator would");
    }
    return 0;
}
