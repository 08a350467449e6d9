// Entry points generated from core functions. A class file declares its
// members with Bind<C>, e.g.
//
//     Bind<Vec3d>::method<"dot", &Vec3d::dot, "other">()
//
// and gets a METH_FASTCALL | METH_KEYWORDS entry that matches the arguments
// by name, checks and borrows the receiver, converts each argument by its C++
// parameter type (see convert.hpp), calls the function, and converts the
// result, with the display name "Vec3d.dot()" and the text signature
// "dot($self, other)".
//
// The member-table entries, the constructor and module functions are in
// members.hpp, the type slots in slots.hpp; both call through invoke.hpp.
#pragma once

#include "binding/members.hpp"
#include "binding/slots.hpp"

namespace lorvik {

template <class C>
struct Bind : MemberEntries<C>, SlotEntries<C> {};

}  // namespace lorvik
