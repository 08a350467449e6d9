// The layout of every instance (header, wrapped value, borrow counter), the
// borrow guards, and the map from a core value type to its Python class.
#pragma once

#include <Python.h>

#include <atomic>
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

template <class T>
struct Instance {
    PyObject_HEAD T value;
    BorrowCounter borrow;
};

// Each bound core type names its Python class here (see classes.hpp); the type
// object is made once per process, during the first import.
template <class T>
struct Class;  // { static constexpr FixedString name; }

template <class T>
concept Bound = requires {
    Class<T>::name;
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

// Holds one borrow of an instance for its lifetime.
template <class T, Access Mode>
class Borrow {
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
        return true;
    }

    void release() noexcept {
        if (self_ != nullptr) {
            if constexpr (Mode == Access::shared) {
                self_->borrow.release_shared();
            } else {
                self_->borrow.release_exclusive();
            }
            self_ = nullptr;
        }
    }

    [[nodiscard]] std::conditional_t<Mode == Access::shared, const T&, T&> get() const noexcept {
        return self_->value;
    }

  private:
    Instance<T>* self_ = nullptr;
};

// A shared borrow for code that only reads the value and runs no Python code
// (and keeps the interpreter lock) until it is done: getters, hash,
// comparisons. With the interpreter lock nothing can take an exclusive borrow
// meanwhile, so checking that a shared borrow would be granted is enough and
// the counter is left alone; without the lock the borrow is taken.
#ifdef Py_GIL_DISABLED
template <class T>
using ReadBorrow = Borrow<T, Access::shared>;
#else
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
