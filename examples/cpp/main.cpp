// A small program built against an installed tavrel: rotates a few vectors, intersects circles
// and a plane with a line, and prints every result in tavrel's own text forms.
#include <tavrel/tavrel.hpp>

#include <array>
#include <iostream>

namespace {

using tavrel::AngleDegrees;
using tavrel::AngleRadians;
using tavrel::Quat;
using tavrel::Vec3d;
using tavrel::geometry::Circle;
using tavrel::geometry::Plane;

void print_intersection(const char* label, const Circle& a, const Circle& b) {
    const auto points = tavrel::geometry::circle_circle(a, b);
    std::cout << label << ": ";
    if (points) {
        std::cout << tavrel::to_string(points->first) << ' ' << tavrel::to_string(points->second)
                  << '\n';
    } else {
        std::cout << tavrel::geometry::to_string(points.error()) << '\n';
    }
}

void rotations() {
    // A quarter turn about z, right-handed: x goes to y.
    const Quat quarter = Quat::from_axis_angle(Vec3d::k(), AngleRadians::half_pi());
    std::cout << "quarter turn about z: " << tavrel::to_string(quarter) << '\n';
    for (const Vec3d& v : std::array{Vec3d::i(), Vec3d::j(), Vec3d{1.0, 2.0, 3.0}}) {
        std::cout << "  " << tavrel::to_string(v) << " -> " << tavrel::to_string(quarter.rotate(v))
                  << '\n';
    }
    const auto [axis, angle] = quarter.to_axis_angle();
    std::cout << "  axis " << tavrel::to_string(axis) << ", angle " << tavrel::to_string(angle)
              << " = " << tavrel::to_string(angle.to_degrees()) << '\n';
    std::cout << "  " << tavrel::to_string(AngleDegrees{30.0}) << " = "
              << tavrel::to_string(AngleDegrees{30.0}.to_radians(), 4) << '\n';
}

void intersections() {
    const Circle unit = Circle::make(Vec3d::zero(), 1.0, Vec3d::k());
    print_intersection("unit and shifted", unit,
                       Circle::make(Vec3d{1.0, 0.0, 0.0}, 1.0, Vec3d::k()));
    print_intersection("3-4-5", Circle::make(Vec3d::zero(), 3.0, Vec3d::k()),
                       Circle::make(Vec3d{4.0, 0.0, 0.0}, 5.0, Vec3d::k()));
    print_intersection("touching", unit, Circle::make(Vec3d{2.0, 0.0, 0.0}, 1.0, Vec3d::k()));
    print_intersection("far apart", unit, Circle::make(Vec3d{3.0, 0.0, 0.0}, 1.0, Vec3d::k()));
    print_intersection("same", unit, unit);

    // The plane z = 3 (the constructor stores the offset negated) and a vertical line.
    const Plane plane = Plane::make(Vec3d{0.0, 0.0, 2.0}, 3.0);
    const Vec3d hit =
        tavrel::geometry::plane_line(plane, Vec3d{1.0, 1.0, 0.0}, Vec3d{1.0, 1.0, 1.0});
    std::cout << "plane z = 3 meets the line x = y = 1 at " << tavrel::to_string(hit)
              << (plane.contains_point(hit) ? " (on the plane)" : " (off the plane)") << '\n';
}

}  // namespace

int main() {
    rotations();
    intersections();
    return 0;
}
