// The layout of every instance (header, wrapped value, borrow counter), the
// borrow guards, and the map from a core value type to its Python class.
#pragma once

#include <Python.h>

#include <array>
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "binding/errors.hpp"
#include "binding/fixed_string.hpp"
#include "binding/messages.hpp"

namespace lorvik {

// 0: free; all bits set: one exclusive borrow; otherwise the number of shared
// borrows. With the interpreter lock every update is already serialised, so a
// plain load and store are enough there (a locked instruction costs several
// nanoseconds per borrow); without it, the updates are atomic read-modify-writes
// and a conflict fails at once instead of waiting.
class BorrowCounter {
  public:
    static constexpr std::uint64_t exclusive = ~std::uint64_t{0};

    [[nodiscard]] bool try_shared() noexcept {
        std::uint64_t current = count_.load(std::memory_order_relaxed);
#ifdef Py_GIL_DISABLED
        do {
            if (current >= exclusive - 1) {
                return false;
            }
        } while (!count_.compare_exchange_weak(current, current + 1, std::memory_order_acquire,
                                               std::memory_order_relaxed));
        return true;
#else
        if (current >= exclusive - 1) {
            return false;
        }
        count_.store(current + 1, std::memory_order_relaxed);
        return true;
#endif
    }

    void release_shared() noexcept {
#ifdef Py_GIL_DISABLED
        count_.fetch_sub(1, std::memory_order_release);
#else
        count_.store(count_.load(std::memory_order_relaxed) - 1, std::memory_order_relaxed);
#endif
    }

    [[nodiscard]] bool try_exclusive() noexcept {
#ifdef Py_GIL_DISABLED
        std::uint64_t expected = 0;
        return count_.compare_exchange_strong(expected, exclusive, std::memory_order_acquire,
                                              std::memory_order_relaxed);
#else
        if (count_.load(std::memory_order_relaxed) != 0) {
            return false;
        }
        count_.store(exclusive, std::memory_order_relaxed);
        return true;
#endif
    }

    void release_exclusive() noexcept {
        count_.store(0, std::memory_order_release);
    }

    // Whether try_shared() would succeed now.
    [[nodiscard]] bool shareable() const noexcept {
        return count_.load(std::memory_order_relaxed) < exclusive - 1;
    }

  private:
    std::atomic<std::uint64_t> count_{0};
};

// Each bound core type names its Python class here (see classes.hpp); the type
// object is made once per process, during the first import.
template <class T>
struct Class;  // { static constexpr FixedString name; static constexpr Holds holds; }

// What an instance holds: one value made of doubles alone, which every read
// copies whole (Vec3d, Quat, the angles, Plane, Circle), or anything else.
enum class Holds { doubles, other };

template <class T>
concept Bound = requires {
    Class<T>::name;
};

template <class T>
concept OneValue = Bound<T> && Class<T>::holds == Holds::doubles;

// Whether instances of T carry a version word beside the value: OneValue
// classes, on builds without the interpreter lock only.
#ifdef Py_GIL_DISABLED
template <class T>
inline constexpr bool versioned = OneValue<T>;
#else
template <class T>
inline constexpr bool versioned = false;
#endif

#ifdef Py_GIL_DISABLED
// The version word: even while no write is in progress, odd during one. Pure
// reads copy the value between two loads of it instead of taking a shared
// borrow, so that threads reading one object write nothing to it (every write
// to the counter moves the object's cache line between the cores). Only the
// holder of the exclusive borrow changes it, so it needs no read-modify-write.
class ValueVersion {
  public:
    [[nodiscard]] std::uint64_t load() const noexcept {
        return word_.load(std::memory_order_acquire);
    }

    // After the copy: the fence keeps the copy's loads before this one, so
    // a copy that saw any store of a write sees its odd version here.
    [[nodiscard]] bool unchanged(std::uint64_t before) const noexcept {
        std::atomic_thread_fence(std::memory_order_acquire);
        return word_.load(std::memory_order_relaxed) == before;
    }

    // Under the exclusive borrow: odd before the value changes (the fence
    // keeps the value's stores after it) ...
    void begin_write() noexcept {
        word_.store(word_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_release);
    }
    // ... and even again once every store of the value is visible.
    void end_write() noexcept {
        word_.store(word_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    }

    [[nodiscard]] static bool writing(std::uint64_t version) noexcept { return (version & 1) != 0; }

  private:
    std::atomic<std::uint64_t> word_{0};
};

struct NoVersion {};

template <class T>
using VersionOf = std::conditional_t<versioned<T>, ValueVersion, NoVersion>;

// A value made of doubles alone (a OneValue value or one of its members), read
// or written one double at a time with atomic accesses, so that a copy racing
// a write is no data race (it may mix old and new doubles; the version word
// tells).
template <class T>
struct Doubles {
    static_assert(std::is_trivially_copyable_v<T> && sizeof(T) % sizeof(double) == 0 &&
                  alignof(T) == alignof(double));
    static_assert(std::atomic_ref<double>::is_always_lock_free);
    static constexpr std::size_t count = sizeof(T) / sizeof(double);

