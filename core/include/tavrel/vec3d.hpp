// Three-dimensional vector of doubles.
//
// Every result of this library is reproducible to the last bit, so each formula below is written
// in the exact order in which it is evaluated: one rounding per operation, sums of three terms
// through detail::sum3, no fused multiply-add (the build passes -ffp-contract=off).
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "tavrel/display.hpp"
#include "tavrel/siphash.hpp"

namespace tavrel {

// The absolute tolerance of every approximate test: the gap between 1.0 and the next double.
inline constexpr double epsilon = 0x1p-52;

struct AngleRadians;
struct Quat;

namespace detail {

// |a - b| < epsilon, strict, false for NaN; written without fabs so it stays constexpr.
constexpr bool within_epsilon(double a, double b) noexcept {
    const double d = a - b;
    return d < epsilon && d > -epsilon;
}

// Negation as a pure sign-bit flip: unlike 0 - v it turns +0 into -0 and keeps NaN payloads.
constexpr double flip_sign(double v) noexcept {
    return std::bit_cast<double>(std::bit_cast<std::uint64_t>(v) ^ 0x8000000000000000ULL);
}

// Which NaN an arithmetic step yields where two NaNs meet, made independent of
// the compiler: IEEE 754 leaves the choice open, x86 keeps its first operand's
// (quieted), and a compiler may swap the operands of a commutative step. The
// helpers below give the NaN of the written order with the first operand
// winning.
constexpr bool is_nan(double v) noexcept {
    return v != v;  // NOLINT(misc-redundant-expression): true only for NaN
}

constexpr double quiet(double nan) noexcept {
    return std::bit_cast<double>(std::bit_cast<std::uint64_t>(nan) | 0x0008000000000000ULL);
}

// a - b where a NaN is involved.
constexpr double nan_difference(double a, double b) noexcept {
    return is_nan(a) ? quiet(a) : is_nan(b) ? quiet(b) : a - b;
}

// The one association of every three-term sum: left to right, (a + b) + c. Floating-point
// addition is not associative, so a + (b + c) would change the last bits.
constexpr double sum3(double a, double b, double c) noexcept {
    return (a + b) + c;
}

}  // namespace detail

struct Vec3d {
    double x, y, z;

    // Declared so that Vec3d(x, y, z) works on every compiler, not only where parenthesised
    // aggregate initialisation is implemented. Vec3d stays trivially copyable with standard
    // layout (checked below), and Vec3d{} is still all zeros.
    Vec3d() noexcept = default;
    constexpr Vec3d(double x_, double y_, double z_) noexcept : x(x_), y(y_), z(z_) {}

    static constexpr Vec3d zero() noexcept { return {0.0, 0.0, 0.0}; }
    static constexpr Vec3d i() noexcept { return {1.0, 0.0, 0.0}; }
    static constexpr Vec3d j() noexcept { return {0.0, 1.0, 0.0}; }
    static constexpr Vec3d k() noexcept { return {0.0, 0.0, 1.0}; }

    static constexpr Vec3d new_from_to(const Vec3d& from, const Vec3d& to) noexcept {
        return {to.x - from.x, to.y - from.y, to.z - from.z};
    }

    // Throws std::out_of_range for an index above 2; bindings range-check before calling.
    constexpr double operator[](std::size_t index) const {
        switch (index) {
            case 0:
                return x;
            case 1:
                return y;
            case 2:
                return z;
            default:
                throw std::out_of_range("Index out of bounds");
        }
    }

    constexpr std::array<double, 3> to_array() const noexcept { return {x, y, z}; }

    constexpr double dot(const Vec3d& o) const noexcept {
        return detail::sum3(x * o.x, y * o.y, z * o.z);
    }

    constexpr Vec3d cross(const Vec3d& o) const noexcept {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }

    double magnitude() const noexcept { return std::sqrt(dot(*this)); }

    // No zero-length check: the zero vector yields NaN components, by design.
    Vec3d normalize() const noexcept {
        const double n = magnitude();
        return {x / n, y / n, z / n};
    }

    bool is_unit() const noexcept { return std::fabs(magnitude() - 1.0) < epsilon; }

    // A NaN result is always the one the written order meets first (see
    // detail::nan_difference): minimum_distance_to ranks NaN keys by their
    // sign, so the choice must not depend on how the loop was compiled.
    constexpr double distance_squared(const Vec3d& o) const noexcept {
        const double dx = x - o.x;
        const double dy = y - o.y;
        const double dz = z - o.z;
        const double q = detail::sum3(dx * dx, dy * dy, dz * dz);
        if (!detail::is_nan(q)) {
            return q;
        }
        // A square is NaN exactly when its difference is, and sums of squares
        // make no NaN of their own: the first NaN difference is the result.
        const double ndx = detail::nan_difference(x, o.x);
        const double ndy = detail::nan_difference(y, o.y);
        return detail::is_nan(ndx)   ? ndx
               : detail::is_nan(ndy) ? ndy
                                     : detail::nan_difference(z, o.z);
    }

