// Allocator for large arrays of plain values (element arrays, result arrays).
//
// - Elements are default-initialised: resize() on doubles leaves them
//   unwritten, since every result array is fully overwritten by a map.
// - Blocks of 4 MiB and more ask the kernel for transparent huge pages, which
//   cut the cost of faulting in fresh memory about 15-fold (a 4 KiB page costs
//   about 10 µs).
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

namespace lorvik {

namespace detail {
[[nodiscard]] void* allocate_bulk(std::size_t bytes);
void deallocate_bulk(void* pointer, std::size_t bytes) noexcept;
}  // namespace detail

template <class T>
struct BulkAllocator {
    using value_type = T;

    BulkAllocator() noexcept = default;
    template <class U>
    BulkAllocator(const BulkAllocator<U>&) noexcept {}  // NOLINT(google-explicit-constructor)

    [[nodiscard]] T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) {
            throw std::bad_array_new_length();
        }
        return static_cast<T*>(detail::allocate_bulk(n * sizeof(T)));
    }

    void deallocate(T* pointer, std::size_t n) noexcept {
        detail::deallocate_bulk(pointer, n * sizeof(T));
    }

    // Default-initialisation instead of value-initialisation.
    template <class U>
    void construct(U* pointer) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(pointer)) U;
    }
    template <class U, class... Args>
    void construct(U* pointer, Args&&... args) {
        std::construct_at(pointer, std::forward<Args>(args)...);
    }

    template <class U>
    bool operator==(const BulkAllocator<U>&) const noexcept {
        return true;
    }
};

}  // namespace lorvik