    [[nodiscard]] static T load(const T& source) noexcept {
        double* from = reinterpret_cast<double*>(const_cast<T*>(&source));
        std::array<double, count> copy;
        each([&](std::size_t i) {
            copy[i] = std::atomic_ref<double>(from[i]).load(std::memory_order_relaxed);
        });
        return std::bit_cast<T>(copy);
    }

    static void store(T& target, const T& value) noexcept {
        double* to = reinterpret_cast<double*>(&target);
        const auto copy = std::bit_cast<std::array<double, count>>(value);
        each([&](std::size_t i) {
            std::atomic_ref<double>(to[i]).store(copy[i], std::memory_order_relaxed);
        });
    }

  private:
    // f(0), ..., f(count - 1), unrolled: a loop stays a loop for the compiler
    // once its accesses are atomic.
    template <class F>
    static void each(F f) noexcept {
        [&f]<std::size_t... I>(std::index_sequence<I...>) {
            (f(I), ...);
        }
        (std::make_index_sequence<count>{});
    }
};
#endif

template <class T>
struct Instance {
    PyObject_HEAD T value;
#ifdef Py_GIL_DISABLED
    [[no_unique_address]] VersionOf<T> version;
#endif
    BorrowCounter borrow;
};

template <class T>
inline PyTypeObject* class_type = nullptr;

template <class T>
[[nodiscard]] inline Instance<T>* instance_of(PyObject* object) noexcept {
    return reinterpret_cast<Instance<T>*>(object);
}

// Classes are final, so an exact type test is the instance test.
template <Bound T>
[[nodiscard]] inline bool is_instance(PyObject* object) noexcept {
    return Py_IS_TYPE(object, class_type<T>);
}

// Memory of recently freed instances of one class, reused by the next new
// instance: most results are short-lived temporaries, and skipping the
// allocator both ways is a good part of a small call's cost (the interpreter
// keeps such lists for its floats and tuples for the same reason). Only with
// the interpreter lock, which serialises every use; without it, each call
// goes to the allocator. AddressSanitizer builds skip it too, so that a use of
// a freed instance meets freed memory instead of a recycled object.
#if !defined(Py_GIL_DISABLED) && !defined(__SANITIZE_ADDRESS__)
#define LORVIK_FREE_LIST 1
#endif

template <class T>
class FreeList {
  public:
    [[nodiscard]] static void* pop() noexcept {
#ifdef LORVIK_FREE_LIST
        if (count_ > 0) {
            return items_[--count_];
        }
#endif
        return nullptr;
    }

    // False when the list is full; the caller frees the memory then.
    [[nodiscard]] static bool push(void* memory) noexcept {
#ifdef LORVIK_FREE_LIST
        if (count_ < capacity) {
            items_[count_++] = memory;
            return true;
        }
#endif
        static_cast<void>(memory);
        return false;
    }

  private:
    static constexpr int capacity = 64;
    static inline void* items_[capacity]{};
    static inline int count_ = 0;
};

// A new instance holding `value`. Non-GC objects: plain allocation plus
// header initialisation is all PyType_GenericAlloc would do, minus a memset.
template <Bound T, class... Args>
[[nodiscard]] PyObject* new_instance(Args&&... args) {
    PyTypeObject* type = class_type<T>;
    if (type == nullptr) {
        throw_class_not_initialized(Class<T>::name.c_str());
    }
    void* memory = FreeList<T>::pop();
    if (memory == nullptr) {
        memory = PyObject_Malloc(sizeof(Instance<T>));
    }
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    auto* self = static_cast<Instance<T>*>(memory);
    if constexpr (std::is_nothrow_constructible_v<T, Args&&...>) {
        std::construct_at(&self->value, std::forward<Args>(args)...);
    } else {
        try {
            std::construct_at(&self->value, std::forward<Args>(args)...);
        } catch (...) {
            if (!FreeList<T>::push(memory)) {
                PyObject_Free(memory);
            }
            throw;
        }
    }
#ifdef Py_GIL_DISABLED
    std::construct_at(&self->version);
#endif
    std::construct_at(&self->borrow);
    return PyObject_Init(reinterpret_cast<PyObject*>(self), type);
}

template <class T>
void dealloc_instance(PyObject* object) noexcept {
    PyTypeObject* type = Py_TYPE(object);
    std::destroy_at(&instance_of<T>(object)->value);
    if (!FreeList<T>::push(object)) {
        type->tp_free(object);
    }
    Py_DECREF(type);
}

enum class Access { shared, exclusive };

// Holds one borrow of an instance for its lifetime. An exclusive borrow of a
// versioned instance keeps its version word odd while it is held.
template <class T, Access Mode>
class Borrow {
    static constexpr bool versioned_write = Mode == Access::exclusive && versioned<T>;

