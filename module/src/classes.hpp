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

#define LORVIK_CLASS(TYPE, NAME)                 \
    template <>                                  \
    struct Class<TYPE> {                         \
        static constexpr FixedString name{NAME}; \
    };

LORVIK_CLASS(tavrel::Vec3d, "Vec3d")
LORVIK_CLASS(tavrel::AngleRadians, "AngleRadians")
LORVIK_CLASS(tavrel::AngleDegrees, "AngleDegrees")
LORVIK_CLASS(tavrel::Quat, "Quat")
LORVIK_CLASS(tavrel::geometry::Plane, "Plane")
LORVIK_CLASS(tavrel::geometry::Circle, "Circle")
LORVIK_CLASS(VecListValue, "VecList")
LORVIK_CLASS(VecListIteratorValue, "VecListIterator")

#undef LORVIK_CLASS

}  // namespace lorvik
