#include "tavrel/vec3d.hpp"

#include <cmath>
#include <stdexcept>
#include <string>
#include <type_traits>

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

static_assert(Vec3d(1, 2, 3).z == 3.0, "Vec3d(x, y, z) works on every compiler");
static_assert(Vec3d::i().cross(Vec3d::j()).z == 1.0, "cross product is usable at compile time");

// Inputs chosen so that a different association or a reciprocal multiplication changes the
// last bits; reference_values.py checks that for each formula.
constexpr Vec3d A{0.1, 0.7, -0.3};
constexpr Vec3d B{1e16, 3.3, -9999999999999998.0};
constexpr Vec3d C{-2.5, 1.0 / 3.0, 0.2};
constexpr Vec3d D{4.1, -7.3, 0.9};
constexpr Vec3d E{0.001, 2e8, 1.0000000000000002};
constexpr Vec3d F{1.0, 0x1p-53, 0x1p-53};
constexpr Vec3d G{1.0, 1.0, 1.0};

struct PairCase {
    Vec3d a, b;
    std::uint64_t dot;
    Bits3 cross;
    Bits3 project_onto_plane;
};

void PrintTo(const PairCase& c, std::ostream* os) {
    *os << to_string(c.a) << " " << to_string(c.b);
}

class PairFormulaTest : public ::testing::TestWithParam<PairCase> {};

TEST_P(PairFormulaTest, BitExact) {
    const PairCase& c = GetParam();
    EXPECT_EQ(bits(c.a.dot(c.b)), c.dot);
    EXPECT_TRUE(same_bits(c.a.cross(c.b), c.cross));
    EXPECT_TRUE(same_bits(c.a.project_onto_plane(c.b), c.project_onto_plane));
}

INSTANTIATE_TEST_SUITE_P(
    Reference, PairFormulaTest,
    ::testing::Values(
        PairCase{A,
                 B,
                 0x432c6bf526340004,
                 {0xc338de76816d7ffd, 0xc31c6bf526340000, 0xc338de76816d8000},
                 {0xc67f8def8808b029, 0xc34772aa3f848003, 0x467f8def8808b027}},
        // (1 + 2^-53) + 2^-53 rounds to 1 twice; the other association would give 1 + 2^-52.
        PairCase{F,
                 G,
                 0x3ff0000000000000,
                 {0x0000000000000000, 0xbfefffffffffffff, 0x3fefffffffffffff},
                 {0x0000000000000000, 0xbfefffffffffffff, 0xbfefffffffffffff}}));

struct NormCase {
    Vec3d v;
    std::uint64_t magnitude;
    Bits3 normalized;
};

void PrintTo(const NormCase& c, std::ostream* os) {
    *os << to_string(c.v);
}

class NormTest : public ::testing::TestWithParam<NormCase> {};

TEST_P(NormTest, BitExact) {
    const NormCase& c = GetParam();
    EXPECT_EQ(bits(c.v.magnitude()), c.magnitude);
    EXPECT_TRUE(same_bits(c.v.normalize(), c.normalized));
}

INSTANTIATE_TEST_SUITE_P(
    Reference, NormTest,
    ::testing::Values(NormCase{A,
                               0x3fe8946504494be3,
                               {0x3fc0aa07bd7b7488, 0x3fed298d8b980bee, 0xbfd8ff0b9c392ecc}},
                      NormCase{E,
                               0x41a7d78400000000,
                               {0x3d95fd7fe1796496, 0x3ff0000000000000, 0x3e35798ee2308c3b}}));

struct TripleCase {
    Vec3d p, a, b;
    std::uint64_t distance_to_line;
    Bits3 project_onto_line;
    std::uint64_t scalar_triple_product;
};

void PrintTo(const TripleCase& c, std::ostream* os) {
    *os << to_string(c.p) << " " << to_string(c.a) << " " << to_string(c.b);
}

class TripleFormulaTest : public ::testing::TestWithParam<TripleCase> {};

TEST_P(TripleFormulaTest, BitExact) {
    const TripleCase& c = GetParam();
    EXPECT_EQ(bits(c.p.distance_to_line(c.a, c.b)), c.distance_to_line);
    EXPECT_TRUE(same_bits(c.p.project_onto_line(c.a, c.b), c.project_onto_line));
    EXPECT_EQ(bits(c.p.scalar_triple_product(c.a, c.b)), c.scalar_triple_product);
}

INSTANTIATE_TEST_SUITE_P(
    Reference, TripleFormulaTest,
    ::testing::Values(TripleCase{A,
                                 B,
                                 C,
                                 0x400138e29db0456d,
                                 {0xbfee66666666665e, 0x3fd555555555555d, 0xbff599999999999b},
                                 0x434b6a4477844aa8},
                      TripleCase{C,
                                 D,
                                 E,
                                 0x401a8c4e3fcfac13,
                                 {0x401066665be6b14a, 0x3fd55555e0000000, 0x3fecccccced95bd2},
                                 0x41c24c72c8714abd}));

