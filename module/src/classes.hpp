// The Python class of each wrapped value type. Knowing the names here lets
// any class file return instances of any other class.
#pragma once

#include "binding/instance.hpp"

namespace tavrel {
struct Vec3d;
}  // namespace tavrel

namespace lorvik {

template <>
struct Class<tavrel::Vec3d> {
    static constexpr FixedString name{"Vec3d"};
};

}  // namespace lorvik
