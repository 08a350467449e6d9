// An unbounded plane: the points p with normal·p + distance = 0.
#pragma once

#include <cmath>

#include "tavrel/vec3d.hpp"

namespace tavrel::geometry {

// Fields may be overwritten directly (the Python properties do so) and are then used as stored:
// only the constructors below normalise the normal.
struct Plane {
    Vec3d normal;
    double distance;

    // `distance` is the offset along the normalised normal, so the stored constant term is its
    // negation (a pure sign flip, also for zero and NaN).
    static Plane make(const Vec3d& normal, double distance) noexcept {
        return {normal.normalize(), -distance};
    }

    static Plane from_point(const Vec3d& normal, const Vec3d& point) noexcept {
        const Vec3d n = normal.normalize();
        return {n, -n.dot(point)};
    }

    // Collinear or repeated points give a zero cross product and hence a NaN plane.
    static Plane from_points(const Vec3d& p1, const Vec3d& p2, const Vec3d& p3) noexcept {
        return from_point((p2 - p1).cross(p3 - p1), p1);
    }

    // The coordinate planes through the origin, each named after the two axes it contains. The
    // constant term is -0.0, as from_point with the origin gives.
    static constexpr Plane xy() noexcept { return {Vec3d::k(), -0.0}; }
    static constexpr Plane xz() noexcept { return {Vec3d::j(), -0.0}; }
    static constexpr Plane yz() noexcept { return {Vec3d::i(), -0.0}; }

    bool contains_point(const Vec3d& point) const noexcept {
        return std::fabs(normal.dot(point) + distance) < epsilon;
    }

    // Unsigned, and not divided by the normal's length: a true distance only for a unit normal.
    double distance_to_point(const Vec3d& point) const noexcept {
        return std::fabs(normal.dot(point) + distance);
    }
};

}  // namespace tavrel::geometry
