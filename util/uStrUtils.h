#pragma once
// Number and text helpers: the decimal separator of the user's locale, the general number format,
// rounding to a number of decimals, and the parsing of typed integers and reals. Texts are UTF-8.
#include <cstdint>
#include <string>

namespace dp {

// The decimal separator that every number shown or parsed uses. The program sets it once at start-up
// from the user's locale; it is '.' until then.
char DecimalSeparator();
void SetDecimalSeparator(char separator);

// The general number format: at most 15 significant digits, no trailing zeros, no trailing separator,
// no digit grouping, "-" for negatives. Plain notation for 0.0001 <= |v| < 1e15 (after rounding to
// 15 digits), scientific otherwise ("1,5E-5", "1E20"). 0 and -0 give "0".
std::string FormatGeneral(double v);

// value rounded to digits decimals (ties to even) in the general number format.
// Throws EMathError: "Integer overflow" for 10 or more digits (the 32-bit multiplier overflows),
// "Floating point overflow" when value * 10^digits overflows, "Invalid floating point operation" when
// the rounded product is outside the 64-bit integer range.
std::string RoundToStr(int digits, double value);

// A 32-bit signed integer: leading blanks, an optional sign, then decimal digits or hexadecimal digits
// after "$", "x", "X", "0x" or "0X". Anything else (trailing blanks included), an empty text or a value
// outside the 32-bit range gives false and leaves value unchanged. A hexadecimal magnitude is a
// magnitude: "$FFFFFFFF" is out of range (not -1), and "-$80000000" is accepted as -2147483648.
bool TryStrToInt(const std::string& text, int32_t& value);

// A real with the current decimal separator: blanks around it, an optional sign, digits with at most
// one separator (at least one digit), an optional exponent "E"/"e" with an optional sign and digits.
// No grouping, no NaN or infinity texts. A value too large for a double gives false; a value too small
// becomes zero. On false, value is unchanged. Independent of the C library's locale.
bool TryStrToFloat(const std::string& text, double& value);

// TryStrToFloat after the first "." of the text is replaced by the decimal separator, so a typed point
// always works as the separator (where the separator is the point itself, nothing changes).
bool TryStrToFloatDot(const std::string& text, double& value);

// TryStrToFloat where the point and the comma both stand for the decimal separator: a stored real is
// read whichever locale wrote it. The format has no digit grouping, so this is unambiguous; a text
// with two separators of any kind ("1,5.3") is still refused.
bool TryStrToFloatAnySeparator(const std::string& text, double& value);

} // namespace dp