  public:
    Borrow() noexcept = default;
    Borrow(const Borrow&) = delete;
    Borrow& operator=(const Borrow&) = delete;
    ~Borrow() { release(); }

    // Takes the borrow; sets RuntimeError and returns false when refused.
    [[nodiscard]] bool acquire(PyObject* object) noexcept {
        Instance<T>* self = instance_of<T>(object);
        const bool taken =
            Mode == Access::shared ? self->borrow.try_shared() : self->borrow.try_exclusive();
        if (!taken) {
            set_borrow_refused(Mode);
            return false;
        }
        self_ = self;
#ifdef Py_GIL_DISABLED
        if constexpr (versioned_write) {
            self->version.begin_write();
        }
#endif
        return true;
    }

    void release() noexcept {
        if (self_ != nullptr) {
            if constexpr (Mode == Access::shared) {
                self_->borrow.release_shared();
            } else {
#ifdef Py_GIL_DISABLED
                if constexpr (versioned_write) {
                    self_->version.end_write();
                }
#endif
                self_->borrow.release_exclusive();
            }
            self_ = nullptr;
        }
    }

    // A versioned value is changed only through assign().
    [[nodiscard]] std::conditional_t<Mode == Access::shared, const T&, T&> get() const noexcept
        requires(!versioned_write) {
        return self_->value;
    }

    // Replaces one member of the value; a versioned value's member is stored
    // one double at a time, since pure reads copy it without a borrow.
    template <class M>
    void assign(M T::*member, const M& value) noexcept requires(Mode == Access::exclusive) {
#ifdef Py_GIL_DISABLED
        if constexpr (versioned_write) {
            Doubles<M>::store(self_->value.*member, value);
            return;
        }
#endif
        self_->value.*member = value;
    }

  private:
    Instance<T>* self_ = nullptr;
};

// The reads of a call that runs no Python code between taking a value and
// finishing with it: getters, hash and comparisons (ReadBorrow), and calls
// whose parameters all convert without Python code (SharedRead<T, true>, see
// pure_call in convert.hpp). Other calls take the shared borrow
// (SharedRead<T, false>).
//
// Without the interpreter lock, a versioned instance is copied without a
// borrow (ValueRead), any other is borrowed. With the lock, nothing can take
// an exclusive borrow during such a call, so ReadBorrow only checks that a
// shared borrow would be granted and leaves the counter alone; calls with
// parameters borrow.
#ifdef Py_GIL_DISABLED
// The copy is taken between two loads of the version word: a write in
// progress at the first load refuses the read as the shared borrow would be
// refused; a write that ends during the copy makes it copy again, and after a
// few such tries the copy is taken under the shared borrow, which holds
// writers off. A writer racing such a read is thus never refused because of
// it, and the read never returns a value that was not stored whole.
template <class T>
class ValueRead {
  public:
    [[nodiscard]] bool acquire(PyObject* object) noexcept {
        Instance<T>* self = instance_of<T>(object);
        for (int attempt = 0; attempt < attempts; ++attempt) {
            const std::uint64_t before = self->version.load();
            if (ValueVersion::writing(before)) {
                set_borrow_refused(Access::shared);
                return false;
            }
            value_ = Doubles<T>::load(self->value);
            if (self->version.unchanged(before)) {
                return true;
            }
        }
        Borrow<T, Access::shared> borrow;
        if (!borrow.acquire(object)) {
            return false;
        }
        value_ = borrow.get();
        return true;
    }

    [[nodiscard]] const T& get() const noexcept { return value_; }

  private:
    static constexpr int attempts = 4;
    T value_;
};

template <class T, bool Pure>
using SharedRead =
    std::conditional_t<Pure && versioned<T>, ValueRead<T>, Borrow<T, Access::shared>>;

template <class T>
using ReadBorrow = SharedRead<T, true>;
#else
template <class T, bool Pure>
using SharedRead = Borrow<T, Access::shared>;

template <class T>
class ReadBorrow {
  public:
    // Sets RuntimeError and returns false when a shared borrow would be refused.
    [[nodiscard]] bool acquire(PyObject* object) noexcept {
        self_ = instance_of<T>(object);
        if (!self_->borrow.shareable()) {
            set_borrow_refused(Access::shared);
            return false;
        }
        return true;
    }

    [[nodiscard]] const T& get() const noexcept { return self_->value; }

  private:
    const Instance<T>* self_ = nullptr;
};
#endif

}  // namespace lorvik
