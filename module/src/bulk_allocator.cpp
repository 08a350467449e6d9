#include "bulk_allocator.hpp"

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace lorvik::detail {
namespace {

constexpr std::size_t huge_page = std::size_t{2} << 20;
constexpr std::size_t huge_threshold = 2 * huge_page;

#if LORVIK_FREE_THREADED
// Without the interpreter lock, threads write arrays of their own in place at
// the same time (VecList.rotate). Arrays made one after another lie side by
// side, and where the end of one and the start of the next share a cache line,
// each write of one thread evicts the line from the other's core: a small
// list's in-place call then stops scaling. So a small array starts and ends on
// a line boundary inside a slightly larger block, whose address is kept just
// before the array (an aligned allocation costs more than the call it serves).
// For a large array the shared line at its ends does not count.
constexpr std::size_t cache_line = 64;
constexpr std::size_t small_array = std::size_t{64} << 10;

void* allocate(std::size_t bytes) noexcept {
    if (bytes > small_array) {
        return std::malloc(bytes);
    }
    const std::size_t lines = (bytes + cache_line - 1) & ~(cache_line - 1);
    auto* block = static_cast<std::byte*>(std::malloc(lines + cache_line + sizeof(void*)));
    if (block == nullptr) {
        return nullptr;
    }
    const auto first = reinterpret_cast<std::uintptr_t>(block + sizeof(void*));
    auto* array = reinterpret_cast<std::byte*>((first + cache_line - 1) & ~(cache_line - 1));
    std::memcpy(array - sizeof(void*), &block, sizeof(void*));
    return array;
}

void release(void* pointer, std::size_t bytes) noexcept {
    if (bytes > small_array) {
        std::free(pointer);
        return;
    }
    void* block = nullptr;
    std::memcpy(&block, static_cast<std::byte*>(pointer) - sizeof(void*), sizeof(void*));
    std::free(block);
}
#else
void* allocate(std::size_t bytes) noexcept {
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void release(void* pointer, std::size_t) noexcept {
    std::free(pointer);
}
#endif

}  // namespace

void* allocate_bulk(std::size_t bytes) {
    void* pointer = allocate(bytes);
    if (pointer == nullptr) {
        throw std::bad_alloc();
    }
    // Plain malloc, not an aligned or private mapping: malloc keeps freed
    // blocks of up to 32 MiB for reuse, so a result of the same size as the
    // one just released faults in no new pages at all. Only the 2 MiB-aligned
    // interior of the block can be backed by huge pages.
    if (bytes >= huge_threshold) {
        const auto first = reinterpret_cast<std::uintptr_t>(pointer);
        const std::uintptr_t begin = (first + huge_page - 1) & ~(huge_page - 1);
        const std::uintptr_t end = (first + bytes) & ~(huge_page - 1);
        if (begin < end) {
            // Advice only: without transparent huge pages the block works alike.
            madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
        }
    }
    return pointer;
}

void deallocate_bulk(void* pointer, std::size_t bytes) noexcept {
    release(pointer, bytes);
}

}  // namespace lorvik::detail
