// Number and text helpers.
#include "util/uStrUtils.h"

#include "util/math_errors.h"

#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace dp {

namespace {

std::atomic<char> g_decimalSeparator{'.'};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decimal exponents beyond these bounds cannot come near the range of a double, whatever the digits.
constexpr int64_t kExponentClamp = 1'000'000'000;
constexpr int64_t kOverflowOrder = 400;

} // namespace

char DecimalSeparator() {
    return g_decimalSeparator.load(std::memory_order_relaxed);
}

void SetDecimalSeparator(char separator) {
    g_decimalSeparator.store(separator, std::memory_order_relaxed);
}

std::string FormatGeneral(double v) {
    if (v == 0.0) return "0";
    if (std::isnan(v)) return "NAN"; // never reached: arithmetic faults are thrown, not stored
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";

    // Fifteen significant digits, correctly rounded: "d.dddddddddddddde[+-]x".
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14);
    const std::string sci(buf, res.ptr);
    const size_t ePos = sci.find('e');
    std::string digits;
    for (size_t i = 0; i < ePos; ++i)
        if (IsDigit(sci[i])) digits.push_back(sci[i]);
    const int exponent = std::atoi(sci.c_str() + ePos + 1);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    const char sep = DecimalSeparator();
    std::string out = v < 0 ? "-" : "";
    if (exponent >= -4 && exponent < 15) {
        if (exponent >= 0) {
            const size_t intLen = static_cast<size_t>(exponent) + 1;
            if (digits.size() <= intLen) {
                out += digits;
                out.append(intLen - digits.size(), '0');
            } else {
                out += digits.substr(0, intLen);
                out.push_back(sep);
                out += digits.substr(intLen);
            }
        } else {
            out += '0';
            out.push_back(sep);
            out.append(static_cast<size_t>(-exponent - 1), '0');
            out += digits;
        }
    } else {
        out.push_back(digits[0]);
        if (digits.size() > 1) {
            out.push_back(sep);
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
    }
    return out;
}

std::string RoundToStr(int digits, double value) {
    int32_t m = 1;
    for (int i = 0; i < digits; ++i) {
        if (m > std::numeric_limits<int32_t>::max() / 10) RaiseIntOverflow();
        m *= 10;
    }
    const double product = CheckedMul(value, static_cast<double>(m));
    const double rounded = std::nearbyint(product); // ties to even in the default rounding mode
    // The 64-bit range is [-2^63, 2^63); both bounds are exact doubles.
    if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0)) RaiseInvalidOp();
    const auto r = static_cast<int64_t>(rounded);
    const double v = static_cast<double>(static_cast<long double>(r) / static_cast<long double>(m));
    return FormatGeneral(v);
}

bool TryStrToInt(const std::string& text, int32_t& value) {
    const size_t n = text.size();
    size_t i = 0;
    while (i < n && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == n) return false;
    // The magnitude may reach 2^31 only for a negative number.
    const uint64_t limit = negative ? uint64_t{2147483648u} : uint64_t{2147483647u};
    uint64_t magnitude = 0;
    for (; i < n; ++i) {
        const int d = base == 16 ? HexDigitValue(text[i]) : (IsDigit(text[i]) ? text[i] - '0' : -1);
        if (d < 0) return false;
        magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        if (magnitude > limit) return false;
    }
    value =
        negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude)) : static_cast<int32_t>(magnitude);
    return true;
}

bool TryStrToFloat(const std::string& text, double& value) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;

    size_t i = begin;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    // Mantissa: its digits, and how many of them stand before the separator.
    const char sep = DecimalSeparator();
    std::string digits;
    int64_t intDigits = -1; // -1 while no separator has been seen
    for (; i < end; ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            digits.push_back(c);
        } else if (c == sep && intDigits < 0) {
            intDigits = static_cast<int64_t>(digits.size());
        } else {
            break;
        }
    }
    if (digits.empty()) return false;
    if (intDigits < 0) intDigits = static_cast<int64_t>(digits.size());

    int64_t exponent = 0;
    if (i < end && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool expNegative = false;
        if (i < end && (text[i] == '+' || text[i] == '-')) {
            expNegative = text[i] == '-';
            ++i;
        }
        if (i == end || !IsDigit(text[i])) return false;
        for (; i < end && IsDigit(text[i]); ++i) {
            exponent = exponent * 10 + (text[i] - '0');
            if (exponent > kExponentClamp) exponent = kExponentClamp;
        }
        if (expNegative) exponent = -exponent;
    }
    if (i != end) return false;

    const double zero = negative ? -0.0 : 0.0;
    const size_t firstSignificant = digits.find_first_not_of('0');
    if (firstSignificant == std::string::npos) {
        value = zero;
        return true;
    }
    std::string significant = digits.substr(firstSignificant);
    while (significant.size() > 1 && significant.back() == '0') significant.pop_back();
    // Decimal exponent of the first significant digit.
    const int64_t order = exponent + intDigits - static_cast<int64_t>(firstSignificant) - 1;
    if (order > kOverflowOrder) return false;
    if (order < -kOverflowOrder) {
        value = zero;
        return true;
    }

    std::string normal;
    normal.push_back(significant[0]);
    if (significant.size() > 1) {
        normal.push_back('.');
        normal.append(significant, 1, std::string::npos);
    }
    normal += 'e';
    normal += std::to_string(order);
    double parsed = 0.0;
    const auto res = std::from_chars(normal.data(), normal.data() + normal.size(), parsed);
    if (res.ec == std::errc::result_out_of_range) {
        if (order > 0) return false; // too large for a double
        value = zero;                // too small: underflows to zero
        return true;
    }
    if (res.ec != std::errc() || res.ptr != normal.data() + normal.size()) return false;
    value = negative ? -parsed : parsed;
    return true;
}

bool TryStrToFloatDot(const std::string& text, double& value) {
    std::string replaced = text;
    const size_t point = replaced.find('.');
    if (point != std::string::npos) replaced[point] = DecimalSeparator();
    return TryStrToFloat(replaced, value);
}

bool TryStrToFloatAnySeparator(const std::string& text, double& value) {
    std::string replaced = text;
    for (char& c : replaced)
        if (c == '.' || c == ',') c = DecimalSeparator();
    return TryStrToFloat(replaced, value);
}

} // namespace dp
