#include "tavrel/quat.hpp"

#include <array>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "bits.hpp"

namespace tavrel {
namespace {

using test::bits;
using test::Bits3;
using test::from_bits;
using test::inf;
using test::nan;
using test::same_bits;

struct Bits4 {
    std::uint64_t w, i, j, k;
};

::testing::AssertionResult same_bits(const Quat& q, Bits4 e) {
    if (bits(q.w) == e.w && bits(q.i) == e.i && bits(q.j) == e.j && bits(q.k) == e.k) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "got {" << test::hex(bits(q.w)) << ", " << test::hex(bits(q.i)) << ", "
           << test::hex(bits(q.j)) << ", " << test::hex(bits(q.k)) << "} (" << to_string(q) << ")";
}

::testing::AssertionResult same_bits(const Quat& q, const Quat& e) {
    return same_bits(q, Bits4{bits(e.w), bits(e.i), bits(e.j), bits(e.k)});
}

std::array<Bits3, 3> matrix_bits(const std::array<std::array<double, 3>, 3>& m) {
    std::array<Bits3, 3> out{};
    for (std::size_t r = 0; r < 3; ++r) {
        out[r] = {bits(m[r][0]), bits(m[r][1]), bits(m[r][2])};
    }
    return out;
}

// Rotation of one fixed vector; its components make the two multiplication orders differ.
constexpr Vec3d kProbe{1.5, -2.25, 0.75};

struct AxisAngleCase {
    Vec3d axis;
    double angle;
    Bits4 quat;
    Bits3 axis_back;
    std::uint64_t angle_back;
    Bits3 rotated_probe;
    std::array<Bits3, 3> matrix;
};

void PrintTo(const AxisAngleCase& c, std::ostream* os) {
    *os << to_string(c.axis) << " " << format_double(c.angle);
}

class AxisAngleTest : public ::testing::TestWithParam<AxisAngleCase> {};

TEST_P(AxisAngleTest, BitExact) {
    const AxisAngleCase& c = GetParam();
    const Quat q = Quat::from_axis_angle(c.axis, AngleRadians{c.angle});
    ASSERT_TRUE(same_bits(q, c.quat));
    const auto [axis, angle] = q.to_axis_angle();
    EXPECT_TRUE(same_bits(axis, c.axis_back));
    EXPECT_EQ(bits(angle.angle), c.angle_back);
    EXPECT_TRUE(same_bits(q.rotate(kProbe), c.rotated_probe));
    EXPECT_TRUE(matrix_bits(q.to_rotation_matrix()) == c.matrix);
}

INSTANTIATE_TEST_SUITE_P(
    Reference, AxisAngleTest,
    ::testing::Values(
        AxisAngleCase{
            Vec3d::k(),
            AngleRadians::half_pi().angle,
            {0x3fe6a09e667f3bcd, 0x8000000000000000, 0x8000000000000000, 0xbfe6a09e667f3bcc},
            {0x8000000000000000, 0x8000000000000000, 0xbff0000000000000},
            0x3ff921fb54442d18,
            {0x4002000000000001, 0x3ff7ffffffffffff, 0x3fe8000000000000},
            {{{0x3cb0000000000000, 0x3ff0000000000000, 0x0000000000000000},
              {0xbff0000000000000, 0x3cb0000000000000, 0x0000000000000000},
              {0x0000000000000000, 0x0000000000000000, 0x3ff0000000000000}}}},
        AxisAngleCase{
            Vec3d{1, 2, 3}.normalize(),
            0.7,
            {0x3fee0f575d0de5b7, 0xbfb775ef56114f04, 0xbfc775ef56114f04, 0xbfd19873808cfb43},
            {0xbfd11acee5602428, 0xbfe11acee5602428, 0xbfe9a8365810363d},
            0x3fe6666666666668,
            {0x400470daa0a79b7b, 0xbff19b631fe882b3, 0xbfd78e9401fd976e},
            {{{0x3fe9033028268008, 0x3fe19a8f735aebfb, 0xbfd2d034b492e554},
              {0xbfdee8503a7ec44a, 0x3fea9ffda8bb2768, 0x3fd1781ddd30b78d},
              {0x3fd9436ab6e582d6, 0xbfb246c7622df220, 0x3fed4ffed45d93b4}}}},
        // A non-unit axis gives a non-unit quaternion.
        AxisAngleCase{
            {1.0, 1.0, 0.0},
            -1.2,
            {0x3fea69263c485b15, 0x3fe2118d17a54159, 0x3fe2118d17a54159, 0x0000000000000000},
            {0x3ff0000000000000, 0x3ff0000000000000, 0x0000000000000000},
            0x3ff3333333333333,
            {0xbff1ca926d9d44cc, 0x3fbf7274b82d8380, 0x400c38eeb4d10d8b},
            {{{0x3fd730de943b79d2, 0x3fe46790b5e24317, 0x3fedd343a21a55c5},
              {0x3fe46790b5e24317, 0x3fd730de943b79d2, 0xbfedd343a21a55c5},
              {0xbfedd343a21a55c5, 0x3fedd343a21a55c5, 0xbfd19e42d7890c5c}}}}));

TEST(Quat, QuarterTurnAboutZ) {
    const Quat q = Quat::from_axis_angle(Vec3d::k(), AngleRadians::half_pi());
    EXPECT_TRUE(same_bits(q.rotate(Vec3d::i()), Vec3d{2.220446049250313e-16, 1, 0}));
    EXPECT_FALSE(Quat::from_axis_angle({0, 0, 2}, AngleRadians::half_pi()).is_unit());
    EXPECT_EQ(Quat::from_axis_angle({0, 0, 2}, AngleRadians::half_pi()).k, -1.414213562373095);
}

TEST(Quat, ZeroAngleGivesNegativeZeroVectorPart) {
    EXPECT_TRUE(same_bits(Quat::from_axis_angle({1, 2, 3}, AngleRadians::zero()),
                          Quat{1.0, -0.0, -0.0, -0.0}));
}

TEST(Quat, HamiltonProductBitExactAndNonCommutative) {
    const Quat a{0.3, -1.7, 2.9, 0.01};
    const Quat b{-4.4, 0.25, 1.0 / 3.0, 7.5};
    EXPECT_TRUE(same_bits(a * b, Bits4{0xbffefc962fc962fc, 0x403d4d3a06d3a06d, 0x3fb7ae147ae14780,
                                       0x3fed4237fa89e60f}));
    EXPECT_TRUE(same_bits(b * a, Bits4{0xbffefc962fc962fc, 0xc02c622222222222, 0xc03969999999999a,
                                       0x400bfb38a94d242e}));
}

TEST(Quat, NonUnitQuaternion) {
    const Quat q{0.3, -1.7, 2.9, 0.01};
    EXPECT_EQ(bits(q.magnitude()), 0x400affd738b91c53u);
    EXPECT_TRUE(same_bits(q.normalize(), Bits4{0x3fb6c18e7529e955, 0xbfe01e6f92fdaff2,
                                               0x3feb7f36cd92a49c, 0x3f6845ed49c64e39}));
    EXPECT_TRUE(same_bits(q.rotate(kProbe),
                          Bits3{0x402964467381d7da, 0xc03c248ce703afb6, 0xc0208c3fe5c91d14}));
    // |q|^2 scaling: (2, 0, 0, 0) maps (1, 2, 3) to (4, 8, 12); zero maps to zero.
    EXPECT_TRUE(same_bits(Quat{2, 0, 0, 0}.rotate({1, 2, 3}), Vec3d{4, 8, 12}));
    EXPECT_TRUE(same_bits(Quat{0, 0, 0, 0}.rotate({1, 2, 3}), Vec3d{0, 0, 0}));
}

TEST(Quat, RotateEvaluatesEveryTerm) {
    EXPECT_TRUE(same_bits(Quat::identity().rotate({1, 2, 3}), Vec3d{1, 2, 3}));
    // The products with the zero scalar part of (0, v) decide the signs of zero results.
    EXPECT_TRUE(same_bits(Quat{0, -0.0, 0, -0.0}.rotate({-0.0, 0, 0}), Vec3d{0, 0, 0}));
    const Vec3d r = Quat::identity().rotate({inf, 0, 0});
    EXPECT_TRUE(std::isnan(r.x) && std::isnan(r.y) && std::isnan(r.z));
}

struct ToAxisAngleCase {
    Quat q;
    Vec3d axis;  // compared by bits; NaN components compared as NaN
    double angle;
};

void PrintTo(const ToAxisAngleCase& c, std::ostream* os) {
    *os << to_string(c.q);
}

class ToAxisAngleTest : public ::testing::TestWithParam<ToAxisAngleCase> {};

bool same_or_both_nan(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || bits(a) == bits(b);
}

TEST_P(ToAxisAngleTest, IdentityToleranceAndDegenerateCases) {
    const ToAxisAngleCase& c = GetParam();
    const auto [axis, angle] = c.q.to_axis_angle();
    EXPECT_TRUE(same_or_both_nan(axis.x, c.axis.x) && same_or_both_nan(axis.y, c.axis.y) &&
                same_or_both_nan(axis.z, c.axis.z))
        << to_string(axis);
    EXPECT_TRUE(same_or_both_nan(angle.angle, c.angle)) << to_string(angle);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ToAxisAngleTest,
    ::testing::Values(ToAxisAngleCase{Quat::identity(), {1, 0, 0}, 0.0},
                      ToAxisAngleCase{{1, 0.5, 0, 0}, {1, 0, 0}, 0.0},
                      ToAxisAngleCase{{0.9999999999999999, 0, 0, 0}, {1, 0, 0}, 0.0},
                      ToAxisAngleCase{{1.0000000000000002, 0, 0, 0}, {nan, nan, nan}, nan},
                      ToAxisAngleCase{{0, 0, 0, 0}, {0, 0, 0}, AngleRadians::pi().angle},
                      ToAxisAngleCase{{-1, 0, 0, 0}, {0, 0, 0}, 6.283185307179586},
                      ToAxisAngleCase{{0.25, 0.5, -0.5, 0.1},
                                      {from_bits(0x3fe08654a2d4f6da), from_bits(0xbfe08654a2d4f6da),
                                       from_bits(0x3fba70876aee57c4)},
                                      from_bits(0x40051700e0c14b25)}));

TEST(Quat, MagnitudeAndNormalize) {
    EXPECT_EQ((Quat{0.5, 0.5, 0.5, 0.5}.magnitude()), 1.0);
    EXPECT_TRUE((Quat{0.5, 0.5, 0.5, 0.5}.is_unit()));
    EXPECT_EQ((Quat{1, 1, 1, 1}.magnitude()), 2.0);
    EXPECT_TRUE(same_bits(Quat{1, 1, 1, 1}.normalize(), Quat{0.5, 0.5, 0.5, 0.5}));
    const Quat zero{0, 0, 0, 0};
    EXPECT_EQ(zero.magnitude(), 0.0);
    EXPECT_FALSE(zero.is_unit());
    const Quat n = zero.normalize();
    EXPECT_TRUE(std::isnan(n.w) && std::isnan(n.i) && std::isnan(n.j) && std::isnan(n.k));
    EXPECT_TRUE((Quat{1.0 - 0x1p-53, 0, 0, 0}.is_unit()));
    EXPECT_FALSE((Quat{1.0 + 0x1p-52, 0, 0, 0}.is_unit()));
}

struct QuatEqualityCase {
    Quat a, b;
    bool equal;
};

void PrintTo(const QuatEqualityCase& c, std::ostream* os) {
    *os << to_string(c.a) << " " << to_string(c.b);
}

class QuatEqualityTest : public ::testing::TestWithParam<QuatEqualityCase> {};

TEST_P(QuatEqualityTest, AbsoluteToleranceStrict) {
    const QuatEqualityCase& c = GetParam();
    EXPECT_EQ(c.a == c.b, c.equal);
    EXPECT_EQ(c.a != c.b, !c.equal);
}

INSTANTIATE_TEST_SUITE_P(
    Values, QuatEqualityTest,
    ::testing::Values(QuatEqualityCase{{1, 0, 0, 0}, {1, 1e-16, 0, 0}, true},
                      QuatEqualityCase{{0, 0, 0, 0}, {0, 2.220446049250313e-16, 0, 0}, false},
                      QuatEqualityCase{{0, 0, 0, 0}, {0, 0, 0, 1e-16}, true},
                      QuatEqualityCase{{0, 0, 0, 0}, {0, 0, 1e-15, 0}, false},
                      QuatEqualityCase{{nan, 0, 0, 0}, {nan, 0, 0, 0}, false},
                      QuatEqualityCase{{0, inf, 0, 0}, {0, inf, 0, 0}, false}));

TEST(Quat, Conversions) {
    EXPECT_TRUE(same_bits(Vec3d{1, -0.0, nan}.to_quat(), Quat{0.0, 1, -0.0, nan}));
    EXPECT_EQ((Quat{1, 2, 3, 4}.to_vec3d()), (std::array<double, 3>{2, 3, 4}));
    EXPECT_TRUE(same_bits(Quat{1, 0, -2, nan}.conjugate(), Quat{1, -0.0, 2, -nan}));
}

TEST(Quat, TextForm) {
    EXPECT_EQ(to_string(Quat::identity()), "Quat(1, 0, 0, 0)");
    EXPECT_EQ(to_string(Quat{0.5, -0.0, nan, -inf}), "Quat(0.5, -0, NaN, -inf)");
}

}  // namespace
}  // namespace tavrel
