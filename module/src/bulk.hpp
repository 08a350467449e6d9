// The bulk operations of VecList as plain C++: element arrays in, result
// arrays out, computed on the worker pool. Nothing here knows the interpreter;
// vec_list.cpp turns the results into Python objects.
//
// Each element's result has the bits of the scalar core operation, whatever
// the thread count (pool.hpp cuts numeric maps at fixed places, and the
// reduction keeps the lowest index among equals).
#pragma once

#include <tavrel/quat.hpp>
#include <tavrel/vec3d.hpp>

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "bulk_allocator.hpp"

namespace lorvik::bulk {

using tavrel::Quat;
using tavrel::Vec3d;

// A result array: one slot per element, not zeroed before the map fills it.
template <class T>
using Array = std::vector<T, BulkAllocator<T>>;

using Elements = std::span<const Vec3d>;

Array<double> dot(Elements elements, const Vec3d& other);
Array<Vec3d> cross(Elements elements, const Vec3d& other);
Array<double> magnitude(Elements elements);
Array<Vec3d> normalize(Elements elements);
// One byte per truth value (0 or 1): packed bits could not be written by two
// threads side by side.
Array<unsigned char> is_unit(Elements elements);
Array<double> distance_to(Elements elements, const Vec3d& other);
Array<double> distance_squared(Elements elements, const Vec3d& other);
Array<Vec3d> add(Elements elements, const Vec3d& other);
Array<Vec3d> subtract(Elements elements, const Vec3d& other);
Array<Vec3d> scale(Elements elements, double s);            // e * s
Array<Vec3d> scale_reflected(Elements elements, double s);  // s * e
Array<Vec3d> divide(Elements elements, double s);
// Each element with component `axis` (0, 1 or 2) set to zero.
Array<Vec3d> collapse(Elements elements, std::size_t axis);
// Rotates every element in place.
void rotate(std::span<Vec3d> elements, const Quat& quat);

// The index of the element nearest to `other` and its distance, or nothing
// for no elements. Every stride-th element is sampled first (stride > 0);
// the result is the nearest in the window from one stride below the best
// sample up to, not including, one stride above it. Distances are ranked in
// the IEEE total order (a NaN of either sign is ranked too), and among equal
// ones the lowest index wins.
struct Nearest {
    std::size_t index;
    double distance;
};
std::optional<Nearest> minimum_distance_to(Elements elements, const Vec3d& other,
                                           std::size_t stride);

// The elements' texts ("Vec3d(1, 2, 3)") joined by line feeds, in blocks:
// joining the blocks with line feeds gives the whole text.
std::vector<std::string> texts(Elements elements);

}  // namespace lorvik::bulk