TEST(Vec3d, Constructors) {
    EXPECT_TRUE(same_bits(Vec3d::zero(), Bits3{0, 0, 0}));
    EXPECT_TRUE(same_bits(Vec3d::i().cross(Vec3d::j()), Vec3d::k()));
    EXPECT_TRUE(same_bits(Vec3d::new_from_to({1, 2, 3}, {5, 0, -3}), Vec3d{4, -2, -6}));
}

TEST(Vec3d, IndexAndArray) {
    constexpr Vec3d v{1, 2, 3};
    EXPECT_EQ(v[0], 1.0);
    EXPECT_EQ(v[1], 2.0);
    EXPECT_EQ(v[2], 3.0);
    EXPECT_EQ(v.to_array(), (std::array<double, 3>{1, 2, 3}));
    try {
        (void)v[3];
        FAIL() << "index 3 must fault";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "Index out of bounds");
    }
}

TEST(Vec3d, NegationFlipsOnlyTheSignBit) {
    const Vec3d n = -Vec3d{0.0, from_bits(0x7ff8000000000123), -2.0};
    EXPECT_TRUE(same_bits(n, Bits3{0x8000000000000000, 0xfff8000000000123, bits(2.0)}));
    EXPECT_EQ(to_string(-Vec3d::zero()), "Vec3d(-0, -0, -0)");
}

TEST(Vec3d, ScalarArithmeticFollowsIeee) {
    const Vec3d v{1.0, -2.0, 0.0};
    EXPECT_TRUE(same_bits(2.0 * v, v * 2.0));
    const Vec3d q = v / 0.0;
    EXPECT_EQ(q.x, inf);
    EXPECT_EQ(q.y, -inf);
    EXPECT_TRUE(std::isnan(q.z));
    EXPECT_TRUE(same_bits(v + Vec3d{0.5, 0.5, -0.0} - Vec3d{1, 1, 1}, Vec3d{0.5, -2.5, -1.0}));
}

TEST(Vec3d, DegenerateInputsGiveNaN) {
    EXPECT_EQ(Vec3d::zero().magnitude(), 0.0);
    const Vec3d n = Vec3d::zero().normalize();
    EXPECT_TRUE(std::isnan(n.x) && std::isnan(n.y) && std::isnan(n.z));
    EXPECT_TRUE(std::isnan(Vec3d{inf, 0, 0}.normalize().x));
    EXPECT_TRUE(std::isnan(Vec3d{0, 1, 0}.distance_to_line({1, 1, 1}, {1, 1, 1})));
    EXPECT_TRUE(std::isnan(Vec3d{0, 1, 0}.project_onto_line({1, 1, 1}, {1, 1, 1}).y));
}

struct UnitCase {
    Vec3d v;
    bool unit;
};

void PrintTo(const UnitCase& c, std::ostream* os) {
    *os << to_string(c.v);
}

class IsUnitTest : public ::testing::TestWithParam<UnitCase> {};

TEST_P(IsUnitTest, StrictToleranceAroundOne) {
    EXPECT_EQ(GetParam().v.is_unit(), GetParam().unit) << to_string(GetParam().v);
}

INSTANTIATE_TEST_SUITE_P(Values, IsUnitTest,
                         ::testing::Values(UnitCase{{1.0, 0, 0}, true},
                                           UnitCase{{1.0 - 0x1p-53, 0, 0}, true},
                                           UnitCase{{1.0 - 0x1p-52, 0, 0}, false},
                                           UnitCase{{1.0 + 0x1p-52, 0, 0}, false},
                                           UnitCase{{nan, 0, 0}, false},
                                           UnitCase{Vec3d{42, 31, 7}.normalize(), false},
                                           UnitCase{Vec3d{1, 2, 2}.normalize(), true},
                                           UnitCase{Vec3d{3, 4, 0}.normalize(), true}));

struct EqualityCase {
    Vec3d a, b;
    bool equal;
};

void PrintTo(const EqualityCase& c, std::ostream* os) {
    *os << to_string(c.a) << " " << to_string(c.b);
}

class EqualityTest : public ::testing::TestWithParam<EqualityCase> {};

TEST_P(EqualityTest, AbsoluteToleranceStrict) {
    const EqualityCase& c = GetParam();
    EXPECT_EQ(c.a == c.b, c.equal);
    EXPECT_EQ(c.b == c.a, c.equal);
    EXPECT_EQ(c.a != c.b, !c.equal);
}

