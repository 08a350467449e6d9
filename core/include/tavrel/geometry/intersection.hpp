// Intersections of planes, lines, points and circles.
//
// Failures are returned as IntersectionError values; nothing here throws. Degenerate input
// (parallel lines, zero normals, NaN fields) flows through as infinities and NaN.
#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>
#include <utility>

#include "tavrel/expected.hpp"
#include "tavrel/geometry/circle.hpp"
#include "tavrel/geometry/plane.hpp"
#include "tavrel/vec3d.hpp"

namespace tavrel::geometry {

enum class IntersectionError : std::uint8_t {
    TooFarApart = 0,
    Contained = 1,
    Identical = 2,
    OutOfPlane = 3,
};

// Display texts; the last one has no full stop, and callers show the texts verbatim.
constexpr std::string_view to_string(IntersectionError error) noexcept {
    switch (error) {
        case IntersectionError::TooFarApart:
            return "The given geometries are too far apart and do not intersect at all.";
        case IntersectionError::Contained:
            return "One of the given geometries is contained entirely within the other. The "
                   "surfaces do not intersect.";
        case IntersectionError::Identical:
            return "The given geometries are identical.";
        case IntersectionError::OutOfPlane:
            return "The given geometries are out of plane from each other";
    }
    return {};
}

// The point where the line through a and b meets the plane. The parameter t solves
// normal·(a + t·D) + distance = 0, the plane equation, so the numerator is -(normal·a + distance).
// A line parallel to the plane divides by zero and yields infinities or NaN.
inline Vec3d plane_line(const Plane& plane, const Vec3d& a, const Vec3d& b) noexcept {
    const Vec3d d = b - a;
    const double numerator = -(plane.normal.dot(a) + plane.distance);
    const double t = numerator / plane.normal.dot(d);
    return {a.x + t * d.x, a.y + t * d.y, a.z + t * d.z};
}

// Judges the point by its distance from the center only; the plane is not checked.
inline Expected<void, IntersectionError> circle_point_unchecked(const Circle& circle,
                                                                const Vec3d& point,
                                                                bool inner) noexcept {
    const double offset = circle.radius - point.distance_to(circle.center);
    if (std::fabs(offset) < epsilon) {
        return {};  // on the circle
    }
    if (offset > epsilon) {
        if (inner) {
            return {};
        }
        return unexpected(IntersectionError::Contained);
    }
    // Outside, including an offset of exactly epsilon and every NaN.
    return unexpected(IntersectionError::TooFarApart);
}

// Success when the point lies on the circle, or with `inner` anywhere in its disk.
inline Expected<void, IntersectionError> circle_point(const Circle& circle, const Vec3d& point,
                                                      bool inner) noexcept {
    if (!circle.get_plane().contains_point(point)) {
        return unexpected(IntersectionError::OutOfPlane);
    }
    return circle_point_unchecked(circle, point, inner);
}

// The two points where coplanar circles cross. The first point lies on the side of
// (c2 - c1) × circle2.normal, so reversing circle2's normal swaps the two.
inline Expected<std::pair<Vec3d, Vec3d>, IntersectionError> circle_circle(
    const Circle& circle1, const Circle& circle2) noexcept {
    if (circle1 == circle2) {
        return unexpected(IntersectionError::Identical);
    }
    if (!circle1.in_same_plane(circle2)) {
        return unexpected(IntersectionError::OutOfPlane);
    }
    const Vec3d& c1 = circle1.center;
    const Vec3d& c2 = circle2.center;
    const double r1 = circle1.radius;
    const double r2 = circle2.radius;

    const double d = c1.distance_to(c2);
    if (d > r1 + r2) {
        return unexpected(IntersectionError::TooFarApart);
    }
    if (std::fabs(r1 - r2) > d) {
        return unexpected(IntersectionError::Contained);
    }

    // t·d is the distance from c1 to the foot of the common chord, h half the chord's length.
    const double t = (r1 * r1 - r2 * r2) / (d * d + d * d) + 0.5;
    const double h_squared = r1 * r1 - (t * t) * (d * d);
    // Near tangency rounding can push h² slightly below zero; the circles touch there, so both
    // points are the contact point. A NaN must stay NaN, hence no std::max.
    const double h = h_squared < 0.0 ? 0.0 : std::sqrt(h_squared);

    const Vec3d dir = c2 - c1;
    const Vec3d foot{c1.x + t * dir.x, c1.y + t * dir.y, c1.z + t * dir.z};
    const Vec3d u = dir.cross(circle2.normal).normalize();
    return std::pair{Vec3d{foot.x + h * u.x, foot.y + h * u.y, foot.z + h * u.z},
                     Vec3d{foot.x - h * u.x, foot.y - h * u.y, foot.z - h * u.z}};
}

}  // namespace tavrel::geometry
