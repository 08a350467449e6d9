#include <cmath>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "bits.hpp"
#include "tavrel/tavrel.hpp"

namespace tavrel::geometry {
namespace {

using test::bits;
using test::Bits3;
using test::from_bits;
using test::inf;
using test::nan;
using test::same_bits;

constexpr Vec3d kUp{0, 0, 1};
constexpr Vec3d kDown{0, 0, -1};

bool all_nan(const Vec3d& v) {
    return std::isnan(v.x) && std::isnan(v.y) && std::isnan(v.z);
}

// ---- Plane ----------------------------------------------------------------------------------

TEST(Plane, MakeNormalisesAndNegates) {
    const Plane p = Plane::make({0, 0, 2}, 3.0);
    EXPECT_TRUE(same_bits(p.normal, kUp));
    EXPECT_EQ(p.distance, -3.0);
    EXPECT_TRUE(p.contains_point({5, -1, 3}));
    EXPECT_EQ(p.distance_to_point(Vec3d::zero()), 3.0);
    EXPECT_EQ(bits(Plane::make(kUp, 0.0).distance), bits(-0.0));
    EXPECT_EQ(bits(Plane::make(kUp, from_bits(0x7ff8000000000001)).distance), 0xfff8000000000001u);

    const Plane q = Plane::make({0.3, -1.2, 2.0}, 1.7);
    EXPECT_TRUE(
        same_bits(q.normal, Bits3{0x3fc0544fb152a75d, 0xbfe0544fb152a75d, 0x3feb372f7cdf16f0}));
    EXPECT_EQ(bits(q.distance), 0xbffb333333333333u);
}

TEST(Plane, FromPointAndPoints) {
    EXPECT_EQ(bits(Plane::from_point(kUp, Vec3d::zero()).distance), bits(-0.0));
    EXPECT_EQ(bits(Plane::from_point({0.3, -1.2, 2.0}, {4.5, 0.1, -3.3}).distance),
              0x400244b927fade6fu);

    const Plane ccw = Plane::from_points({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
    EXPECT_TRUE(same_bits(ccw.normal, kUp));
    EXPECT_EQ(bits(ccw.distance), bits(-0.0));
    EXPECT_TRUE(same_bits(Plane::from_points({0, 0, 0}, {0, 1, 0}, {1, 0, 0}).normal, kDown));

    const Plane p = Plane::from_points({1, 2, 3}, {-0.5, 4, 0.25}, {2.2, -1, 1.1});
    EXPECT_TRUE(
        same_bits(p.normal, Bits3{0xbfec2a459e758438, 0xbfdcbfdcd6dbce22, 0x3fc3a23f67068048}));
    EXPECT_EQ(bits(p.distance), 0x3ff5183974063912u);
    EXPECT_EQ(bits(p.distance_to_point({0.7, 0.7, 0.7})), 0x3fdfb1ccbfe99496u);
}

TEST(Plane, CoordinatePlanes) {
    struct Case {
        Plane plane;
        Vec3d normal;
    };
    for (const Case& c : {Case{Plane::xy(), Vec3d::k()}, Case{Plane::xz(), Vec3d::j()},
                          Case{Plane::yz(), Vec3d::i()}}) {
        EXPECT_TRUE(same_bits(c.plane.normal, c.normal));
        EXPECT_EQ(bits(c.plane.distance), bits(-0.0));
    }
    EXPECT_TRUE(Plane::xz().contains_point({4, 0, -7}));
    EXPECT_FALSE(Plane::yz().contains_point({1e-15, 2, 3}));
}

TEST(Plane, ContainmentToleranceIsStrict) {
    const Plane p{kUp, 0.0};
    EXPECT_TRUE(p.contains_point({0, 0, 1e-16}));
    EXPECT_FALSE(p.contains_point({0, 0, 3e-16}));
    EXPECT_FALSE(p.contains_point({0, 0, 0x1p-52}));
    // A stored non-unit normal is used as is.
    EXPECT_EQ((Plane{{0, 0, 2}, 0.0}.distance_to_point(kUp)), 2.0);
}

TEST(Plane, DegenerateInputGivesNaN) {
    const Plane zero = Plane::make(Vec3d::zero(), 1.0);
    EXPECT_TRUE(all_nan(zero.normal));
    EXPECT_FALSE(zero.contains_point(Vec3d::zero()));
    EXPECT_TRUE(std::isnan(zero.distance_to_point(Vec3d::zero())));
    const Plane collinear = Plane::from_points({0, 0, 0}, {1, 1, 1}, {2, 2, 2});
    EXPECT_TRUE(all_nan(collinear.normal));
    EXPECT_TRUE(std::isnan(collinear.distance));
}

// ---- Circle ---------------------------------------------------------------------------------

TEST(Circle, MakeAndArea) {
    const Circle c = Circle::make({1, 2, 3}, -2.0, {0, 0, 5});
    EXPECT_EQ(c.radius, 2.0);
    EXPECT_TRUE(same_bits(c.normal, kUp));
    EXPECT_EQ(c.area(), 12.566370614359172);
    EXPECT_EQ(bits(Circle::make({}, -0.0, kUp).radius), 0u);
    EXPECT_TRUE(std::isnan(Circle::make({}, nan, kUp).radius));
    EXPECT_EQ(bits((Circle{{}, 1.3, kUp}.area())), 0x40153cb6eee291a0u);
}

TEST(Circle, GetPlaneRenormalises) {
    const Plane p = Circle{{0, 0, 4}, 1.0, {0, 0, 2}}.get_plane();
    EXPECT_TRUE(same_bits(p.normal, kUp));
    EXPECT_EQ(p.distance, -4.0);
}

TEST(Circle, NoneIsDegenerateAndUnequalToItself) {
    const Circle none = Circle::none();
    EXPECT_TRUE(same_bits(none.center, Bits3{0, 0, 0}));
    EXPECT_EQ(bits(none.radius), 0u);
    EXPECT_TRUE(all_nan(none.normal));
    EXPECT_TRUE(none.is_degenerate());
    EXPECT_FALSE(none == Circle::none());
    EXPECT_TRUE(none != none);
    EXPECT_FALSE(none.in_same_plane(none));
}

TEST(Circle, IsDegenerateOnlyForZeroRadius) {
    EXPECT_TRUE((Circle{{}, -0.0, kUp}.is_degenerate()));
    EXPECT_FALSE((Circle{{}, 5e-324, kUp}.is_degenerate()));
    EXPECT_FALSE((Circle{{}, nan, kUp}.is_degenerate()));
}

struct CirclePairCase {
    std::string_view name;
    Circle a, b;
    bool expected;
};

void PrintTo(const CirclePairCase& c, std::ostream* os) {
    *os << c.name;
}

std::string case_name(const ::testing::TestParamInfo<CirclePairCase>& info) {
    return std::string(info.param.name);
}

constexpr Circle kUnit{{0, 0, 0}, 1.0, kUp};

class CircleEqualityTest : public ::testing::TestWithParam<CirclePairCase> {};

TEST_P(CircleEqualityTest, CentersRadiiAndParallelNormals) {
    const CirclePairCase& c = GetParam();
    EXPECT_EQ(c.a == c.b, c.expected);
    EXPECT_EQ(c.b == c.a, c.expected);
    EXPECT_EQ(c.a != c.b, !c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CircleEqualityTest,
    ::testing::Values(
        CirclePairCase{"Same", kUnit, kUnit, true},
        CirclePairCase{"ReversedNormal", kUnit, {{0, 0, 0}, 1.0, kDown}, true},
        CirclePairCase{"RadiusNextDouble", kUnit, {{0, 0, 0}, 1.0000000000000002, kUp}, false},
        CirclePairCase{"SignedZeroRadius", {{0, 0, 0}, 0.0, kUp}, {{0, 0, 0}, -0.0, kUp}, true},
        CirclePairCase{"CenterWithinTolerance", kUnit, {{1e-16, 0, 0}, 1.0, kUp}, true},
        CirclePairCase{"CenterBeyondTolerance", kUnit, {{3e-16, 0, 0}, 1.0, kUp}, false},
        CirclePairCase{"TiltedNormal", kUnit, {{0, 0, 0}, 1.0, {0, 1e-15, 1}}, false},
        CirclePairCase{"NaNRadius", {{0, 0, 0}, nan, kUp}, {{0, 0, 0}, nan, kUp}, false}),
    case_name);

class InSamePlaneTest : public ::testing::TestWithParam<CirclePairCase> {};

TEST_P(InSamePlaneTest, ParallelNormalsAndMatchingOffsets) {
    const CirclePairCase& c = GetParam();
    EXPECT_EQ(c.a.in_same_plane(c.b), c.expected);
    EXPECT_EQ(c.b.in_same_plane(c.a), c.expected);
}

// With opposite normals the plane offsets n·c of one plane have opposite signs.
INSTANTIATE_TEST_SUITE_P(
    Cases, InSamePlaneTest,
    ::testing::Values(
        CirclePairCase{"SameNormalSamePlane", {{0, 0, 1}, 1, kUp}, {{5, -3, 1}, 2, kUp}, true},
        CirclePairCase{
            "SameNormalParallelPlanes", {{0, 0, 1}, 1, kUp}, {{0, 0, -1}, 1, kUp}, false},
        CirclePairCase{"OppositeNormalSamePlane", {{0, 0, 1}, 1, kUp}, {{0, 0, 1}, 1, kDown}, true},
        CirclePairCase{
            "OppositeNormalMirroredPlanes", {{0, 0, 1}, 1, kUp}, {{0, 0, -1}, 1, kDown}, false},
        CirclePairCase{
            "OppositeNormalsThroughOrigin", {{1, 0, 0}, 1, kUp}, {{0, 2, 0}, 1, kDown}, true},
        CirclePairCase{"OffsetWithinTolerance", {{0, 0, 0}, 1, kUp}, {{0, 0, 1e-16}, 1, kUp}, true},
        CirclePairCase{
            "OffsetBeyondTolerance", {{0, 0, 0}, 1, kUp}, {{0, 0, 3e-16}, 1, kUp}, false},
        CirclePairCase{"NotParallel", {{0, 0, 0}, 1, kUp}, {{0, 0, 0}, 1, {0, 1, 0}}, false},
        // Stored normals are used as they are: (0, 0, 2) is not parallel to (0, 0, 1) here.
        CirclePairCase{
            "UnnormalisedNormal", {{0, 0, 0}, 1, kUp}, {{0, 0, 0}, 1, {0, 0, 2}}, false}),
    case_name);

// ---- Intersections --------------------------------------------------------------------------

TEST(Intersection, ErrorTexts) {
    static_assert(static_cast<int>(IntersectionError::TooFarApart) == 0);
    static_assert(static_cast<int>(IntersectionError::OutOfPlane) == 3);
    EXPECT_EQ(to_string(IntersectionError::TooFarApart),
              "The given geometries are too far apart and do not intersect at all.");
    EXPECT_EQ(to_string(IntersectionError::Contained),
              "One of the given geometries is contained entirely within the other. The surfaces "
              "do not intersect.");
    EXPECT_EQ(to_string(IntersectionError::Identical), "The given geometries are identical.");
    EXPECT_EQ(to_string(IntersectionError::OutOfPlane),
              "The given geometries are out of plane from each other");
}

TEST(Intersection, PlaneLine) {
    // make() stores -3 for the plane z = 3; the line must meet it there, not at z = -3.
    EXPECT_TRUE(
        same_bits(plane_line(Plane::make({0, 0, 2}, 3.0), {1, 1, 0}, {1, 1, 1}), Vec3d{1, 1, 3}));
    EXPECT_TRUE(same_bits(plane_line(Plane::xy(), {1, 2, 5}, {1, 2, 4}), Vec3d{1, 2, 0}));
    const Plane p = Plane::from_points({1, 2, 3}, {-0.5, 4, 0.25}, {2.2, -1, 1.1});
    EXPECT_TRUE(same_bits(plane_line(p, {0.1, 0.2, 0.3}, {5, -6, 7}),
                          Bits3{0x4027753f646af67a, 0xc02d074afc727156, 0x4030336ca54e5a24}));
}

TEST(Intersection, PlaneLineParallelGivesNonFinite) {
    const Vec3d off = plane_line(Plane::xy(), {0, 0, 1}, {1, 0, 1});
    EXPECT_EQ(off.x, -inf);
    EXPECT_TRUE(std::isnan(off.y));  // 0 + (-inf)·0
    const Vec3d inside = plane_line(Plane::xy(), {0, 0, 0}, {1, 0, 0});
    EXPECT_TRUE(all_nan(inside));
}

struct PointCase {
    std::string_view name;
    Circle circle;
    Vec3d point;
    bool inner;
    // 255 = success, otherwise the IntersectionError value.
    int checked, unchecked;
};

constexpr int kOk = 255;
constexpr int kTooFar = static_cast<int>(IntersectionError::TooFarApart);
constexpr int kContained = static_cast<int>(IntersectionError::Contained);
constexpr int kOutOfPlane = static_cast<int>(IntersectionError::OutOfPlane);

void PrintTo(const PointCase& c, std::ostream* os) {
    *os << c.name;
}

int outcome(const Expected<void, IntersectionError>& r) {
    return r.has_value() ? kOk : static_cast<int>(r.error());
}

class CirclePointTest : public ::testing::TestWithParam<PointCase> {};

TEST_P(CirclePointTest, Outcome) {
    const PointCase& c = GetParam();
    EXPECT_EQ(outcome(circle_point(c.circle, c.point, c.inner)), c.checked);
    EXPECT_EQ(outcome(circle_point_unchecked(c.circle, c.point, c.inner)), c.unchecked);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CirclePointTest,
    ::testing::Values(
        PointCase{"OnCircle", kUnit, {1, 0, 0}, false, kOk, kOk},
        PointCase{"OnCircleDiagonal", kUnit, {0.6, 0.8, 0}, false, kOk, kOk},
        PointCase{"InsideInner", kUnit, {0.5, 0, 0}, true, kOk, kOk},
        PointCase{"InsideNotInner", kUnit, {0.5, 0, 0}, false, kContained, kContained},
        PointCase{"CenterInner", kUnit, {0, 0, 0}, true, kOk, kOk},
        PointCase{"Outside", kUnit, {2, 0, 0}, true, kTooFar, kTooFar},
        PointCase{"SlightlyOffPlane", kUnit, {1, 0, 1e-15}, true, kOutOfPlane, kOk},
        PointCase{"OnAxis", {{0, 0, 0}, 5, kUp}, {0, 0, 5}, false, kOutOfPlane, kOk},
        // radius - distance is exactly epsilon: neither on the circle nor strictly inside.
        PointCase{"OffsetExactlyEpsilon",
                  {{0, 0, 0}, 1.0000000000000002, kUp},
                  {1, 0, 0},
                  true,
                  kTooFar,
                  kTooFar},
        PointCase{"NaNRadius", {{0, 0, 0}, nan, kUp}, {1, 0, 0}, true, kTooFar, kTooFar},
        PointCase{"NaNNormal", Circle::none(), {0, 0, 0}, true, kOutOfPlane, kOk}),
    [](const ::testing::TestParamInfo<PointCase>& info) { return std::string(info.param.name); });

struct CircleCircleCase {
    std::string_view name;
    Circle a, b;
    Bits3 first, second;
};

void PrintTo(const CircleCircleCase& c, std::ostream* os) {
    *os << c.name;
}

class CircleCircleTest : public ::testing::TestWithParam<CircleCircleCase> {};

TEST_P(CircleCircleTest, Points) {
    const CircleCircleCase& c = GetParam();
    const auto result = circle_circle(c.a, c.b);
    ASSERT_TRUE(result.has_value()) << to_string(result.error());
    EXPECT_TRUE(same_bits(result->first, c.first));
    EXPECT_TRUE(same_bits(result->second, c.second));
}

constexpr std::uint64_t kHalfSqrt3 = 0x3febb67ae8584caa;  // 0.8660254037844386
constexpr std::uint64_t kNegHalfSqrt3 = 0xbfebb67ae8584caa;
constexpr std::uint64_t kOne = 0x3ff0000000000000;
constexpr std::uint64_t kTwo = 0x4000000000000000;
constexpr std::uint64_t kHalf = 0x3fe0000000000000;
constexpr std::uint64_t kThree = 0x4008000000000000;
constexpr std::uint64_t kNegThree = 0xc008000000000000;

const Vec3d kTilt = Vec3d{1, 2, 2}.normalize();
// These radii put the circles at touching distance, where h² rounds to a tiny negative number.
constexpr double kTouchR1 = 3.3059443718483075;
constexpr double kTouchR2 = 1.5934068218525692;
constexpr double kTouchD = 4.899351193700877;

INSTANTIATE_TEST_SUITE_P(
    Cases, CircleCircleTest,
    ::testing::Values(
        CircleCircleCase{"UnitPair",
                         kUnit,
                         {{1, 0, 0}, 1, kUp},
                         {kHalf, kNegHalfSqrt3, 0},
                         {kHalf, kHalfSqrt3, 0}},
        CircleCircleCase{"SecondNormalReversedSwaps",
                         kUnit,
                         {{1, 0, 0}, 1, kDown},
                         {kHalf, kHalfSqrt3, 0},
                         {kHalf, kNegHalfSqrt3, 0}},
        CircleCircleCase{"ThreeFour",
                         {{0, 0, 0}, 3, kUp},
                         {{4, 0, 0}, 5, kUp},
                         {0, kNegThree, 0},
                         {0, kThree, 0}},
        CircleCircleCase{
            "ExternallyTangent", kUnit, {{2, 0, 0}, 1, kUp}, {kOne, 0, 0}, {kOne, 0, 0}},
        CircleCircleCase{"InternallyTangent",
                         {{0, 0, 0}, 2, kUp},
                         {{1, 0, 0}, 1, kUp},
                         {kTwo, 0, 0},
                         {kTwo, 0, 0}},
        CircleCircleCase{"TangentWithNegativeRoundoff",
                         {{0, 0, 0}, kTouchR1, kUp},
                         {{kTouchD, 0, 0}, kTouchR2, kUp},
                         {0x400a7292f67bdeb6, 0, 0},
                         {0x400a7292f67bdeb6, 0, 0}},
        CircleCircleCase{"Tilted",
                         {{0.5, -0.25, 0}, 0.9, kTilt},
                         {{1.5, -0.75, 0}, 0.7, kTilt},
                         {0x3feeb9676e2b71b6, 0xbfeccaa1c78026d4, 0x3fdadbdc20d4dbf1},
                         {0x3ff4bbdfbda6b1a5, 0xbfcd37c6b4f10eb2, 0xbfdadbdc20d4dbf1}}),
    [](const ::testing::TestParamInfo<CircleCircleCase>& info) {
        return std::string(info.param.name);
    });

struct CircleCircleErrorCase {
    std::string_view name;
    Circle a, b;
    IntersectionError error;
};

void PrintTo(const CircleCircleErrorCase& c, std::ostream* os) {
    *os << c.name;
}

class CircleCircleErrorTest : public ::testing::TestWithParam<CircleCircleErrorCase> {};

TEST_P(CircleCircleErrorTest, Error) {
    const CircleCircleErrorCase& c = GetParam();
    const auto result = circle_circle(c.a, c.b);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error(), c.error) << to_string(result.error());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CircleCircleErrorTest,
    ::testing::Values(
        CircleCircleErrorCase{"Identical", kUnit, kUnit, IntersectionError::Identical},
        CircleCircleErrorCase{
            "IdenticalReversed", kUnit, {{0, 0, 0}, 1, kDown}, IntersectionError::Identical},
        CircleCircleErrorCase{
            "TooFarApart", kUnit, {{3, 0, 0}, 1, kUp}, IntersectionError::TooFarApart},
        CircleCircleErrorCase{
            "Contained", {{0, 0, 0}, 2, kUp}, {{0.5, 0, 0}, 1, kUp}, IntersectionError::Contained},
        CircleCircleErrorCase{
            "Concentric", {{0, 0, 0}, 2, kUp}, {{0, 0, 0}, 1, kUp}, IntersectionError::Contained},
        CircleCircleErrorCase{
            "ParallelPlanes", kUnit, {{0, 0, 1}, 1, kUp}, IntersectionError::OutOfPlane},
        CircleCircleErrorCase{
            "NotParallel", kUnit, {{0.5, 0, 0}, 1, {0, 1, 0}}, IntersectionError::OutOfPlane},
        CircleCircleErrorCase{"NoneCircle", kUnit, Circle::none(), IntersectionError::OutOfPlane}),
    [](const ::testing::TestParamInfo<CircleCircleErrorCase>& info) {
        return std::string(info.param.name);
    });

TEST(Intersection, CircleCircleOppositeNormalsInOnePlane) {
    // Coplanar through the mended test although the normals point opposite ways.
    const auto result = circle_circle({{0, 0, 1}, 1, kUp}, {{1, 0, 1}, 1, kDown});
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(same_bits(result->first, Bits3{kHalf, kHalfSqrt3, kOne}));
}

TEST(Intersection, CircleCircleNaNRadiusGivesNaNPoints) {
    const auto result = circle_circle(kUnit, {{1, 0, 0}, nan, kUp});
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(all_nan(result->first));
    EXPECT_TRUE(all_nan(result->second));
}

TEST(Expected, ValueAndErrorAccess) {
    Expected<int, IntersectionError> ok = 7;
    Expected<int, IntersectionError> bad = unexpected(IntersectionError::Contained);
    EXPECT_TRUE(ok && ok.has_value());
    EXPECT_EQ(*ok, 7);
    EXPECT_EQ(ok.value(), 7);
    EXPECT_FALSE(bad);
    EXPECT_EQ(bad.error(), IntersectionError::Contained);
    EXPECT_EQ(bad.value_or(3), 3);
    EXPECT_ANY_THROW((void)bad.value());
    Expected<void, IntersectionError> done;
    EXPECT_TRUE(done.has_value());
    EXPECT_NO_THROW(done.value());
}

}  // namespace
}  // namespace tavrel::geometry
