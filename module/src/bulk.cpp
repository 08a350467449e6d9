#include "bulk.hpp"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>

#include "pool.hpp"

namespace lorvik::bulk {
namespace {

// Smallest chunk handed to another thread, in elements: 2 to 5 µs of work.
// Waking a worker costs a few microseconds; measured on 2 cores, splitting a
// list of twice these sizes already beats the calling thread alone. (The
// grain only moves the cuts, never a result.)
constexpr std::size_t light_grain = 8192;   // a few additions and products: 0.6 ns each
constexpr std::size_t medium_grain = 2048;  // divisions, a square root, rotate: 1 ns
constexpr std::size_t heavy_grain = 1024;   // a square root and three divisions: 1.5 ns

// result[i] = f(elements[i]) on the pool.
template <class T, class F>
Array<T> map(Elements elements, std::size_t grain, F f) {
    Array<T> result;
    result.resize(elements.size());
    const Vec3d* data = elements.data();
    pool::map_into(std::span<T>(result), grain,
                   [data, f](std::size_t i) noexcept { return f(data[i]); });
    return result;
}

template <std::size_t Axis>
Array<Vec3d> collapse_axis(Elements elements) {
    return map<Vec3d>(elements, light_grain, [](Vec3d e) noexcept {
        if constexpr (Axis == 0) {
            e.x = 0.0;
        } else if constexpr (Axis == 1) {
            e.y = 0.0;
        } else {
            e.z = 0.0;
        }
        return e;
    });
}

// The IEEE 754 total order as a signed integer order: negative patterns have
// their magnitude bits inverted, so -NaN < -inf < ... < -0 < +0 < ... < +inf
// < +NaN.
constexpr std::int64_t total_order_key(double value) noexcept {
    const auto bits = std::bit_cast<std::int64_t>(value);
    return bits ^ static_cast<std::int64_t>(static_cast<std::uint64_t>(bits >> 63) >> 1);
}

struct Candidate {
    std::size_t index;
    std::int64_t key;
    double squared;
};

// The first of `count` elements first, first + step, ... with the smallest
// key (the lowest index among equal keys).
std::optional<Candidate> nearest(Elements elements, const Vec3d& other, std::size_t first,
                                 std::size_t step, std::size_t count) {
    const Vec3d* data = elements.data();
    return pool::reduce<Candidate>(
        count, light_grain,
        [&](std::size_t j) noexcept {
            const std::size_t index = first + j * step;
            const double squared = data[index].distance_squared(other);
            return Candidate{index, total_order_key(squared), squared};
        },
        [](const Candidate& a, const Candidate& b) noexcept { return a.key < b.key; });
}

}  // namespace

Array<double> dot(Elements elements, const Vec3d& other) {
    return map<double>(elements, light_grain,
                       [o = other](const Vec3d& e) noexcept { return e.dot(o); });
}

Array<Vec3d> cross(Elements elements, const Vec3d& other) {
    return map<Vec3d>(elements, light_grain,
                      [o = other](const Vec3d& e) noexcept { return e.cross(o); });
}

Array<double> magnitude(Elements elements) {
    return map<double>(elements, medium_grain,
                       [](const Vec3d& e) noexcept { return e.magnitude(); });
}

Array<Vec3d> normalize(Elements elements) {
    return map<Vec3d>(elements, heavy_grain, [](const Vec3d& e) noexcept { return e.normalize(); });
}

Array<unsigned char> is_unit(Elements elements) {
    return map<unsigned char>(elements, medium_grain, [](const Vec3d& e) noexcept {
        return static_cast<unsigned char>(e.is_unit());
    });
}

Array<double> distance_to(Elements elements, const Vec3d& other) {
    return map<double>(elements, medium_grain,
                       [o = other](const Vec3d& e) noexcept { return e.distance_to(o); });
}

Array<double> distance_squared(Elements elements, const Vec3d& other) {
    return map<double>(elements, light_grain,
                       [o = other](const Vec3d& e) noexcept { return e.distance_squared(o); });
}

Array<Vec3d> add(Elements elements, const Vec3d& other) {
    return map<Vec3d>(elements, light_grain,
                      [o = other](const Vec3d& e) noexcept { return e + o; });
}

Array<Vec3d> subtract(Elements elements, const Vec3d& other) {
    return map<Vec3d>(elements, light_grain,
                      [o = other](const Vec3d& e) noexcept { return e - o; });
}

Array<Vec3d> scale(Elements elements, double s) {
    return map<Vec3d>(elements, light_grain, [s](const Vec3d& e) noexcept { return e * s; });
}

Array<Vec3d> scale_reflected(Elements elements, double s) {
    return map<Vec3d>(elements, light_grain, [s](const Vec3d& e) noexcept { return s * e; });
}

Array<Vec3d> divide(Elements elements, double s) {
    return map<Vec3d>(elements, medium_grain, [s](const Vec3d& e) noexcept { return e / s; });
}

Array<Vec3d> collapse(Elements elements, std::size_t axis) {
    assert(axis <= 2);
    switch (axis) {
        case 0:
            return collapse_axis<0>(elements);
        case 1:
            return collapse_axis<1>(elements);
        default:
            return collapse_axis<2>(elements);
    }
}

// Each element depends on itself only, so the result array can be the element
// array.
void rotate(std::span<Vec3d> elements, const Quat& quat) {
    const Quat q = quat;
    Vec3d* data = elements.data();
    pool::map_into(elements, medium_grain,
                   [q, data](std::size_t i) noexcept { return q.rotate(data[i]); });
}

// A coarse pass over every stride-th element, then a fine pass over the window
// around the best sample.
std::optional<Nearest> minimum_distance_to(Elements elements, const Vec3d& other,
                                           std::size_t stride) {
    assert(stride != 0);
    const Vec3d o = other;
    const std::size_t n = elements.size();
    const std::size_t samples = n == 0 ? 0 : (n - 1) / stride + 1;
    const std::optional<Candidate> coarse = nearest(elements, o, 0, stride, samples);
    if (!coarse) {
        return std::nullopt;
    }
    const std::size_t c = coarse->index;
    const std::size_t start = c >= stride ? c - stride : 0;
    const std::size_t end = stride >= n - c ? n : c + stride;
    const Candidate fine = *nearest(elements, o, start, 1, end - start);
    return Nearest{fine.index, std::sqrt(fine.squared)};
}

// Several blocks per thread for balance, none so small that handing it over
// costs more than writing it.
std::vector<std::string> texts(Elements elements) {
    const Vec3d* data = elements.data();
    const std::size_t n = elements.size();
    constexpr std::size_t min_block = 64;
    const std::size_t wanted_blocks = 4 * pool::thread_count();
    const std::size_t block = std::max(min_block, (n + wanted_blocks - 1) / wanted_blocks);
    std::vector<std::string> blocks((n + block - 1) / block);
    pool::map_into(std::span<std::string>(blocks), 1, [&](std::size_t b) {
        const std::size_t begin = b * block;
        const std::size_t end = std::min(n, begin + block);
        std::string text;
        text.reserve((end - begin) * 32);
        for (std::size_t i = begin; i < end; ++i) {
            if (i != begin) {
                text += '\n';
            }
            tavrel::append_repr(text, data[i]);
        }
        return text;
    });
    return blocks;
}

}  // namespace lorvik::bulk
