#include "tavrel/display.hpp"

#include <cstdlib>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "bits.hpp"

namespace tavrel {
namespace {

using test::bits;
using test::from_bits;

struct ShortestCase {
    double value;
    std::string text;
};

void PrintTo(const ShortestCase& c, std::ostream* os) {
    *os << test::hex(bits(c.value)) << " \"" << c.text << '"';
}

class ShortestTest : public ::testing::TestWithParam<ShortestCase> {};

TEST_P(ShortestTest, PositionalLayoutOfShortestDigits) {
    EXPECT_EQ(format_double(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ShortestTest,
    ::testing::Values(
        ShortestCase{1.0, "1"}, ShortestCase{-1.5, "-1.5"}, ShortestCase{0.5, "0.5"},
        ShortestCase{100.0, "100"}, ShortestCase{123.456, "123.456"},
        ShortestCase{1.0 / 3.0, "0.3333333333333333"},
        ShortestCase{59.99999999999999, "59.99999999999999"},
        // Integral values in the exponent range where a general format would switch notation.
        ShortestCase{1e16, "10000000000000000"},
        ShortestCase{1.633123935319537e16, "16331239353195370"},
        ShortestCase{1e21, "1000000000000000000000"},
        // The shortest digits are padded with zeros, not replaced by the exact binary value.
        ShortestCase{1e23, "100000000000000000000000"},
        ShortestCase{9007199254740993.0, "9007199254740992"}, ShortestCase{1e-7, "0.0000001"},
        ShortestCase{2.5e-5, "0.000025"},
        ShortestCase{2.220446049250313e-16, "0.0000000000000002220446049250313"},
        ShortestCase{0.0, "0"}, ShortestCase{-0.0, "-0"}, ShortestCase{test::inf, "inf"},
        ShortestCase{-test::inf, "-inf"}, ShortestCase{test::nan, "NaN"},
        ShortestCase{-test::nan, "NaN"}, ShortestCase{from_bits(0x7ff0000000000001), "NaN"}));

TEST(Display, ExtremesUseTheFullPositionalLayout) {
    EXPECT_EQ(format_double(5e-324), "0." + std::string(323, '0') + "5");
    EXPECT_EQ(format_double(-1.7976931348623157e308), "-17976931348623157" + std::string(292, '0'));
}

TEST(Display, AppendKeepsExistingText) {
    std::string out = "x=";
    append_double(out, 0.25);
    append_fixed(out, 2.0, 1);
    EXPECT_EQ(out, "x=0.252.0");
}

// Reading the text back must give the same double for arbitrary bit patterns; this exercises
// every branch of the layout (small, fractional, large integral) without restating it.
TEST(Display, RandomValuesRoundTrip) {
    std::mt19937_64 rng(20240611);
    for (int n = 0; n < 20000; ++n) {
        const double v = from_bits(rng());
        if (!std::isfinite(v)) {
            continue;
        }
        const std::string text = format_double(v);
        ASSERT_EQ(text.find_first_of("eE"), std::string::npos) << text;
        ASSERT_EQ(bits(std::strtod(text.c_str(), nullptr)), bits(v)) << text;
    }
}

struct FixedCase {
    double value;
    int precision;
    std::string text;
};

void PrintTo(const FixedCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class FixedTest : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FixedTest, RoundsExactBinaryValueTiesToEven) {
    std::string out;
    append_fixed(out, GetParam().value, GetParam().precision);
    EXPECT_EQ(out, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FixedTest,
    ::testing::Values(
        FixedCase{3.141592653589793, 2, "3.14"}, FixedCase{0.125, 2, "0.12"},  // exact tie, to even
        FixedCase{0.375, 2, "0.38"},                                           // exact tie, to even
        FixedCase{2.675, 2, "2.67"},  // binary value lies below the tie
        FixedCase{0.5, 0, "0"}, FixedCase{1.5, 0, "2"}, FixedCase{2.5, 0, "2"},
        FixedCase{1e23, 0, "99999999999999991611392"}, FixedCase{0.1, 20, "0.10000000000000000555"},
        FixedCase{123.456, 5, "123.45600"}, FixedCase{-0.001, 2, "-0.00"},
        FixedCase{-0.0, 1, "-0.0"}, FixedCase{1.0, -3, "1"}, FixedCase{test::nan, 3, "NaN"},
        FixedCase{test::inf, 2, "inf"}, FixedCase{-test::inf, 0, "-inf"}));

TEST(Display, FixedHandlesLongFractions) {
    std::string out;
    append_fixed(out, 5e-324, 1100);
    ASSERT_EQ(out.size(), 2u + 1100u);
    EXPECT_EQ(out.substr(0, 12), "0.0000000000");
    EXPECT_EQ(out.substr(2 + 323, 5), "49406");  // 4.9406...e-324
}

}  // namespace
}  // namespace tavrel