INSTANTIATE_TEST_SUITE_P(
    Values, EqualityTest,
    ::testing::Values(EqualityCase{{0, 0, 1e-16}, {0, 0, 2e-16}, true},
                      EqualityCase{{0, 0, 0}, {0, 0, 3e-16}, false},
                      EqualityCase{{0, 0, 0}, {0, 0, 0x1p-52}, false},  // difference == epsilon
                      EqualityCase{{3, 0, 0}, {3.0000000000000004, 0, 0}, false},
                      EqualityCase{{0, 0, 1e-17}, {0, 0, -1e-17}, true},
                      EqualityCase{{0, 0, 0}, {-0.0, -0.0, -0.0}, true},
                      EqualityCase{{nan, 0, 0}, {nan, 0, 0}, false},
                      EqualityCase{{inf, 0, 0}, {inf, 0, 0}, false}));

TEST(Vec3d, HashMatchesReference) {
    EXPECT_EQ(Vec3d::zero().hash(), 0xf9003207cf9e4d4cu);
    EXPECT_EQ((Vec3d{1, 2, 3}.hash()), 0x30bb88a98fce01c1u);
    EXPECT_EQ((Vec3d{nan, 0.5, -inf}.hash()), 0x4acb0cff8ee6044au);
    EXPECT_EQ((Vec3d{1e-300, -2.5, 7.0}.hash()), 0x1282f8dbe0c8de4bu);
}

TEST(Vec3d, HashCanonicalisesZerosAndNaNs) {
    EXPECT_EQ((Vec3d{-0.0, -0.0, -0.0}.hash()), Vec3d::zero().hash());
    const double other_nan = from_bits(0xfff0000000000abc);
    EXPECT_EQ((Vec3d{1, other_nan, 2}.hash()), (Vec3d{1, nan, 2}.hash()));
    // Exact, unlike equality: the next double above 1 hashes differently.
    EXPECT_NE((Vec3d{1, 0, 0}.hash()), (Vec3d{1.0000000000000002, 0, 0}.hash()));
}

TEST(Vec3d, GeometryExamples) {
    EXPECT_EQ((Vec3d::i().scalar_triple_product(Vec3d::j(), Vec3d::k())), 1.0);
    EXPECT_EQ((Vec3d{0, 1, 0}.distance_to_line({0, 0, 0}, {1, 0, 0})), 1.0);
    EXPECT_EQ((Vec3d{0, 1, 0}.distance_to_line({5, 0, 0}, {6, 0, 0})), 1.0);
    EXPECT_TRUE(same_bits(Vec3d{1, 1, 0}.project_onto_line({2, 0, 0}, {0, 0, 0}), Vec3d{1, 0, 0}));
    EXPECT_TRUE(same_bits(Vec3d{1, 1, 1}.project_onto_plane({0, 0, 2}), Vec3d{1, 1, -3}));
    EXPECT_TRUE(same_bits(Vec3d{1, 2, 3}.project_onto_plane(Vec3d::zero()), Vec3d{1, 2, 3}));
    EXPECT_EQ((Vec3d{1, 2, 3}.distance_to({4, 6, 3})), 5.0);
    EXPECT_EQ((Vec3d{1, 2, 3}.distance_squared({4, 6, 3})), 25.0);
}

TEST(Vec3d, TextForm) {
    EXPECT_EQ(to_string(Vec3d{1, 2, 3}), "Vec3d(1, 2, 3)");
    EXPECT_EQ(to_string(Vec3d{0.5, -0.0, nan}), "Vec3d(0.5, -0, NaN)");
    std::string out = "[";
    append_repr(out, Vec3d{1e21, -inf, 1e-7});
    EXPECT_EQ(out, "[Vec3d(1000000000000000000000, -inf, 0.0000001)");
}

TEST(Vec3d, DistanceSquaredKeepsTheFirstNaNItMeets) {
    const double negative_nan = from_bits(0xfff8000000000000ULL);
    const double signalling = from_bits(0xfff0000000000001ULL);
    const Vec3d origin{0, 0, 0};
    // The first NaN difference decides, whatever the compiler did with the sums.
    EXPECT_EQ(bits(Vec3d(negative_nan, nan, nan).distance_squared(origin)), 0xfff8000000000000ULL);
    EXPECT_EQ(bits(Vec3d(nan, negative_nan, 0).distance_squared(origin)), 0x7ff8000000000000ULL);
    EXPECT_EQ(bits(Vec3d(1, signalling, nan).distance_squared(origin)), 0xfff8000000000001ULL);
    // Within one difference the left operand wins; inf - inf makes the machine's default NaN.
    EXPECT_EQ(bits(Vec3d(1, 2, nan).distance_squared({3, 4, negative_nan})), 0x7ff8000000000000ULL);
    const double run_time_inf = test::opaque(inf);
    EXPECT_EQ(bits(Vec3d(run_time_inf, nan, 0).distance_squared({run_time_inf, 0, 0})),
              bits(run_time_inf - run_time_inf));
}

}  // namespace
}  // namespace tavrel
