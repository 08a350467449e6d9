// Decimal text of doubles.
//
// Every text the library produces writes a double as the shortest digit string that reads back
// to the same double, laid out in plain positional notation (never with an exponent), so that
// 1e23 prints as "100000000000000000000000" rather than the exact binary value. The fixed form
// with an explicit count of fractional digits is used where a caller asks for a precision.
//
// Both functions append to a caller-owned string so that bulk printing of long vector lists can
// reuse one buffer; apart from growing that string they allocate nothing.
#pragma once

#include <charconv>
#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <system_error>

namespace tavrel {

namespace detail {

// Text of the three values that have no digits. Returns false for finite values.
inline bool append_non_finite(std::string& out, double v) {
    if (std::isnan(v)) {
        out += "NaN";  // the sign and payload of a NaN are not shown
        return true;
    }
    if (std::isinf(v)) {
        out += v < 0.0 ? std::string_view{"-inf"} : std::string_view{"inf"};
        return true;
    }
    return false;
}

// Parses the exponent of a scientific-notation string produced by std::to_chars ("e+21", "e-7").
constexpr int parse_exponent(const char* first, const char* last) noexcept {
    bool negative = false;
    if (first != last && (*first == '+' || *first == '-')) {
        negative = *first == '-';
        ++first;
    }
    int value = 0;
    for (; first != last; ++first) {
        value = value * 10 + (*first - '0');
    }
    return negative ? -value : value;
}

}  // namespace detail

// Appends the shortest round-trip digits of v in positional notation.
inline void append_double(std::string& out, double v) {
    if (detail::append_non_finite(out, v)) {
        return;
    }
    if (v == 0.0) {
        out += std::signbit(v) ? std::string_view{"-0"} : std::string_view{"0"};
        return;
    }

    // The shortest scientific form gives exactly the digits that round-trip; the longest such
    // text is "-d.dddddddddddddddde-308" (24 characters).
    char buffer[32];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific);
    (void)ec;  // cannot fail: the buffer holds the longest shortest form

    const char* p = buffer;
    if (*p == '-') {
        out += '-';
        ++p;
    }
    // Collect the significant digits "d" or "d.ddd" up to the 'e'.
    char digits[20];
    int count = 0;
    for (; *p != 'e'; ++p) {
        if (*p != '.') {
            digits[count++] = *p;
        }
    }
    const int exponent = detail::parse_exponent(p + 1, end);
    const std::string_view significant{digits, static_cast<std::size_t>(count)};

    if (exponent < 0) {
        // 0.000ddd
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += significant;
    } else if (exponent >= count - 1) {
        // ddd000, no fraction part for integral values
        out += significant;
        out.append(static_cast<std::size_t>(exponent - (count - 1)), '0');
    } else {
        // dd.ddd
        const auto integral = static_cast<std::size_t>(exponent + 1);
        out += significant.substr(0, integral);
        out += '.';
        out += significant.substr(integral);
    }
}

inline std::string format_double(double v) {
    std::string out;
    append_double(out, v);
    return out;
}

// Appends v in fixed notation with exactly `precision` fractional digits, correctly rounded from
// the exact binary value with ties to even. A negative precision is taken as 0.
inline void append_fixed(std::string& out, double v, int precision) {
    if (detail::append_non_finite(out, v)) {
        return;
    }
    if (precision < 0) {
        precision = 0;
    }
    // Write straight into the string: the integral part of a double has at most 309 digits, plus
    // sign, point and the requested fraction. The string is trimmed to the real length after.
    const std::size_t start = out.size();
    const std::size_t bound = 312 + static_cast<std::size_t>(precision);
    out.resize(start + bound);
    char* const first = out.data() + start;
    const auto [end, ec] =
        std::to_chars(first, first + bound, v, std::chars_format::fixed, precision);
    (void)ec;  // cannot fail: the bound above covers every finite double
    out.resize(start + static_cast<std::size_t>(end - first));
}

// Appends "Name(a, b, ...)" with each value in the decimal display: the text
// form shared by the vector and quaternion types.
inline void append_call_form(std::string& out, std::string_view name,
                             std::initializer_list<double> values) {
    out += name;
    out += '(';
    const char* separator = "";
    for (const double value : values) {
        out += separator;
        append_double(out, value);
        separator = ", ";
    }
    out += ')';
}

}  // namespace tavrel
