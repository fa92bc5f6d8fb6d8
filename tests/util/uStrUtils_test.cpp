#include "util/uStrUtils.h"

#include "tests/support/scoped_separator.h"
#include "util/math_errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace dp {
namespace {

// Every test starts from the separator the program is made for, and puts back the one before after,
// however it ends.
class SeparatorTest {
protected:
    explicit SeparatorTest(char sep = ',') : separator_(sep) {}

private:
    test::ScopedDecimalSeparator separator_;
};

// ---- FormatGeneral -----------------------------------------------------------------------------

struct FormatCase {
    const char* name;
    double value;
    const char* comma;
};

void PrintTo(const FormatCase& row, std::ostream* os) {
    *os << row.name;
}

class FormatGeneralTest : public SeparatorTest, public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatGeneralTest, WritesGeneralFormatWithComma) {
    EXPECT_EQ(FormatGeneral(GetParam().value), GetParam().comma);
}

TEST_P(FormatGeneralTest, WritesGeneralFormatWithPoint) {
    SetDecimalSeparator('.');
    std::string expected = GetParam().comma;
    for (char& c : expected)
        if (c == ',') c = '.';
    EXPECT_EQ(FormatGeneral(GetParam().value), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatGeneralTest,
    ::testing::Values(FormatCase{"Zero", 0.0, "0"}, FormatCase{"NegativeZero", -0.0, "0"},
                      FormatCase{"Integer", 370.0, "370"}, FormatCase{"Fraction", 5.5, "5,5"},
                      FormatCase{"Negative", -2.5, "-2,5"}, FormatCase{"NegativeInteger", -1000.0, "-1000"},
                      FormatCase{"SmallestPlain", 0.0001, "0,0001"},
                      FormatCase{"NegativeSmallestPlain", -0.0001, "-0,0001"},
                      FormatCase{"BelowPlain", 0.00001, "1E-5"},
                      FormatCase{"ScientificFraction", 1.5e-5, "1,5E-5"},
                      FormatCase{"NegativeScientific", -1.5e-5, "-1,5E-5"},
                      FormatCase{"LargestPlain", 999999999999999.0, "999999999999999"},
                      FormatCase{"FirstScientific", 1e15, "1E15"}, FormatCase{"Large", 1e20, "1E20"},
                      FormatCase{"LargeWithDigits", 1.25e20, "1,25E20"},
                      FormatCase{"RoundsUpIntoScientific", 9999999999999999.0, "1E16"},
                      FormatCase{"RoundsUpIntoPlain", 0.000099999999999999999, "0,0001"},
                      FormatCase{"FifteenDigits", 0.1 + 0.2, "0,3"},
                      FormatCase{"CarryThroughNines", 1.9999999999999999, "2"},
                      FormatCase{"FifteenSignificant", 123456789.012345678, "123456789,012346"},
                      FormatCase{"ThreeDigitExponent", 1e-300, "1E-300"},
                      FormatCase{"MaxDouble", 1.7976931348623157e308, "1,79769313486232E308"},
                      FormatCase{"Subnormal", 5e-324, "4,94065645841247E-324"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- RoundToStr --------------------------------------------------------------------------------

struct RoundCase {
    const char* name;
    int digits;
    double value;
    const char* text;
};

void PrintTo(const RoundCase& row, std::ostream* os) {
    *os << row.name;
}

class RoundToStrTest : public SeparatorTest, public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundToStrTest, RoundsAndFormats) {
    EXPECT_EQ(RoundToStr(GetParam().digits, GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RoundToStrTest,
    ::testing::Values(RoundCase{"WholeVolts", 0, 370.0314, "370"},
                      RoundCase{"NoTrailingZero", 1, 15.0396, "15"},
                      RoundCase{"OneDecimal", 1, 47.3254, "47,3"}, RoundCase{"TieToEvenDown", 0, 2.5, "2"},
                      RoundCase{"TieToEvenUp", 0, 3.5, "4"}, RoundCase{"TieInDecimals", 1, 0.25, "0,2"},
                      RoundCase{"NegativeTie", 0, -2.5, "-2"},
                      RoundCase{"NegativeRounding", 1, -1000.04, "-1000"},
                      RoundCase{"NegativeDigitsMeanWhole", -3, 12.6, "13"}, RoundCase{"Zero", 1, 0.0, "0"},
                      RoundCase{"SmallToZero", 1, 0.04, "0"}, RoundCase{"SmallNegativeToZero", 0, -0.4, "0"},
                      RoundCase{"NineDigits", 9, 1.5, "1,5"},
                      RoundCase{"NineDigitsRounded", 9, 0.1234567894, "0,123456789"},
                      RoundCase{"LargeButInRange", 0, 1e18, "1E18"}),
    [](const auto& info) { return std::string(info.param.name); });

struct RoundFaultCase {
    const char* name;
    int digits;
    double value;
    const char* message;
};

void PrintTo(const RoundFaultCase& row, std::ostream* os) {
    *os << row.name;
}

class RoundToStrFaultTest : public ::testing::TestWithParam<RoundFaultCase> {};

TEST_P(RoundToStrFaultTest, Throws) {
    try {
        RoundToStr(GetParam().digits, GetParam().value);
        FAIL() << "no error";
    } catch (const EMathError& e) {
        EXPECT_STREQ(e.what(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RoundToStrFaultTest,
    ::testing::Values(RoundFaultCase{"TenDigits", 10, 1.0, kIntOverflowText},
                      RoundFaultCase{"ManyDigits", 1000000, 1.0, kIntOverflowText},
                      RoundFaultCase{"ProductOverflows", 1, 1e308, kOverflowText},
                      RoundFaultCase{"BeyondInt64", 0, 1e19, kInvalidOpText},
                      RoundFaultCase{"BelowInt64", 0, -1e19, kInvalidOpText},
                      RoundFaultCase{"ExactlyTwoTo63", 0, 9223372036854775808.0, kInvalidOpText},
                      RoundFaultCase{"NotANumber", 0, std::numeric_limits<double>::quiet_NaN(),
                                     kInvalidOpText}),
    [](const auto& info) { return std::string(info.param.name); });

class RoundToStrEdge : public SeparatorTest, public ::testing::Test {};

TEST_F(RoundToStrEdge, LowestInt64IsInRange) {
    EXPECT_EQ(RoundToStr(0, -9223372036854775808.0), "-9,22337203685478E18");
}

// ---- TryStrToInt -------------------------------------------------------------------------------

struct IntCase {
    const char* name;
    const char* text;
    bool ok;
    int32_t value;
};

void PrintTo(const IntCase& row, std::ostream* os) {
    *os << row.name;
}

class TryStrToIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(TryStrToIntTest, Parses) {
    int32_t v = 12345;
    EXPECT_EQ(TryStrToInt(GetParam().text, v), GetParam().ok);
    EXPECT_EQ(v, GetParam().ok ? GetParam().value : 12345) << "a rejected text leaves the value alone";
}

INSTANTIATE_TEST_SUITE_P(
    Table, TryStrToIntTest,
    ::testing::Values(
        IntCase{"Plain", "370", true, 370}, IntCase{"Zero", "0", true, 0},
        IntCase{"LeadingZeros", "000042", true, 42}, IntCase{"LeadingBlanks", "   25", true, 25},
        IntCase{"LeadingTab", "\t25", true, 25}, IntCase{"Plus", "+7", true, 7},
        IntCase{"Minus", "-256", true, -256}, IntCase{"BlanksThenSign", "  -3", true, -3},
        IntCase{"Max", "2147483647", true, 2147483647},
        IntCase{"Min", "-2147483648", true, std::numeric_limits<int32_t>::min()},
        IntCase{"AboveMax", "2147483648", false, 0}, IntCase{"BelowMin", "-2147483649", false, 0},
        IntCase{"Huge", "99999999999999999999999999999999", false, 0},
        IntCase{"ManyLeadingZeros", "0000000000000000000000000000001", true, 1},
        IntCase{"Dollar", "$1F", true, 31}, IntCase{"LowerX", "x1f", true, 31},
        IntCase{"UpperX", "X1F", true, 31}, IntCase{"ZeroX", "0x10", true, 16},
        IntCase{"ZeroUpperX", "0X10", true, 16}, IntCase{"SignedHex", "-$10", true, -16},
        IntCase{"BlanksSignedHex", " +0x7FFFFFFF", true, 2147483647},
        IntCase{"HexMin", "-$80000000", true, std::numeric_limits<int32_t>::min()},
        IntCase{"HexAboveMaxNotWrapped", "$80000000", false, 0}, IntCase{"HexAllOnes", "$FFFFFFFF", false, 0},
        IntCase{"HexBelowMin", "-$80000001", false, 0}, IntCase{"DollarAlone", "$", false, 0},
        IntCase{"ZeroXAlone", "0x", false, 0}, IntCase{"HexGarbage", "$1G", false, 0},
        IntCase{"DecimalWithHexLetter", "1F", false, 0}, IntCase{"Empty", "", false, 0},
        IntCase{"OnlyBlanks", "   ", false, 0}, IntCase{"OnlySign", "-", false, 0},
        IntCase{"TrailingBlank", "25 ", false, 0}, IntCase{"BlankAfterSign", "- 5", false, 0},
        IntCase{"DoubleSign", "--5", false, 0}, IntCase{"Fraction", "2,5", false, 0},
        IntCase{"Point", "2.5", false, 0}, IntCase{"Exponent", "1E3", false, 0},
        IntCase{"Letters", "abc", false, 0}, IntCase{"Grouping", "1 000", false, 0},
        IntCase{"PrefixAfterZeroX", "0x$1", false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- TryStrToFloat / TryStrToFloatDot -----------------------------------------------------------

struct FloatCase {
    const char* name;
    char separator;
    const char* text;
    bool plainOk;
    bool dotOk;
    double value;
};

void PrintTo(const FloatCase& row, std::ostream* os) {
    *os << row.name;
}

class FloatParseTest : public SeparatorTest, public ::testing::TestWithParam<FloatCase> {
protected:
    void SetUp() override { SetDecimalSeparator(GetParam().separator); }
};

TEST_P(FloatParseTest, TryStrToFloat) {
    double v = -77.0;
    EXPECT_EQ(TryStrToFloat(GetParam().text, v), GetParam().plainOk);
    if (GetParam().plainOk)
        EXPECT_EQ(v, GetParam().value);
    else
        EXPECT_EQ(v, -77.0);
}

TEST_P(FloatParseTest, TryStrToFloatDot) {
    double v = -77.0;
    EXPECT_EQ(TryStrToFloatDot(GetParam().text, v), GetParam().dotOk);
    if (GetParam().dotOk)
        EXPECT_EQ(v, GetParam().value);
    else
        EXPECT_EQ(v, -77.0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FloatParseTest,
    ::testing::Values(
        FloatCase{"CommaWithComma", ',', "1,2", true, true, 1.2},
        FloatCase{"PointWithComma", ',', "1.2", false, true, 1.2},
        FloatCase{"TwoPointsWithComma", ',', "1.2.3", false, false, 0},
        FloatCase{"PointAndCommaWithComma", ',', "1.2,3", false, false, 0},
        FloatCase{"TwoCommas", ',', "1,2,3", false, false, 0},
        FloatCase{"PointWithPoint", '.', "1.2", true, true, 1.2},
        FloatCase{"CommaWithPoint", '.', "1,2", false, false, 0},
        FloatCase{"TwoPointsWithPoint", '.', "1.2.3", false, false, 0},
        FloatCase{"Integer", ',', "16", true, true, 16.0},
        FloatCase{"Negative", ',', "-0,5", true, true, -0.5}, FloatCase{"Plus", ',', "+2,5", true, true, 2.5},
        FloatCase{"LeadingSeparator", ',', ",5", true, true, 0.5},
        FloatCase{"TrailingSeparator", ',', "5,", true, true, 5.0},
        FloatCase{"Blanks", ',', "  2,5  ", true, true, 2.5},
        FloatCase{"Tabs", ',', "\t2,5\t", true, true, 2.5},
        FloatCase{"Exponent", ',', "1,5E3", true, true, 1500.0},
        FloatCase{"LowerExponent", ',', "1,5e-3", true, true, 0.0015},
        FloatCase{"PlusExponent", ',', "2E+2", true, true, 200.0},
        FloatCase{"PointAndExponent", ',', "1.5E3", false, true, 1500.0},
        FloatCase{"ManyDigits", ',', "0,1000000000000000000000000000001", true, true, 0.1},
        FloatCase{"LeadingZerosScaled", ',', "0000,0000015E6", true, true, 1.5},
        FloatCase{"NegativeZero", ',', "-0", true, true, -0.0},
        FloatCase{"Underflow", ',', "1E-400", true, true, 0.0},
        FloatCase{"HugeNegativeExponent", ',', "1E-99999999999999999999", true, true, 0.0},
        FloatCase{"ZeroWithHugeExponent", ',', "0E99999999999999999999", true, true, 0.0},
        FloatCase{"Overflow", ',', "1E400", false, false, 0},
        FloatCase{"JustAboveMax", ',', "2E308", false, false, 0},
        FloatCase{"Max", ',', "1,7976931348623157E308", true, true, 1.7976931348623157e308},
        FloatCase{"HugeExponent", ',', "1E99999999999999999999", false, false, 0},
        FloatCase{"Empty", ',', "", false, false, 0}, FloatCase{"OnlyBlanks", ',', "   ", false, false, 0},
        FloatCase{"OnlySeparator", ',', ",", false, false, 0},
        FloatCase{"OnlySign", ',', "-", false, false, 0},
        FloatCase{"ExponentWithoutDigits", ',', "1E", false, false, 0},
        FloatCase{"ExponentSignOnly", ',', "1E-", false, false, 0},
        FloatCase{"ExponentWithoutMantissa", ',', "E5", false, false, 0},
        FloatCase{"FractionalExponent", ',', "1E2,5", false, false, 0},
        FloatCase{"Grouping", ',', "1 000", false, false, 0},
        FloatCase{"BlankAfterSign", ',', "- 1", false, false, 0},
        FloatCase{"NaN", ',', "NAN", false, false, 0}, FloatCase{"Inf", ',', "INF", false, false, 0},
        FloatCase{"Infinity", ',', "-Infinity", false, false, 0},
        FloatCase{"Hex", ',', "0x10", false, false, 0}, FloatCase{"Garbage", ',', "12abc", false, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A stored real is read whichever separator the locale that wrote it used.
struct AnySeparatorCase {
    const char* name;
    char separator;
    const char* text;
    bool ok;
    double value;
};

void PrintTo(const AnySeparatorCase& row, std::ostream* os) {
    *os << row.name;
}

class AnySeparatorTest : public SeparatorTest, public ::testing::TestWithParam<AnySeparatorCase> {
protected:
    void SetUp() override { SetDecimalSeparator(GetParam().separator); }
};

TEST_P(AnySeparatorTest, TakesPointOrComma) {
    double v = -77.0;
    EXPECT_EQ(TryStrToFloatAnySeparator(GetParam().text, v), GetParam().ok);
    EXPECT_EQ(v, GetParam().ok ? GetParam().value : -77.0);
}

INSTANTIATE_TEST_SUITE_P(Table, AnySeparatorTest,
                         ::testing::Values(AnySeparatorCase{"CommaUnderComma", ',', "7,3", true, 7.3},
                                           AnySeparatorCase{"PointUnderComma", ',', "7.3", true, 7.3},
                                           AnySeparatorCase{"CommaUnderPoint", '.', "0,9", true, 0.9},
                                           AnySeparatorCase{"PointUnderPoint", '.', "0.9", true, 0.9},
                                           AnySeparatorCase{"ExponentUnderPoint", '.', "-1,5E-3", true,
                                                            -0.0015},
                                           AnySeparatorCase{"PointAndComma", '.', "1,5.3", false, 0},
                                           AnySeparatorCase{"CommaAndPoint", ',', "1.5,3", false, 0},
                                           AnySeparatorCase{"TwoCommasUnderPoint", '.', "1,5,3", false, 0},
                                           AnySeparatorCase{"OnlySeparator", '.', ",", false, 0},
                                           AnySeparatorCase{"Grouping", '.', "1 000,5", false, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Separator ----------------------------------------------------------------------------------

TEST(DecimalSeparator, DefaultsToPointAndIsHeldInOnePlace) {
    EXPECT_EQ(DecimalSeparator(), '.');
    const test::ScopedDecimalSeparator restore('.');
    SetDecimalSeparator(',');
    EXPECT_EQ(DecimalSeparator(), ',');
    EXPECT_EQ(FormatGeneral(2.5), "2,5");
    EXPECT_EQ(RoundToStr(1, 2.54), "2,5");
    SetDecimalSeparator('.');
    EXPECT_EQ(FormatGeneral(2.5), "2.5");
}

// What the general format writes, the parser reads back to the same value (the Cancel of an edit).
TEST(FormatRoundTrip, FifteenDigitTextParsesBack) {
    const test::ScopedDecimalSeparator comma(',');
    for (double v : {5.5, 0.0001, 1.5e-5, 1e20, -123.456, 999999999999999.0}) {
        double back = 0;
        ASSERT_TRUE(TryStrToFloatDot(FormatGeneral(v), back)) << FormatGeneral(v);
        EXPECT_EQ(back, v);
    }
}

} // namespace
} // namespace dp
