// A circle lying in space: center, radius and the normal of its plane.
#pragma once

#include <cmath>
#include <limits>

#include "tavrel/angle.hpp"
#include "tavrel/geometry/plane.hpp"
#include "tavrel/vec3d.hpp"

namespace tavrel::geometry {

namespace detail {

// Normals describe the same plane orientation when equal or opposite within the tolerance.
constexpr bool same_direction(const Vec3d& a, const Vec3d& b) noexcept {
    return a == b;
}

// |a + b| < epsilon, strict, false for NaN.
constexpr bool sum_within_epsilon(double a, double b) noexcept {
    const double s = a + b;
    return s < epsilon && s > -epsilon;
}

constexpr bool opposite_direction(const Vec3d& a, const Vec3d& b) noexcept {
    return sum_within_epsilon(a.x, b.x) && sum_within_epsilon(a.y, b.y) &&
           sum_within_epsilon(a.z, b.z);
}

}  // namespace detail

// Fields may be overwritten directly and are then used as stored; only make() normalises.
struct Circle {
    Vec3d center;
    double radius;
    Vec3d normal;

    static Circle make(const Vec3d& center, double radius, const Vec3d& normal) noexcept {
        return {center, std::fabs(radius), normal.normalize()};
    }

    // The "no circle" value. Its NaN normal makes it unequal to everything, itself included.
    static Circle none() noexcept {
        constexpr double nan = std::numeric_limits<double>::quiet_NaN();
        return {Vec3d::zero(), 0.0, Vec3d{nan, nan, nan}};
    }

    double area() const noexcept { return (radius * radius) * AngleRadians::pi().angle; }

    Plane get_plane() const noexcept { return Plane::from_point(normal, center); }

    // Coplanar when the normals are parallel and the plane offsets agree. With opposite normals
    // the offsets n·c have opposite signs for the same plane, so they are compared as a sum.
    bool in_same_plane(const Circle& other) const noexcept {
        if (detail::same_direction(normal, other.normal)) {
            return std::fabs(other.normal.dot(other.center) - normal.dot(center)) < epsilon;
        }
        if (detail::opposite_direction(normal, other.normal)) {
            return std::fabs(other.normal.dot(other.center) + normal.dot(center)) < epsilon;
        }
        return false;
    }

    bool is_degenerate() const noexcept { return radius == 0.0; }
};

// Centers within the tolerance, radii exactly equal, normals equal or opposite within the
// tolerance: a circle equals itself with its normal reversed.
inline bool operator==(const Circle& a, const Circle& b) noexcept {
    return a.center == b.center && a.radius == b.radius &&
           (detail::same_direction(a.normal, b.normal) ||
            detail::opposite_direction(a.normal, b.normal));
}

}  // namespace tavrel::geometry
