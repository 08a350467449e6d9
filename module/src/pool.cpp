#include "pool.hpp"

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/info.h>
#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/task_arena.h>

namespace lorvik::pool {
namespace {

// RAYON_NUM_THREADS when it holds a positive integer.
std::optional<std::size_t> requested_threads() noexcept {
    const char* text = std::getenv("RAYON_NUM_THREADS");
    if (text == nullptr) {
        return std::nullopt;
    }
    const char* const last = text + std::strlen(text);
    if (*text == '+') {
        ++text;
    }
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text, last, value);
    if (error != std::errc{} || end != last || text == last || value == 0) {
        return std::nullopt;
    }
    // The library counts threads in an int.
    return std::min<std::size_t>(value, std::numeric_limits<int>::max());
}

std::size_t available_processors() noexcept {
    const int count = tbb::info::default_concurrency();
    return count > 0 ? static_cast<std::size_t>(count) : 1;
}

// Set in a child process forked after the pool started: the child has the
// pool's bookkeeping but none of its threads, so it must not enter the arena.
std::atomic<bool> forked_child{false};

void after_fork_in_child() noexcept {
    forked_child.store(true, std::memory_order_relaxed);
}

class Pool {
  public:
    Pool() : threads_(requested_threads().value_or(available_processors())) {
        // An arena wider than the library's default parallelism is capped
        // (with a warning on stderr) unless the global limit is raised first.
        if (threads_ > available_processors()) {
            limit_.emplace(tbb::global_control::max_allowed_parallelism, threads_);
        }
        arena_.initialize(static_cast<int>(threads_));
        pthread_atfork(nullptr, nullptr, &after_fork_in_child);
    }

    [[nodiscard]] std::size_t threads() const noexcept { return threads_; }

    void run(std::size_t n, std::size_t grain, ChunkBody body) {
        arena_.execute([&] {
            tbb::parallel_for(tbb::blocked_range<std::size_t>(0, n, grain),
                              [&](const tbb::blocked_range<std::size_t>& range) {
                                  body(range.begin(), range.end());
                              });
        });
    }

  private:
    std::size_t threads_;
    std::optional<tbb::global_control> limit_;
    tbb::task_arena arena_;
};

// The pool is never destroyed: its threads may be gone (after fork) or busy
// at exit, and joining them then could block the process's end.
template <class T>
class Immortal {
  public:
    Immortal() { std::construct_at(pointer()); }
    Immortal(const Immortal&) = delete;
    Immortal& operator=(const Immortal&) = delete;
    ~Immortal() = default;  // deliberately leaves the object alive

    T& get() noexcept { return *std::launder(pointer()); }

  private:
    T* pointer() noexcept { return reinterpret_cast<T*>(storage_); }

    alignas(T) std::byte storage_[sizeof(T)];
};

Pool& the_pool() {
    static Immortal<Pool> pool;
    return pool.get();
}

}  // namespace

std::size_t thread_count() {
    return the_pool().threads();
}

void ensure() {
    the_pool();
}

void for_each_chunk(std::size_t n, std::size_t grain, ChunkBody body) {
    Pool& pool = the_pool();
    if (grain == 0) {
        grain = 1;
    }
    if (n == 0) {
        return;
    }
    if (n <= grain || pool.threads() == 1 || forked_child.load(std::memory_order_relaxed)) {
        body(0, n);
        return;
    }
    pool.run(n, grain, body);
}

}  // namespace lorvik::pool
