// Angles in radians and in degrees.
//
// The unit lives in the type: there is no implicit conversion and no mixed arithmetic or
// comparison, so the only way between units is an explicit to_degrees / to_radians. Values are
// never reduced into a range; every operation works on the stored double as it is.
#pragma once

#include <cmath>
#include <compare>
#include <concepts>
#include <string>
#include <type_traits>

#include "tavrel/display.hpp"
#include "tavrel/vec3d.hpp"

namespace tavrel {

struct AngleDegrees;

// Each unit's constructor is explicit: a bare double never becomes an angle unnoticed, and
// AngleRadians(x) works on every compiler (not only with parenthesised aggregate initialisation).
struct AngleRadians {
    double angle;

    AngleRadians() noexcept = default;
    constexpr explicit AngleRadians(double radians) noexcept : angle(radians) {}

    // pi is the double nearest to the real number; its fractions are computed in double
    // arithmetic, so for example third_pi() is pi() / 3 rounded, not the double nearest pi/3.
    static constexpr AngleRadians zero() noexcept { return AngleRadians{0.0}; }
    static constexpr AngleRadians pi() noexcept { return AngleRadians{0x1.921fb54442d18p+1}; }
    static constexpr AngleRadians two_pi() noexcept { return AngleRadians{pi().angle * 2.0}; }
    static constexpr AngleRadians half_pi() noexcept { return AngleRadians{pi().angle / 2.0}; }
    static constexpr AngleRadians third_pi() noexcept { return AngleRadians{pi().angle / 3.0}; }
    static constexpr AngleRadians quarter_pi() noexcept { return AngleRadians{pi().angle / 4.0}; }
    static constexpr AngleRadians sixth_pi() noexcept { return AngleRadians{pi().angle / 6.0}; }

    // The C library decides the last bit; the build keeps the compiler from folding these.
    double sin() const noexcept { return std::sin(angle); }
    double cos() const noexcept { return std::cos(angle); }
    double tan() const noexcept { return std::tan(angle); }
    // No pole guard: a zero denominator gives an infinity carrying the sign of that zero.
    double sec() const noexcept { return 1.0 / std::cos(angle); }
    double csc() const noexcept { return 1.0 / std::sin(angle); }
    double cot() const noexcept { return 1.0 / std::tan(angle); }

    constexpr AngleDegrees to_degrees() const noexcept;

    // IEEE comparison of the stored doubles, no tolerance: +0 == -0, NaN is unordered.
    friend constexpr bool operator==(AngleRadians, AngleRadians) noexcept = default;
    friend constexpr auto operator<=>(AngleRadians, AngleRadians) noexcept = default;
};

struct AngleDegrees {
    double angle;

    AngleDegrees() noexcept = default;
    constexpr explicit AngleDegrees(double degrees) noexcept : angle(degrees) {}

    constexpr AngleRadians to_radians() const noexcept;

    friend constexpr bool operator==(AngleDegrees, AngleDegrees) noexcept = default;
    friend constexpr auto operator<=>(AngleDegrees, AngleDegrees) noexcept = default;
};

static_assert(std::is_trivially_copyable_v<AngleRadians> && sizeof(AngleRadians) == sizeof(double));
static_assert(std::is_trivially_copyable_v<AngleDegrees> && sizeof(AngleDegrees) == sizeof(double));

// Both conversions round twice, multiplication first. Folding them into one multiplication by a
// precomputed factor would change the last bit for about a quarter of all inputs.
constexpr AngleDegrees AngleRadians::to_degrees() const noexcept {
    const double t = angle * 180.0;
    return AngleDegrees{t / pi().angle};
}

constexpr AngleRadians AngleDegrees::to_radians() const noexcept {
    const double t = angle * AngleRadians::pi().angle;
    return AngleRadians{t / 180.0};
}

constexpr AngleRadians operator+(AngleRadians a, AngleRadians b) noexcept {
    return AngleRadians{a.angle + b.angle};
}

constexpr AngleRadians operator-(AngleRadians a, AngleRadians b) noexcept {
    return AngleRadians{a.angle - b.angle};
}

constexpr AngleRadians operator*(AngleRadians a, double s) noexcept {
    return AngleRadians{s * a.angle};
}

constexpr AngleRadians operator/(AngleRadians a, double s) noexcept {
    return AngleRadians{a.angle / s};
}

constexpr AngleRadians operator-(AngleRadians a) noexcept {
    return AngleRadians{detail::flip_sign(a.angle)};
}

constexpr AngleDegrees operator-(AngleDegrees a) noexcept {
    return AngleDegrees{detail::flip_sign(a.angle)};
}

// The quotient is deliberately not clamped to [-1, 1]: a rounding excess gives NaN, as does a
// zero vector on either side.
inline AngleRadians Vec3d::angle_to(const Vec3d& other) const noexcept {
    const double lengths = magnitude() * other.magnitude();
    return AngleRadians{std::acos(dot(other) / lengths)};
}

// Text forms: the shortest round-trip value, or exactly `precision` fractional digits, followed
// by the unit (" radians", or the degree sign U+00B0 with no space).
inline constexpr std::string_view radians_suffix = " radians";
inline constexpr std::string_view degrees_suffix = "\xc2\xb0";  // U+00B0 in UTF-8

template <class Angle>
concept AngleType = std::same_as<Angle, AngleRadians> || std::same_as<Angle, AngleDegrees>;

namespace detail {
template <AngleType Angle>
inline constexpr std::string_view unit_suffix =
    std::same_as<Angle, AngleRadians> ? radians_suffix : degrees_suffix;
}  // namespace detail

template <AngleType Angle>
void append_repr(std::string& out, Angle a) {
    append_double(out, a.angle);
    out += detail::unit_suffix<Angle>;
}

template <AngleType Angle>
void append_repr(std::string& out, Angle a, int precision) {
    append_fixed(out, a.angle, precision);
    out += detail::unit_suffix<Angle>;
}

template <AngleType Angle>
std::string to_string(Angle a) {
    std::string out;
    append_repr(out, a);
    return out;
}

template <AngleType Angle>
std::string to_string(Angle a, int precision) {
    std::string out;
    append_repr(out, a, precision);
    return out;
}

}  // namespace tavrel
