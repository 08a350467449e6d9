// Quaternions as rotations of three-dimensional space.
//
// The conventions are fixed and deliberately not a matched set: from_axis_angle uses the negated
// half angle and rotate computes conj(q) * v * q, so from_axis_angle(a, t).rotate(v) turns v by
// t about a (right-hand rule); to_axis_angle and to_rotation_matrix read the quaternion in the
// usual way, so they report the axis -a and a matrix turning by -t.
#pragma once

#include <array>
#include <cmath>
#include <string>
#include <type_traits>
#include <utility>

#include "tavrel/angle.hpp"
#include "tavrel/display.hpp"
#include "tavrel/vec3d.hpp"

namespace tavrel {

struct Quat {
    double w, i, j, k;

    // As for Vec3d: Quat(w, i, j, k) on every compiler, layout and triviality unchanged.
    Quat() noexcept = default;
    constexpr Quat(double w_, double i_, double j_, double k_) noexcept
        : w(w_), i(i_), j(j_), k(k_) {}

    static constexpr Quat identity() noexcept { return {1.0, 0.0, 0.0, 0.0}; }

    constexpr Quat conjugate() const noexcept {
        return {w, detail::flip_sign(i), detail::flip_sign(j), detail::flip_sign(k)};
    }

    double magnitude() const noexcept { return std::sqrt(((w * w + i * i) + j * j) + k * k); }

    // Four divisions rather than one reciprocal, which would round differently.
    Quat normalize() const noexcept {
        const double m = magnitude();
        return {w / m, i / m, j / m, k / m};
    }

    bool is_unit() const noexcept { return std::fabs(magnitude() - 1.0) < epsilon; }

    static Quat from_axis_angle(const Vec3d& axis, AngleRadians angle) noexcept;
    std::pair<Vec3d, AngleRadians> to_axis_angle() const noexcept;
    Vec3d rotate(const Vec3d& v) const noexcept;
    std::array<std::array<double, 3>, 3> to_rotation_matrix() const noexcept;

    constexpr std::array<double, 3> to_vec3d() const noexcept { return {i, j, k}; }
};

static_assert(sizeof(Quat) == 4 * sizeof(double) && std::is_standard_layout_v<Quat>);
static_assert(std::is_trivially_copyable_v<Quat> &&
              std::is_trivially_default_constructible_v<Quat>);

// Hamilton product, each component summed left to right exactly as bracketed.
constexpr Quat operator*(const Quat& a, const Quat& b) noexcept {
    return {
        ((a.w * b.w - a.i * b.i) - a.j * b.j) - a.k * b.k,
        ((a.w * b.i + a.i * b.w) + a.j * b.k) - a.k * b.j,
        ((a.w * b.j + a.j * b.w) + a.k * b.i) - a.i * b.k,
        ((a.w * b.k + a.k * b.w) + a.i * b.j) - a.j * b.i,
    };
}

// Approximate equality with an absolute tolerance per component; false whenever a NaN or an
// infinity (inf - inf is NaN) is involved.
constexpr bool operator==(const Quat& a, const Quat& b) noexcept {
    return detail::within_epsilon(a.w, b.w) && detail::within_epsilon(a.i, b.i) &&
           detail::within_epsilon(a.j, b.j) && detail::within_epsilon(a.k, b.k);
}

// The axis is used as given; a non-unit axis yields a non-unit quaternion.
inline Quat Quat::from_axis_angle(const Vec3d& axis, AngleRadians angle) noexcept {
    const double h = angle.angle * -0.5;
    const double s = std::sin(h);
    const double c = std::cos(h);
    return {c, axis.x * s, axis.y * s, axis.z * s};
}

inline std::pair<Vec3d, AngleRadians> Quat::to_axis_angle() const noexcept {
    // Near the identity the axis is meaningless; report a fixed one whatever the vector part.
    if (std::fabs(w - 1.0) < epsilon) {
        return {Vec3d::i(), AngleRadians::zero()};
    }
    const double h = std::acos(w);
    const double theta = h + h;
    const double s = std::sin(theta * 0.5);
    return {Vec3d{i / s, j / s, k / s}, AngleRadians{theta}};
}

// conj(q) * (0, v) * q. Every term of both products is evaluated, including those with the zero
// scalar part of the pure quaternion, so infinities yield NaN and zero signs come out exactly.
inline Vec3d Quat::rotate(const Vec3d& v) const noexcept {
    const Quat p{0.0, v.x, v.y, v.z};
    const Quat r = (conjugate() * p) * *this;
    return {r.i, r.j, r.k};
}

// The matrix of q v conj(q), i.e. the transpose of what rotate applies. Doubling is exact, so
// x + x stands for 2x.
inline std::array<std::array<double, 3>, 3> Quat::to_rotation_matrix() const noexcept {
    const auto twice = [](double x) { return x + x; };
    return {{
        {1.0 - twice(j * j + k * k), twice(i * j - w * k), twice(i * k + w * j)},
        {twice(i * j + w * k), 1.0 - twice(k * k + i * i), twice(j * k - w * i)},
        {twice(i * k - w * j), twice(j * k + w * i), 1.0 - twice(j * j + i * i)},
    }};
}

inline Quat Vec3d::to_quat() const noexcept {
    return Quat{0.0, x, y, z};
}

inline void append_repr(std::string& out, const Quat& q) {
    append_call_form(out, "Quat", {q.w, q.i, q.j, q.k});
}

inline std::string to_string(const Quat& q) {
    std::string out;
    append_repr(out, q);
    return out;
}

}  // namespace tavrel
