#include "tavrel/siphash.hpp"

#include <array>
#include <cstdint>

#include <gtest/gtest.h>

namespace tavrel {
namespace {

// Messages are the bytes 0, 1, ..., len-1. Expected values come from an independent
// implementation (reference_values.py), whose construction is checked there against the
// published SipHash-2-4 vector; the zero-key values also agree with CPython's bytes hash
// under PYTHONHASHSEED=0 (which uses SipHash-1-3) for non-empty messages.
struct SipCase {
    std::size_t len;
    std::uint64_t k0, k1;
    std::uint64_t expected;
};

constexpr std::array<std::uint8_t, 64> counting_bytes() {
    std::array<std::uint8_t, 64> bytes{};
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        bytes[n] = static_cast<std::uint8_t>(n);
    }
    return bytes;
}

constexpr auto kMessage = counting_bytes();
constexpr std::uint64_t kKey0 = 0x0706050403020100;
constexpr std::uint64_t kKey1 = 0x0f0e0d0c0b0a0908;

void PrintTo(const SipCase& c, std::ostream* os) {
    *os << "len " << c.len << (c.k0 == 0 ? " zero key" : " key 00..0f");
}

class SipHashTest : public ::testing::TestWithParam<SipCase> {};

TEST_P(SipHashTest, MatchesReference) {
    const SipCase& c = GetParam();
    EXPECT_EQ(siphash13(kMessage.data(), c.len, c.k0, c.k1), c.expected) << "len " << c.len;
}

// Lengths cover the empty message, partial and exact final blocks and several full blocks.
INSTANTIATE_TEST_SUITE_P(
    Vectors, SipHashTest,
    ::testing::Values(SipCase{0, 0, 0, 0xd1fba762150c532c}, SipCase{1, 0, 0, 0x68a914128e01e473},
                      SipCase{7, 0, 0, 0x2f098ab0c751325a}, SipCase{8, 0, 0, 0xead411e67ebe2eea},
                      SipCase{9, 0, 0, 0x75927f9d95124362}, SipCase{15, 0, 0, 0xf30eb725bb91c9ea},
                      SipCase{16, 0, 0, 0x8972188433a5c5b7}, SipCase{24, 0, 0, 0x31185a47af932f3a},
                      SipCase{63, 0, 0, 0x385d3e39e5f37359},
                      SipCase{0, kKey0, kKey1, 0xabac0158050fc4dc},
                      SipCase{1, kKey0, kKey1, 0xc9f49bf37d57ca93},
                      SipCase{8, kKey0, kKey1, 0x369095118d299a8e},
                      SipCase{15, kKey0, kKey1, 0xd320d86d2a519956}));

TEST(SipHash, UsableInConstantExpressions) {
    static_assert(siphash13(kMessage.data(), 24) == 0x31185a47af932f3a);
}

}  // namespace
}  // namespace tavrel
