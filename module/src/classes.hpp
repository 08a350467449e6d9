// The Python class of each wrapped value type. Knowing the names here lets
// any class file return instances of any other class.
#pragma once

#include "binding/instance.hpp"

namespace tavrel {
struct Vec3d;
struct AngleRadians;
struct AngleDegrees;
struct Quat;
namespace geometry {
struct Plane;
struct Circle;
}  // namespace geometry
}  // namespace tavrel

namespace lorvik {

class VecListValue;           // vec_list.hpp
struct VecListIteratorValue;  // vec_list.hpp

// HOLDS: see Holds in binding/instance.hpp.
#define LORVIK_CLASS(TYPE, NAME, HOLDS)              \
    template <>                                      \
    struct Class<TYPE> {                             \
        static constexpr FixedString name{NAME};     \
        static constexpr Holds holds = Holds::HOLDS; \
    };

LORVIK_CLASS(tavrel::Vec3d, "Vec3d", doubles)
LORVIK_CLASS(tavrel::AngleRadians, "AngleRadians", doubles)
LORVIK_CLASS(tavrel::AngleDegrees, "AngleDegrees", doubles)
LORVIK_CLASS(tavrel::Quat, "Quat", doubles)
LORVIK_CLASS(tavrel::geometry::Plane, "Plane", doubles)
LORVIK_CLASS(tavrel::geometry::Circle, "Circle", doubles)
LORVIK_CLASS(VecListValue, "VecList", other)
LORVIK_CLASS(VecListIteratorValue, "VecListIterator", other)

#undef LORVIK_CLASS

}  // namespace lorvik
