// The intersection functions of lorvik.geometry.
#include "geometry/intersection.hpp"

#include <tavrel/geometry/intersection.hpp>

#include "binding/binding.hpp"
#include "classes.hpp"

namespace lorvik {
namespace {

using tavrel::Vec3d;
using tavrel::geometry::Circle;
using tavrel::geometry::Plane;

// The point tests report success as True; every geometric failure is False.
constexpr auto circle_point = [](const Circle& circle, const Vec3d& point, bool inner) noexcept {
    return tavrel::geometry::circle_point(circle, point, inner).has_value();
};

constexpr auto circle_point_unchecked = [](const Circle& circle, const Vec3d& point,
                                           bool inner) noexcept {
    return tavrel::geometry::circle_point_unchecked(circle, point, inner).has_value();
};

// An IntersectionError result raises ValueError with its display text.
constexpr auto circle_circle = [](const Circle& circle1, const Circle& circle2) noexcept {
    return tavrel::geometry::circle_circle(circle1, circle2);
};

constexpr auto plane_line = [](const Plane& plane, const Vec3d& a, const Vec3d& b) noexcept {
    return tavrel::geometry::plane_line(plane, a, b);
};

PyMethodDef functions[] = {
    module_function<"circle_circle", circle_circle, "circle1", "circle2">(),
    module_function<"circle_point", circle_point, "circle", "point", "inner">(),
    module_function<"circle_point_unchecked", circle_point_unchecked, "circle", "point", "inner">(),
    module_function<"plane_line", plane_line, "plane", "a", "b">(),
};

}  // namespace

std::span<PyMethodDef> geometry_functions() noexcept {
    return functions;
}

}  // namespace lorvik
