#include "bulk_allocator.hpp"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace lorvik::detail {
namespace {

constexpr std::size_t huge_page = std::size_t{2} << 20;
constexpr std::size_t huge_threshold = 2 * huge_page;

}  // namespace

void* allocate_bulk(std::size_t bytes) {
    void* pointer = std::malloc(bytes == 0 ? 1 : bytes);
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

void deallocate_bulk(void* pointer) noexcept {
    std::free(pointer);
}

}  // namespace lorvik::detail