    double distance_to(const Vec3d& o) const noexcept { return std::sqrt(distance_squared(o)); }

    // Distance to the unbounded line through `anchor` and `toward`; NaN when they are equal (t is
    // 0/0). The computation starts from `anchor`, which fixes the last bits of the result.
    double distance_to_line(const Vec3d& anchor, const Vec3d& toward) const noexcept {
        const double dx = toward.x - anchor.x;
        const double dy = toward.y - anchor.y;
        const double dz = toward.z - anchor.z;
        const double t =
            detail::sum3((x - anchor.x) * dx, (y - anchor.y) * dy, (z - anchor.z) * dz) /
            detail::sum3(dx * dx, dy * dy, dz * dz);
        const double fx = dx * t + anchor.x;
        const double fy = dy * t + anchor.y;
        const double fz = dz * t + anchor.z;
        const double ex = x - fx;
        const double ey = y - fy;
        const double ez = z - fz;
        return std::sqrt(detail::sum3(ex * ex, ey * ey, ez * ez));
    }

    // Projection onto the unbounded line through `toward` and `anchor`. The computation starts
    // from `anchor` (the second argument), which fixes the last bits of the result.
    constexpr Vec3d project_onto_line(const Vec3d& toward, const Vec3d& anchor) const noexcept {
        const double dx = toward.x - anchor.x;
        const double dy = toward.y - anchor.y;
        const double dz = toward.z - anchor.z;
        const double t =
            detail::sum3((anchor.x - x) * dx, (anchor.y - y) * dy, (anchor.z - z) * dz) /
            detail::sum3(dx * dx, dy * dy, dz * dz);
        return {anchor.x - t * dx, anchor.y - t * dy, anchor.z - t * dz};
    }

    // The normal is deliberately not normalised: only a unit normal gives the true projection.
    constexpr Vec3d project_onto_plane(const Vec3d& n) const noexcept {
        const double h = dot(n);
        return {x - h * n.x, y - h * n.y, z - h * n.z};
    }

    constexpr double scalar_triple_product(const Vec3d& b, const Vec3d& c) const noexcept {
        return dot(b.cross(c));
    }

    // Exact hash: vectors that compare equal within the tolerance may hash differently.
    std::uint64_t hash() const noexcept;

    // Defined in angle.hpp.
    AngleRadians angle_to(const Vec3d& other) const noexcept;
    // Defined in quat.hpp.
    Quat to_quat() const noexcept;
};

// An array of Vec3d is a flat array of doubles, copied as bytes.
static_assert(sizeof(Vec3d) == 3 * sizeof(double) && std::is_standard_layout_v<Vec3d>);
static_assert(std::is_trivially_copyable_v<Vec3d> &&
              std::is_trivially_default_constructible_v<Vec3d>);

constexpr Vec3d operator+(const Vec3d& a, const Vec3d& b) noexcept {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

constexpr Vec3d operator-(const Vec3d& a, const Vec3d& b) noexcept {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

constexpr Vec3d operator-(const Vec3d& v) noexcept {
    return {detail::flip_sign(v.x), detail::flip_sign(v.y), detail::flip_sign(v.z)};
}

constexpr Vec3d operator*(const Vec3d& v, double s) noexcept {
    return {v.x * s, v.y * s, v.z * s};
}

constexpr Vec3d operator*(double s, const Vec3d& v) noexcept {
    return v * s;
}

constexpr Vec3d operator/(const Vec3d& v, double s) noexcept {
    return {v.x / s, v.y / s, v.z / s};
}

// Approximate equality with an absolute tolerance; not transitive, and false whenever a NaN is
// involved (a vector holding NaN is unequal to itself).
constexpr bool operator==(const Vec3d& a, const Vec3d& b) noexcept {
    return detail::within_epsilon(a.x, b.x) && detail::within_epsilon(a.y, b.y) &&
           detail::within_epsilon(a.z, b.z);
}

namespace detail {

// Bit pattern fed to the hash: one pattern for every NaN and one for both zeros, so that values
// which print alike hash alike.
inline std::uint64_t canonical_bits(double v) noexcept {
    if (std::isnan(v)) {
        return 0x7ff8000000000000ULL;
    }
    return std::bit_cast<std::uint64_t>(v + 0.0);  // -0.0 + 0.0 is +0.0
}

}  // namespace detail

inline std::uint64_t Vec3d::hash() const noexcept {
    const std::uint64_t words[3] = {detail::canonical_bits(x), detail::canonical_bits(y),
                                    detail::canonical_bits(z)};
    return siphash13_words(words);
}

inline void append_repr(std::string& out, const Vec3d& v) {
    append_call_form(out, "Vec3d", {v.x, v.y, v.z});
}

inline std::string to_string(const Vec3d& v) {
    std::string out;
    append_repr(out, v);
    return out;
}

}  // namespace tavrel
