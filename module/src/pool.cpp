#include "pool.hpp"

#include <dirent.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/info.h>
#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/partitioner.h>
#include <oneapi/tbb/task_arena.h>

namespace lorvik::pool {
namespace {

std::size_t available_processors() noexcept {
    const int count = tbb::info::default_concurrency();
    return count > 0 ? static_cast<std::size_t>(count) : 1;
}

// The largest pool RAYON_NUM_THREADS may ask for: oneTBB's own default ceiling
// for its workers (four per processor, at least 256). A larger pool only adds
// threads that wait, every one of which starts with the pool and wakes for
// every call; asked for some millions, oneTBB cannot even allocate its tables
// and spins.
std::size_t max_threads() noexcept {
    return std::max<std::size_t>(4 * available_processors(), 256);
}

// RAYON_NUM_THREADS when it holds a positive integer, at most max_threads().
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
    const bool too_large = error == std::errc::result_out_of_range;
    if (end != last || text == last || (error != std::errc{} && !too_large) ||
        (!too_large && value == 0)) {
        return std::nullopt;
    }
    return too_large ? max_threads() : std::min(value, max_threads());
}

// Set in a child process forked after the pool started: the child has the
// pool's bookkeeping but none of its threads, so it must not enter the arena.
std::atomic<bool> forked_child{false};

void after_fork_in_child() noexcept {
    forked_child.store(true, std::memory_order_relaxed);
}

// The threads of this process, or nothing where /proc cannot tell.
std::optional<std::size_t> live_threads() noexcept {
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr) {
        return std::nullopt;
    }
    std::size_t count = 0;
    while (const dirent* entry = readdir(tasks)) {
        count += entry->d_name[0] != '.';
    }
    closedir(tasks);
    return count;
}

void* wait_until_open(void* gate) noexcept {
    auto& open = *static_cast<std::atomic<bool>*>(gate);
    open.wait(false, std::memory_order_acquire);
    return nullptr;
}

// How many of `wanted` threads, with the stack oneTBB gives its workers, the
// process can start and keep at once. A process limit (ulimit -u, a
// container's pids limit) or memory may refuse some. oneTBB starts most of its
// workers from other workers, where a refused thread ends the whole process,
// so the pool asks for no more than were just started here.
std::size_t startable_threads(std::size_t wanted) noexcept {
    const std::optional<std::size_t> before = live_threads();
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        return 0;
    }
    const std::size_t stack =
        tbb::global_control::active_value(tbb::global_control::thread_stack_size);
    if (stack > 0) {
        static_cast<void>(pthread_attr_setstacksize(&attributes, stack));
    }
    std::atomic<bool> open{false};
    std::vector<pthread_t> started;
    try {
        started.reserve(wanted);
    } catch (const std::bad_alloc&) {
        wanted = started.capacity();
    }
    while (started.size() < wanted) {
        pthread_t thread{};
        if (pthread_create(&thread, &attributes, &wait_until_open, &open) != 0) {
            break;
        }
        started.push_back(thread);
    }
    pthread_attr_destroy(&attributes);
    open.store(true, std::memory_order_release);
    open.notify_all();
    for (const pthread_t thread : started) {
        pthread_join(thread, nullptr);
    }
    // A joined thread still counts against the process limits for a moment,
    // until the kernel has reaped it; oneTBB's first threads would meet them.
    if (before) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (live_threads().value_or(0) > *before &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    }
    return started.size();
}

class Pool {
  public:
    Pool() {
        const std::size_t wanted = requested_threads().value_or(available_processors());
        threads_ = wanted == 1 ? 1 : 1 + startable_threads(wanted - 1);
        if (threads_ > 1) {
            start_workers();
        }
        pthread_atfork(nullptr, nullptr, &after_fork_in_child);
    }

    [[nodiscard]] std::size_t threads() const noexcept { return threads_; }

    void run(std::size_t n, std::size_t grain, ChunkBody body) {
        try {
            arena_.execute([&] {
                tbb::parallel_for(tbb::blocked_range<std::size_t>(0, n, grain),
                                  [&](const tbb::blocked_range<std::size_t>& range) {
                                      body(range.begin(), range.end());
                                  });
            });
        } catch (const std::runtime_error& error) {
            // oneTBB reports a worker it could not start this way (workers
            // all start with the pool, so only if the process's limits
            // changed since).
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again),
                std::string("the worker pool could not start a thread: ") + error.what());
        }
    }

  private:
    // Has oneTBB start every worker now, while the threads just counted can
    // be started: one task per thread, each waiting until all have begun, so
    // that no task runs on a thread that already ran one. After that no call
    // starts a thread. Should oneTBB supply fewer threads, the wait ends after
    // a while; should it fail to start one here, the pool works alone.
    void start_workers() {
        // An arena wider than the library's default parallelism is capped
        // (with a warning on stderr) unless the global limit is raised first.
        if (threads_ > available_processors()) {
            limit_.emplace(tbb::global_control::max_allowed_parallelism, threads_);
        }
        arena_.initialize(static_cast<int>(threads_));
        std::mutex mutex;
        std::condition_variable all_began;
        std::size_t began = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        try {
            arena_.execute([&] {
                tbb::parallel_for(
                    tbb::blocked_range<std::size_t>(0, threads_, 1),
                    [&](const tbb::blocked_range<std::size_t>&) {
                        std::unique_lock lock(mutex);
                        if (++began == threads_) {
                            all_began.notify_all();
                        }
                        all_began.wait_until(lock, deadline, [&] { return began == threads_; });
                    },
                    tbb::simple_partitioner());
            });
        } catch (const std::runtime_error&) {
            threads_ = 1;
        }
    }

    std::size_t threads_ = 1;
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
