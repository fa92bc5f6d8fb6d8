// Fuzz target of the integer parser: any bytes are a typed text. Checks:
// - the parser agrees with a separate reference written here (blanks, a sign, decimal digits or
//   hexadecimal digits after "$", "x", "X", "0x", "0X", 32-bit range), value for value;
// - a rejected text leaves the value unchanged;
// - an accepted value printed in decimal parses back to itself, with and without leading blanks.
#include "fuzz/fuzz_support.h"
#include "util/uStrUtils.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

using dp::fuzz::Check;

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The reference: find the parts of the text by pattern, then let strtoll convert the digits, whose
// count is first bounded so that the conversion cannot overflow 64 bits.
std::optional<int32_t> ReferenceParse(const std::string& text) {
    size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos) return std::nullopt;
    int sign = 1;
    if (text[i] == '-' || text[i] == '+') {
        sign = text[i] == '-' ? -1 : 1;
        ++i;
    }
    const std::string rest = text.substr(i);
    int base = 10;
    std::string digits = rest;
    if (rest.rfind("0x", 0) == 0 || rest.rfind("0X", 0) == 0) {
        base = 16;
        digits = rest.substr(2);
    } else if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
        base = 16;
        digits = rest.substr(1);
    }
    if (digits.empty()) return std::nullopt;
    for (char c : digits)
        if (base == 16 ? !IsHex(c) : !(c >= '0' && c <= '9')) return std::nullopt;
    const size_t firstNonZero = digits.find_first_not_of('0');
    if (firstNonZero == std::string::npos) return 0;
    const std::string significant = digits.substr(firstNonZero);
    if (significant.size() > 12) return std::nullopt; // far beyond 2^31 in either base
    const long long magnitude = std::strtoll(significant.c_str(), nullptr, base);
    const long long v = sign * magnitude;
    if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    dp::fuzz::gContext = text;

    constexpr int32_t kSentinel = 0x5A5A5A5A;
    int32_t value = kSentinel;
    const bool accepted = dp::TryStrToInt(text, value);
    const std::optional<int32_t> expected = ReferenceParse(text);

    Check(accepted == expected.has_value(), "accepted exactly when the reference accepts");
    if (!accepted) {
        Check(value == kSentinel, "a rejected text leaves the value unchanged");
        return 0;
    }
    Check(value == *expected, "the value equals the reference's");

    const std::string decimal = std::to_string(value);
    int32_t back = ~value;
    Check(dp::TryStrToInt(decimal, back) && back == value, "the decimal form parses back");
    back = ~value;
    Check(dp::TryStrToInt(" \t " + decimal, back) && back == value, "leading blanks are skipped");
    back = ~value;
    Check(!dp::TryStrToInt(decimal + " ", back) && back == ~value, "a trailing blank is rejected");
    return 0;
}
