// Helpers for bit-exact expectations in the tests.
#pragma once

#include <bit>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "tavrel/vec3d.hpp"

namespace tavrel::test {

inline std::uint64_t bits(double v) {
    return std::bit_cast<std::uint64_t>(v);
}

inline double from_bits(std::uint64_t b) {
    return std::bit_cast<double>(b);
}

inline std::string hex(std::uint64_t b) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(b));
    return text;
}

inline constexpr double nan = std::numeric_limits<double>::quiet_NaN();
inline constexpr double inf = std::numeric_limits<double>::infinity();

// The value, hidden from the optimiser, so that arithmetic on it happens at run time as on data
// a program reads. Clang folds inf - inf with known operands into a NaN without the sign bit that
// x86-64 sets at run time.
inline double opaque(double v) {
    volatile double hidden = v;
    return hidden;
}

struct Bits3 {
    std::uint64_t x, y, z;
    friend bool operator==(const Bits3&, const Bits3&) = default;
};

// Compares all three components by bit pattern, so signed zeros and NaN are checked exactly.
inline ::testing::AssertionResult same_bits(const Vec3d& v, Bits3 expected) {
    if (bits(v.x) == expected.x && bits(v.y) == expected.y && bits(v.z) == expected.z) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "got {" << hex(bits(v.x)) << ", " << hex(bits(v.y)) << ", " << hex(bits(v.z)) << "} ("
           << to_string(v) << "), expected {" << hex(expected.x) << ", " << hex(expected.y) << ", "
           << hex(expected.z) << "}";
}

inline ::testing::AssertionResult same_bits(const Vec3d& v, const Vec3d& expected) {
    return same_bits(v, Bits3{bits(expected.x), bits(expected.y), bits(expected.z)});
}

}  // namespace tavrel::test

namespace tavrel {
// Readable parameter values in test names and failure messages.
inline void PrintTo(const Vec3d& v, std::ostream* os) {
    *os << to_string(v);
}
}  // namespace tavrel
