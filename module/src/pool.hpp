// The process-wide worker pool and the two ordered operations that run on it.
//
// The pool is made by the first call of any operation below and kept for the
// life of the process. Its size comes from RAYON_NUM_THREADS when that holds a
// positive integer (at most four per processor, or 256 if that is more: the
// most worker threads oneTBB starts unless told otherwise, beyond which a pool
// only adds waiting), else one thread per processor
// available to the process; but never more threads than the process can start
// at that moment, and all of them start with the pool, so that no later call
// meets a process limit. The calling thread is one of those threads: it works
// on the range and returns only when every chunk is done. Chunk bodies must
// not touch interpreter objects.
//
// Both operations are deterministic: the map writes slot i from element i,
// and the reduction combines chunk results left to right, keeping the left
// operand on ties, so no result depends on how the range was split or which
// thread ran a chunk.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

namespace lorvik::pool {

class ChunkBody;

template <class F>
concept ChunkCallable = !std::same_as<std::remove_cvref_t<F>, ChunkBody> &&
                        std::invocable<F&, std::size_t, std::size_t>;

// A non-owning reference to a callable taking a chunk [begin, end).
class ChunkBody {
  public:
    template <ChunkCallable F>
    ChunkBody(F& body) noexcept  // NOLINT(google-explicit-constructor): a view
        : object_(std::addressof(body)), call_(&invoke<F>) {}

    void operator()(std::size_t begin, std::size_t end) const { call_(object_, begin, end); }

  private:
    template <class F>
    static void invoke(void* object, std::size_t begin, std::size_t end) {
        (*static_cast<F*>(object))(begin, end);
    }

    void* object_;
    void (*call_)(void*, std::size_t, std::size_t);
};

// Number of threads of the pool, the calling thread included; makes the pool.
std::size_t thread_count();

// Makes the pool if this is the first parallel call of the process.
void ensure();

// Runs body over [0, n) in chunks of at least `grain` elements (except a
// shorter last one) and waits. A range of at most `grain` elements runs on
// the calling thread as one chunk. Exceptions thrown by a chunk reach the
// caller after the other chunks have stopped.
void for_each_chunk(std::size_t n, std::size_t grain, ChunkBody body);

namespace detail {

// Element loops are also compiled for AVX-512 and AVX2 and picked at load
// time for the processor. A vector instruction performs the same IEEE
// operation in each lane as its scalar form (the build never contracts into
// fused multiply-adds), so every clone writes the baseline's bits.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define LORVIK_VECTOR_CLONES \
    __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define LORVIK_VECTOR_CLONES
#endif

template <class T, class Element>
LORVIK_VECTOR_CLONES void map_range(T* slots, std::size_t begin, std::size_t end,
                                    const Element& element) {
    for (std::size_t i = begin; i < end; ++i) {
        slots[i] = element(i);
    }
}

}  // namespace detail

// Numeric maps cut the range only at multiples of this many elements, whatever
// the thread count. A vectorised loop computes most elements in its vector
// body and the last few of a chunk in a scalar remainder, and the two may
// order the operands of an addition differently, which decides which NaN a
// result carries where two NaNs meet. With cuts that do not move, every
// element is computed by the same instructions on every pool. (A multiple of
// any vector width; 256 elements of 24 bytes also keep each cut at the
// alignment of the array's start.)
inline constexpr std::size_t map_block = 256;

// out[i] = element(i) for every slot of `out`.
template <class T, class Element>
void map_into(std::span<T> out, std::size_t grain, const Element& element) {
    if constexpr (std::is_trivially_copyable_v<T>) {
        const std::size_t n = out.size();
        auto body = [&](std::size_t first_block, std::size_t end_block) {
            detail::map_range(out.data(), first_block * map_block,
                              std::min(n, end_block * map_block), element);
        };
        for_each_chunk((n + map_block - 1) / map_block, std::max<std::size_t>(1, grain / map_block),
                       body);
    } else {
        auto body = [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) {
                out[i] = element(i);
            }
        };
        for_each_chunk(out.size(), grain, body);
    }
}

// The best element(i), i in [0, n), the lowest i among equally good ones;
// better(a, b) says a is strictly preferable to b. Empty for n == 0. Each
// chunk scans in ascending order and replaces its best only by a strictly
// better value; chunk results are then folded left to right the same way, so
// the result does not depend on the chunks.
template <class T, class Element, class Better>
std::optional<T> reduce(std::size_t n, std::size_t grain, Element&& element, Better&& better) {
    ensure();
    if (n == 0) {
        return std::nullopt;
    }
    // A few chunks per thread let a thread that finishes early take another.
    const std::size_t wanted = 4 * thread_count();
    const std::size_t size = std::max(grain, (n + wanted - 1) / wanted);
    const std::size_t chunks = (n + size - 1) / size;
    auto scan = [&](std::size_t begin, std::size_t end) {
        T best = element(begin);
        for (std::size_t i = begin + 1; i < end; ++i) {
            T candidate = element(i);
            if (better(candidate, best)) {
                best = std::move(candidate);
            }
        }
        return best;
    };
    if (chunks == 1) {
        return scan(0, n);
    }
    std::vector<std::optional<T>> partial(chunks);
    auto body = [&](std::size_t first_chunk, std::size_t last_chunk) {
        for (std::size_t c = first_chunk; c < last_chunk; ++c) {
            partial[c].emplace(scan(c * size, std::min(n, (c + 1) * size)));
        }
    };
    for_each_chunk(chunks, 1, body);
    T best = std::move(*partial.front());
    for (std::size_t c = 1; c < chunks; ++c) {
        if (better(*partial[c], best)) {
            best = std::move(*partial[c]);
        }
    }
    return best;
}

}  // namespace lorvik::pool
