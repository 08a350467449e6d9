// SipHash-1-3: one compression round per 8-byte block, three finalisation rounds.
//
// Used for the value hash of vectors, which must not depend on the process, so callers pass a
// fixed key (the vector hash uses the all-zero key).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace tavrel {

namespace detail {

struct SipState {
    std::uint64_t v0, v1, v2, v3;

    constexpr void round() noexcept {
        v0 += v1;
        v1 = std::rotl(v1, 13);
        v1 ^= v0;
        v0 = std::rotl(v0, 32);
        v2 += v3;
        v3 = std::rotl(v3, 16);
        v3 ^= v2;
        v0 += v3;
        v3 = std::rotl(v3, 21);
        v3 ^= v0;
        v2 += v1;
        v1 = std::rotl(v1, 17);
        v1 ^= v2;
        v2 = std::rotl(v2, 32);
    }

    constexpr void compress(std::uint64_t m) noexcept {
        v3 ^= m;
        round();
        v0 ^= m;
    }

    static constexpr SipState keyed(std::uint64_t k0, std::uint64_t k1) noexcept {
        return {k0 ^ 0x736f6d6570736575ULL, k1 ^ 0x646f72616e646f6dULL, k0 ^ 0x6c7967656e657261ULL,
                k1 ^ 0x7465646279746573ULL};
    }

    constexpr std::uint64_t finish() noexcept {
        v2 ^= 0xff;
        round();
        round();
        round();
        return v0 ^ v1 ^ v2 ^ v3;
    }
};

// Little-endian load of `len` (at most 8) bytes, written bytewise so that it is usable in
// constant expressions and independent of the host byte order.
constexpr std::uint64_t load_le(const std::uint8_t* p, std::size_t len) noexcept {
    std::uint64_t value = 0;
    for (std::size_t n = 0; n < len; ++n) {
        value |= std::uint64_t{p[n]} << (8 * n);
    }
    return value;
}

}  // namespace detail

constexpr std::uint64_t siphash13(const std::uint8_t* data, std::size_t len, std::uint64_t k0 = 0,
                                  std::uint64_t k1 = 0) noexcept {
    detail::SipState s = detail::SipState::keyed(k0, k1);

    const std::size_t tail = len % 8;
    const std::uint8_t* const end = data + (len - tail);
    for (const std::uint8_t* p = data; p != end; p += 8) {
        s.compress(detail::load_le(p, 8));
    }
    // The final block carries the remaining bytes and, in its top byte, the length mod 256.
    s.compress(detail::load_le(end, tail) | (std::uint64_t{len & 0xff} << 56));
    return s.finish();
}

// The same hash for a message of N whole 64-bit words, each contributing its 8 little-endian
// bytes: no byte shuffling, so a vector hash costs the rounds alone.
template <std::size_t N>
constexpr std::uint64_t siphash13_words(const std::uint64_t (&words)[N], std::uint64_t k0 = 0,
                                        std::uint64_t k1 = 0) noexcept {
    detail::SipState s = detail::SipState::keyed(k0, k1);
    for (const std::uint64_t word : words) {
        s.compress(word);
    }
    s.compress(std::uint64_t{(8 * N) & 0xff} << 56);
    return s.finish();
}

}  // namespace tavrel
