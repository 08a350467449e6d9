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

#include "tavrel/display.hpp"
#include "tavrel/vec3d.hpp"

#if defined(__cpp_lib_format) && __cpp_lib_format >= 201907L
#include <algorithm>
#include <climits>
#include <format>
#include <type_traits>
#include <utility>
#define TAVREL_HAS_STD_FORMAT 1
#endif

namespace tavrel {

struct AngleDegrees;

struct AngleRadians {
    double angle;

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

    constexpr AngleRadians to_radians() const noexcept;

    friend constexpr bool operator==(AngleDegrees, AngleDegrees) noexcept = default;
    friend constexpr auto operator<=>(AngleDegrees, AngleDegrees) noexcept = default;
};

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

#ifdef TAVREL_HAS_STD_FORMAT
namespace detail {

// std::format support. The standard format syntax for floating-point values is accepted so
// that existing format strings work, but only the precision has an effect: it selects the fixed
// form. Fill, alignment, sign, width and type are consumed and ignored, because an angle's text
// is always written as it is.
template <class Angle>
struct AngleFormatter {
    int precision = -1;      // -1: shortest round-trip form
    int precision_arg = -1;  // index of a dynamic precision argument, or -1

    constexpr std::format_parse_context::iterator parse(std::format_parse_context& ctx) {
        auto it = ctx.begin();
        const auto end = ctx.end();
        const auto is_align = [](char c) { return c == '<' || c == '>' || c == '^'; };

        if (it == end || *it == '}') {
            return it;
        }
        if (end - it >= 2 && is_align(it[1])) {
            it += 2;  // fill and alignment
        } else if (is_align(*it)) {
            ++it;
        }
        if (it != end && (*it == '+' || *it == '-' || *it == ' ')) {
            ++it;
        }
        if (it != end && *it == '#') {
            ++it;
        }
        if (it != end && *it == '0') {
            ++it;
        }
        int ignored_width_arg = -1;
        int ignored_width = -1;
        it = parse_count(it, end, ctx, ignored_width, ignored_width_arg);
        if (it != end && *it == '.') {
            const auto after_point = it + 1;
            it = parse_count(after_point, end, ctx, precision, precision_arg);
            if (it == after_point) {
                throw std::format_error("missing precision in angle format");
            }
        }
        if (it != end && *it == 'L') {
            ++it;
        }
        if (it != end && std::string_view{"aAeEfFgG"}.find(*it) != std::string_view::npos) {
            ++it;
        }
        if (it != end && *it != '}') {
            throw std::format_error("invalid angle format");
        }
        return it;
    }

    template <class FormatContext>
    typename FormatContext::iterator format(const Angle& a, FormatContext& ctx) const {
        const int digits = precision_arg >= 0 ? dynamic_precision(ctx) : precision;
        std::string text;
        if (digits >= 0) {
            append_repr(text, a, digits);
        } else {
            append_repr(text, a);
        }
        return std::copy(text.begin(), text.end(), ctx.out());
    }

  private:
    // Parses a decimal count or a nested replacement field "{}" / "{n}"; returns where it stopped.
    static constexpr std::format_parse_context::iterator parse_count(
        std::format_parse_context::iterator it, std::format_parse_context::iterator end,
        std::format_parse_context& ctx, int& value, int& arg_id) {
        if (it == end) {
            return it;
        }
        if (*it == '{') {
            ++it;
            if (it != end && *it == '}') {
                arg_id = static_cast<int>(ctx.next_arg_id());
                return it + 1;
            }
            std::size_t id = 0;
            const auto digits_start = it;
            for (; it != end && *it >= '0' && *it <= '9'; ++it) {
                id = id * 10 + static_cast<std::size_t>(*it - '0');
            }
            if (it == digits_start || it == end || *it != '}') {
                throw std::format_error("invalid nested argument in angle format");
            }
            ctx.check_arg_id(id);
            arg_id = static_cast<int>(id);
            return it + 1;
        }
        if (*it < '0' || *it > '9') {
            return it;
        }
        int n = 0;
        for (; it != end && *it >= '0' && *it <= '9'; ++it) {
            if (n > (INT_MAX - 9) / 10) {
                throw std::format_error("count too large in angle format");
            }
            n = n * 10 + (*it - '0');
        }
        value = n;
        return it;
    }

    template <class FormatContext>
    int dynamic_precision(FormatContext& ctx) const {
        return std::visit_format_arg(
            [](auto v) -> int {
                using T = decltype(v);
                if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool> &&
                              !std::is_same_v<T, char>) {
                    if (std::cmp_less(v, 0) || std::cmp_greater(v, INT_MAX)) {
                        throw std::format_error("angle precision out of range");
                    }
                    return static_cast<int>(v);
                } else {
                    throw std::format_error("angle precision is not an integer");
                }
            },
            ctx.arg(static_cast<std::size_t>(precision_arg)));
    }
};

}  // namespace detail
#endif

}  // namespace tavrel

#ifdef TAVREL_HAS_STD_FORMAT
template <>
struct std::formatter<tavrel::AngleRadians, char>
    : tavrel::detail::AngleFormatter<tavrel::AngleRadians> {};

template <>
struct std::formatter<tavrel::AngleDegrees, char>
    : tavrel::detail::AngleFormatter<tavrel::AngleDegrees> {};
#endif
