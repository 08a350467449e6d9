// The values behind the Python classes VecList and VecListIterator.
#pragma once

#include <tavrel/vec3d.hpp>

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "bulk.hpp"

namespace lorvik {

// A contiguous, growable array of core vectors: 24 bytes per element, no
// per-element header, so the bulk operations stream over flat doubles.
using VecArray = bulk::Array<tavrel::Vec3d>;

class VecListValue {
  public:
    VecListValue() noexcept = default;
    explicit VecListValue(VecArray elements) noexcept : elements_(std::move(elements)) {}

    [[nodiscard]] const VecArray& elements() const noexcept { return elements_; }
    [[nodiscard]] VecArray& elements() noexcept { return elements_; }
    [[nodiscard]] std::size_t size() const noexcept { return elements_.size(); }

  private:
    VecArray elements_;
};

// Iterates over a copy taken when the iterator was made, so later changes to
// the list do not show.
struct VecListIteratorValue {
    VecArray snapshot;
    std::size_t position = 0;

    std::optional<tavrel::Vec3d> next() noexcept {
        if (position >= snapshot.size()) {
            return std::nullopt;
        }
        return snapshot[position++];
    }
};

}  // namespace lorvik
