#include "bulk.hpp"

#include <cmath>
#include <compare>
#include <cstddef>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bits.hpp"

namespace lorvik::bulk {
namespace {

using tavrel::test::bits;
using tavrel::test::inf;
using tavrel::test::nan;
using tavrel::test::same_bits;

// Long enough for several chunks on any pool, and not a multiple of the
// block the maps cut at.
constexpr std::size_t many = 3 * 8192 + 7;

std::vector<Vec3d> mixed(std::size_t n, unsigned seed) {
    std::mt19937_64 random(seed);
    const double specials[] = {0.0, -0.0, 1.0, -1.0, inf, -inf, nan, -nan, 1e300, 0x1p-1074};
    std::uniform_real_distribution<double> uniform(-10.0, 10.0);
    auto component = [&] { return random() % 16 == 0 ? specials[random() % 10] : uniform(random); };
    std::vector<Vec3d> elements(n);
    for (Vec3d& e : elements) {
        e = {component(), component(), component()};
    }
    return elements;
}

// The search written out plainly: the same two passes, ranked by the IEEE
// total order of the squared distance.
std::optional<Nearest> scalar_nearest(const std::vector<Vec3d>& elements, const Vec3d& other,
                                      std::size_t stride) {
    auto best_of = [&](std::size_t first, std::size_t end, std::size_t step) {
        std::size_t best = first;
        for (std::size_t i = first + step; i < end; i += step) {
            if (std::strong_order(elements[i].distance_squared(other),
                                  elements[best].distance_squared(other)) < 0) {
                best = i;
            }
        }
        return best;
    };
    const std::size_t n = elements.size();
    if (n == 0) {
        return std::nullopt;
    }
    const std::size_t sample = best_of(0, n, stride);
    const std::size_t start = sample >= stride ? sample - stride : 0;
    const std::size_t found = best_of(start, std::min(n, sample + stride), 1);
    return Nearest{found, std::sqrt(elements[found].distance_squared(other))};
}

TEST(MinimumDistanceTo, IsTheScalarSearchWithNanInfinitiesAndTies) {
    for (const unsigned seed : {1u, 2u, 3u}) {
        const std::vector<Vec3d> elements = mixed(many, seed);
        for (const Vec3d& other : {Vec3d{0.5, -2.0, 3.0}, Vec3d{nan, 0.0, 0.0}, Vec3d{inf, 1, 1}}) {
            for (const std::size_t stride : {std::size_t{1}, std::size_t{7}, std::size_t{5000}}) {
                const auto found = minimum_distance_to(elements, other, stride);
                const auto expected = scalar_nearest(elements, other, stride);
                ASSERT_TRUE(found && expected);
                EXPECT_EQ(found->index, expected->index)
                    << "seed " << seed << ", stride " << stride;
                EXPECT_EQ(bits(found->distance), bits(expected->distance));
            }
        }
    }
}

TEST(MinimumDistanceTo, TiesGoToTheLowestIndexAcrossChunks) {
    std::vector<Vec3d> elements(many, Vec3d{5, 5, 5});
    elements[many - 3] = elements[many / 2] = elements[9000] = Vec3d{1, 0, 0};
    EXPECT_EQ(minimum_distance_to(elements, Vec3d{}, 1)->index, 9000u);
    EXPECT_EQ(minimum_distance_to(std::vector<Vec3d>(many, Vec3d{1, 2, 3}), Vec3d{}, 3)->index, 0u);
}

TEST(MinimumDistanceTo, SearchesOnlyTheWindowAroundTheBestSample) {
    // Samples at 0, 10, 20: the best is 20, so the window is [10, 30) and the
    // nearer element 5 is never looked at.
    std::vector<Vec3d> elements(25, Vec3d{9, 9, 9});
    elements[5] = Vec3d{0, 0, 0};
    elements[20] = Vec3d{2, 0, 0};
    elements[23] = Vec3d{1, 0, 0};
    EXPECT_EQ(minimum_distance_to(elements, Vec3d{}, 10)->index, 23u);
    EXPECT_FALSE(minimum_distance_to(std::vector<Vec3d>{}, Vec3d{}, 1));
}

// The scalar result's bits, except that where two NaNs meet in a formula any
// NaN will do: which one an operation passes on is left open by IEEE 754, and
// this test's scalar code is compiled apart from the kernels, maybe with the
// operands of an addition the other way round. (Within the module, bulk and
// scalar results agree to the bit; the Python tests check that.)
::testing::AssertionResult alike(double got, double expected) {
    if (bits(got) == bits(expected) || (std::isnan(got) && std::isnan(expected))) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << got << " instead of " << expected;
}

::testing::AssertionResult alike(const Vec3d& got, const Vec3d& expected) {
    for (const auto part : {&Vec3d::x, &Vec3d::y, &Vec3d::z}) {
        if (!alike(got.*part, expected.*part)) {
            return ::testing::AssertionFailure()
                   << to_string(got) << " instead of " << to_string(expected);
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(Maps, GiveTheScalarResultOfEveryElement) {
    std::vector<Vec3d> elements = mixed(many, 4);
    const Vec3d o{0.3, -7.0, 2.5};
    const Quat q{0.9, 0.1, -0.3, 0.2};
    const Array<double> dots = dot(elements, o);
    const Array<Vec3d> crossed = cross(elements, o);
    const Array<Vec3d> normals = normalize(elements);
    const Array<Vec3d> scaled = scale_reflected(elements, -1.5);
    const Array<Vec3d> collapsed = collapse(elements, 1);
    const Array<unsigned char> units = is_unit(elements);
    const std::vector<Vec3d> before = elements;
    rotate(elements, q);
    for (std::size_t i = 0; i < many; ++i) {
        const Vec3d& e = before[i];
        ASSERT_TRUE(alike(dots[i], e.dot(o))) << i;
        ASSERT_TRUE(alike(crossed[i], e.cross(o))) << i;
        ASSERT_TRUE(alike(normals[i], e.normalize())) << i;
        ASSERT_TRUE(same_bits(scaled[i], -1.5 * e)) << i;
        ASSERT_TRUE(same_bits(collapsed[i], Vec3d{e.x, 0.0, e.z})) << i;
        ASSERT_EQ(units[i], e.is_unit() ? 1 : 0) << i;
        ASSERT_TRUE(alike(elements[i], q.rotate(e))) << i;
    }
}

TEST(Texts, JoinedAreTheElementTextsInOrder) {
    const std::vector<Vec3d> elements = mixed(1000, 5);
    auto join = [](const auto& pieces, auto text_of) {
        std::string joined;
        for (const auto& piece : pieces) {
            if (&piece != &pieces.front()) {
                joined += '\n';
            }
            joined += text_of(piece);
        }
        return joined;
    };
    EXPECT_EQ(join(texts(elements), [](const std::string& block) { return block; }),
              join(elements, [](const Vec3d& e) { return to_string(e); }));
    EXPECT_TRUE(texts(std::vector<Vec3d>{}).empty());
}

}  // namespace
}  // namespace lorvik::bulk
