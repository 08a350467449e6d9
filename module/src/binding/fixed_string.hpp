// Compile-time strings usable as template arguments, so that names, display
// names and text signatures of every entry are built by the compiler.
#pragma once

#include <algorithm>
#include <cstddef>

namespace lorvik {

template <std::size_t N>
struct FixedString {
    char data[N]{};

    constexpr FixedString(const char (&text)[N]) noexcept { std::copy_n(text, N, data); }
    constexpr FixedString() noexcept = default;

    [[nodiscard]] constexpr const char* c_str() const noexcept { return data; }
    [[nodiscard]] static constexpr std::size_t size() noexcept { return N - 1; }
};

// Concatenation of several FixedStrings into one, e.g. "Vec3d" "." "dot" "()".
template <FixedString... Parts>
struct Concat {
    static constexpr std::size_t length = (Parts.size() + ... + 0);
    static constexpr auto value = [] {
        FixedString<length + 1> out;
        std::size_t at = 0;
        ((std::copy_n(Parts.data, Parts.size(), out.data + at), at += Parts.size()), ...);
        out.data[length] = '\0';
        return out;
    }();
};

template <FixedString... Parts>
inline constexpr const char* concat = Concat<Parts...>::value.data;

// "a, b, c" from the names a, b, c (empty for no names).
template <FixedString... Names>
struct JoinParams;

template <>
struct JoinParams<> {
    static constexpr FixedString value{""};
};

template <FixedString First, FixedString... Rest>
struct JoinParams<First, Rest...> {
    static constexpr auto value =
        Concat<First, Concat<", ", JoinParams<Rest...>::value>::value>::value;
};

template <FixedString Last>
struct JoinParams<Last> {
    static constexpr auto value = Last;
};

}  // namespace lorvik
