#include "tavrel/angle.hpp"

#include <cmath>
#include <concepts>
#include <string>
#include <type_traits>

#include <gtest/gtest.h>

#include "bits.hpp"

namespace tavrel {
namespace {

using test::bits;
using test::from_bits;
using test::inf;
using test::nan;

// The two units never mix: no comparison, arithmetic or conversion between them.
template <class A, class B>
concept EqualityComparableWith = requires(const A& a, const B& b) {
    a == b;
};
template <class A, class B>
concept OrderedWith = requires(const A& a, const B& b) {
    a < b;
};
template <class A, class B>
concept AddableWith = requires(const A& a, const B& b) {
    a + b;
};

static_assert(!EqualityComparableWith<AngleRadians, AngleDegrees>);
static_assert(!EqualityComparableWith<AngleRadians, double>);
static_assert(!OrderedWith<AngleDegrees, AngleRadians>);
static_assert(!AddableWith<AngleRadians, AngleDegrees>);
static_assert(!AddableWith<AngleDegrees, AngleDegrees>);
static_assert(!std::is_convertible_v<double, AngleRadians>);
static_assert(!std::is_convertible_v<AngleRadians, AngleDegrees>);
static_assert(!std::is_convertible_v<AngleDegrees, AngleRadians>);
static_assert(sizeof(AngleRadians) == sizeof(double) && sizeof(AngleDegrees) == sizeof(double));

TEST(Angle, Constants) {
    EXPECT_EQ(bits(AngleRadians::zero().angle), 0u);
    EXPECT_EQ(bits(AngleRadians::pi().angle), 0x400921fb54442d18u);
    EXPECT_EQ(AngleRadians::two_pi().angle, 6.283185307179586);
    EXPECT_EQ(AngleRadians::half_pi().angle, 1.5707963267948966);
    EXPECT_EQ(AngleRadians::third_pi().angle, 1.0471975511965976);
    EXPECT_EQ(AngleRadians::quarter_pi().angle, 0.7853981633974483);
    EXPECT_EQ(AngleRadians::sixth_pi().angle, 0.5235987755982988);
}

struct ConversionCase {
    double from;
    std::uint64_t to;
};

void PrintTo(const ConversionCase& c, std::ostream* os) {
    *os << format_double(c.from);
}

class ToDegreesTest : public ::testing::TestWithParam<ConversionCase> {};
class ToRadiansTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(ToDegreesTest, RoundsTwice) {
    EXPECT_EQ(bits(AngleRadians{GetParam().from}.to_degrees().angle), GetParam().to);
}

TEST_P(ToRadiansTest, RoundsTwice) {
    EXPECT_EQ(bits(AngleDegrees{GetParam().from}.to_radians().angle), GetParam().to);
}

// 0.1 rad: a single multiplication by 180/pi would give 5.729577951308233 instead.
INSTANTIATE_TEST_SUITE_P(
    Reference, ToDegreesTest,
    ::testing::Values(ConversionCase{0.1, bits(5.729577951308232)},
                      ConversionCase{1.0, 0x404ca5dc1a63c1f8},
                      ConversionCase{-2.5, 0xc061e7a9907e593b},
                      ConversionCase{123.456, 0x40bba181fc44d305},
                      ConversionCase{AngleRadians::pi().angle, bits(180.0)},
                      ConversionCase{AngleRadians::half_pi().angle, bits(90.0)},
                      ConversionCase{AngleRadians::quarter_pi().angle, bits(45.0)},
                      ConversionCase{AngleRadians::third_pi().angle, bits(59.99999999999999)},
                      ConversionCase{AngleRadians::sixth_pi().angle, bits(29.999999999999996)}));

// 3 degrees: a single multiplication by pi/180 would give 0.05235987755982989 instead.
INSTANTIATE_TEST_SUITE_P(Reference, ToRadiansTest,
                         ::testing::Values(ConversionCase{3.0, bits(0.05235987755982988)},
                                           ConversionCase{1.0, 0x3f91df46a2529d39},
                                           ConversionCase{-45.5, 0xbfe969786ecd778d},
                                           ConversionCase{1e6, 0x40d10b52b8a59178},
                                           ConversionCase{180.0, bits(AngleRadians::pi().angle)},
                                           ConversionCase{90.0,
                                                          bits(AngleRadians::half_pi().angle)}));

struct TrigCase {
    double angle;
    std::uint64_t sin, cos, tan, sec, csc, cot;
};

void PrintTo(const TrigCase& c, std::ostream* os) {
    *os << format_double(c.angle);
}

class TrigTest : public ::testing::TestWithParam<TrigCase> {};

TEST_P(TrigTest, CLibraryValuesAndReciprocals) {
    const TrigCase& c = GetParam();
    const AngleRadians a{c.angle};
    EXPECT_EQ(bits(a.sin()), c.sin);
    EXPECT_EQ(bits(a.cos()), c.cos);
    EXPECT_EQ(bits(a.tan()), c.tan);
    EXPECT_EQ(bits(a.sec()), c.sec);
    EXPECT_EQ(bits(a.csc()), c.csc);
    EXPECT_EQ(bits(a.cot()), c.cot);
}

// Large arguments (1e22) are not reduced by the library: the C functions see the value as is.
INSTANTIATE_TEST_SUITE_P(
    Reference, TrigTest,
    ::testing::Values(TrigCase{0.5, 0x3fdeaee8744b05f0, 0x3fec1528065b7d50, 0x3fe17b4f5bf3474a,
                               0x3ff23b5dfbfd97b6, 0x4000afc773ab69dc, 0x3ffd49ad7e47c0a3},
                      TrigCase{-3.0, 0xbfc210386db6d55b, 0xbfefae04be85e5d2, 0x3fc23ef71254b86f,
                               0xbff02967b457b246, 0xc01c583c440ab0da, 0x401c0f9e5d665e16},
                      TrigCase{1e22, 0xbfeb453ab76bf397, 0x3fe0be2cef01c8f4, 0xbffa0f79c1b6b257,
                               0x3ffe948662e9d66a, 0xbff2c660f186bc86, 0xbfe3a5896abad503}));

TEST(Angle, PolesGiveSignedInfinitiesOrLargeValues) {
    const AngleRadians zero = AngleRadians::zero();
    EXPECT_EQ(zero.sin(), 0.0);
    EXPECT_EQ(zero.cos(), 1.0);
    EXPECT_EQ(zero.sec(), 1.0);
    EXPECT_EQ(zero.csc(), inf);
    EXPECT_EQ(zero.cot(), inf);
    EXPECT_EQ((-zero).csc(), -inf);
    EXPECT_EQ((-zero).cot(), -inf);
    EXPECT_EQ(AngleRadians::half_pi().sec(), 1.633123935319537e16);
    EXPECT_TRUE(std::isnan(AngleRadians{nan}.sec()));
}

TEST(Angle, Arithmetic) {
    EXPECT_EQ((AngleRadians{1.0} + AngleRadians{2.0}).angle, 3.0);
    EXPECT_EQ((AngleRadians{1.0} - AngleRadians{2.5}).angle, -1.5);
    EXPECT_EQ((AngleRadians{1.5} * 2.0).angle, 3.0);
    EXPECT_EQ((AngleRadians{3.0} / 2.0).angle, 1.5);
    EXPECT_EQ((AngleRadians{1.0} / 0.0).angle, inf);
    EXPECT_EQ((AngleRadians{-1.0} / 0.0).angle, -inf);
    EXPECT_TRUE(std::isnan((AngleRadians{0.0} / 0.0).angle));
    // Unreduced: seven half turns stay seven half turns.
    EXPECT_EQ((AngleRadians::pi() * 7.0).angle, 7.0 * AngleRadians::pi().angle);
}

TEST(Angle, NegationFlipsOnlyTheSignBit) {
    EXPECT_EQ(bits((-AngleRadians{0.0}).angle), 0x8000000000000000u);
    EXPECT_EQ(bits((-AngleDegrees{from_bits(0x7ff8000000000042)}).angle), 0xfff8000000000042u);
    EXPECT_EQ(to_string(-AngleDegrees{90.0}), "-90\xc2\xb0");
}

struct CompareCase {
    double a, b;
    bool eq, lt, le, gt, ge;
};

void PrintTo(const CompareCase& c, std::ostream* os) {
    *os << format_double(c.a) << " vs " << format_double(c.b);
}

class CompareTest : public ::testing::TestWithParam<CompareCase> {};

template <class Angle>
void expect_ieee_comparisons(const CompareCase& c) {
    const Angle a{c.a};
    const Angle b{c.b};
    EXPECT_EQ(a == b, c.eq);
    EXPECT_EQ(a != b, !c.eq);
    EXPECT_EQ(a < b, c.lt);
    EXPECT_EQ(a <= b, c.le);
    EXPECT_EQ(a > b, c.gt);
    EXPECT_EQ(a >= b, c.ge);
}

TEST_P(CompareTest, IeeeWithoutTolerance) {
    expect_ieee_comparisons<AngleRadians>(GetParam());
    expect_ieee_comparisons<AngleDegrees>(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Values, CompareTest,
    ::testing::Values(CompareCase{1.0, 2.0, false, true, true, false, false},
                      CompareCase{2.0, 1.0, false, false, false, true, true},
                      CompareCase{1.0, 1.0, true, false, true, false, true},
                      CompareCase{0.0, -0.0, true, false, true, false, true},
                      CompareCase{1.0, 1.0000000000000002, false, true, true, false, false},
                      CompareCase{nan, nan, false, false, false, false, false},
                      CompareCase{nan, 1.0, false, false, false, false, false}));

struct TextCase {
    double angle;
    int precision;  // -1: shortest form
    std::string radians, degrees;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.radians;
}

class AngleTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(AngleTextTest, ValueThenUnit) {
    const TextCase& c = GetParam();
    if (c.precision < 0) {
        EXPECT_EQ(to_string(AngleRadians{c.angle}), c.radians);
        EXPECT_EQ(to_string(AngleDegrees{c.angle}), c.degrees);
    } else {
        EXPECT_EQ(to_string(AngleRadians{c.angle}, c.precision), c.radians);
        EXPECT_EQ(to_string(AngleDegrees{c.angle}, c.precision), c.degrees);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, AngleTextTest,
    ::testing::Values(TextCase{0.0, -1, "0 radians", "0\xc2\xb0"},
                      TextCase{-0.0, -1, "-0 radians", "-0\xc2\xb0"},
                      TextCase{1.5707963267948966, -1, "1.5707963267948966 radians",
                               "1.5707963267948966\xc2\xb0"},
                      TextCase{59.99999999999999, -1, "59.99999999999999 radians",
                               "59.99999999999999\xc2\xb0"},
                      TextCase{-100.0, -1, "-100 radians", "-100\xc2\xb0"},
                      TextCase{nan, -1, "NaN radians", "NaN\xc2\xb0"},
                      TextCase{-inf, -1, "-inf radians", "-inf\xc2\xb0"},
                      TextCase{3.141592653589793, 2, "3.14 radians", "3.14\xc2\xb0"},
                      TextCase{0.125, 2, "0.12 radians", "0.12\xc2\xb0"},
                      TextCase{2.0, 0, "2 radians", "2\xc2\xb0"},
                      TextCase{inf, 3, "inf radians", "inf\xc2\xb0"}));

TEST(Angle, TextAppendsToExistingBuffer) {
    std::string out = "a=";
    append_repr(out, AngleRadians::pi(), 3);
    append_repr(out, AngleDegrees{90.0});
    EXPECT_EQ(out, "a=3.142 radians90\xc2\xb0");
}

struct AngleToCase {
    Vec3d a, b;
    std::uint64_t angle;
};

void PrintTo(const AngleToCase& c, std::ostream* os) {
    *os << to_string(c.a) << " " << to_string(c.b);
}

class AngleToTest : public ::testing::TestWithParam<AngleToCase> {};

TEST_P(AngleToTest, AcosOfUnclampedQuotient) {
    EXPECT_EQ(bits(GetParam().a.angle_to(GetParam().b).angle), GetParam().angle);
}

INSTANTIATE_TEST_SUITE_P(
    Reference, AngleToTest,
    ::testing::Values(
        AngleToCase{{0.1, 0.7, -0.3}, {-2.5, 1.0 / 3.0, 0.2}, 0x3ff9c39cf35c3a02},
        AngleToCase{{-2.5, 1.0 / 3.0, 0.2}, {4.1, -7.3, 0.9}, 0x4001957acdf5e9f3},
        AngleToCase{{4.1, -7.3, 0.9}, {0.001, 2e8, 1.0000000000000002}, 0x4004f53d7d163c08},
        AngleToCase{{1e16, 3.3, -9999999999999998.0}, {-2.5, 1.0 / 3.0, 0.2}, 0x4003682516585faa},
        AngleToCase{Vec3d::i(), Vec3d::j(), bits(1.5707963267948966)},
        AngleToCase{{2, 0, 0}, {2, 0, 0}, 0}));

TEST(Angle, AngleToDegenerateGivesNaN) {
    // 3 / 2.9999999999999996 rounds above 1 and is not clamped.
    EXPECT_TRUE(std::isnan(Vec3d{1, 1, 1}.angle_to({1, 1, 1}).angle));
    EXPECT_TRUE(std::isnan(Vec3d{1, 2, 3}.angle_to(Vec3d::zero()).angle));
}

}  // namespace
}  // namespace tavrel
