// The Python class Quat.
#include <tavrel/quat.hpp>

#include <tuple>

#include "binding/binding.hpp"
#include "classes.hpp"

namespace lorvik {
namespace {

using tavrel::Quat;
using B = Bind<Quat>;

constexpr auto construct = [](double w, double i, double j, double k) noexcept {
    return Quat{w, i, j, k};
};

// The vector part as plain floats in a tuple (a std::array would become a list).
constexpr auto to_vec3d = [](const Quat& q) noexcept { return std::tuple{q.i, q.j, q.k}; };
constexpr auto equal = [](const Quat& a, const Quat& b) noexcept { return a == b; };
constexpr auto repr = [](const Quat& q) { return tavrel::to_string(q); };

using Constructor = B::Constructor<construct, "w", "i", "j", "k">;

PyMethodDef methods[] = {
    B::static_method<"identity", &Quat::identity>(),
    B::static_method<"from_axis_angle", &Quat::from_axis_angle, "axis", "angle">(),
    B::method<"conjugate", &Quat::conjugate>(),
    B::method<"magnitude", &Quat::magnitude>(),
    B::method<"normalize", &Quat::normalize>(),
    B::method<"is_unit", &Quat::is_unit>(),
    B::method<"rotate", &Quat::rotate, "v">(),
    B::method<"to_axis_angle", &Quat::to_axis_angle>(),
    B::method<"to_rotation_matrix", &Quat::to_rotation_matrix>(),
    B::method<"to_vec3d", to_vec3d>(),
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef properties[] = {
    B::field<"w", &Quat::w>(),
    B::field<"i", &Quat::i>(),
    B::field<"j", &Quat::j>(),
    B::field<"k", &Quat::k>(),
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

// Equality only, and no hash slot: the interpreter makes instances
// unhashable. A right operand held exclusively is reported, as for Vec3d.
template <>
bool define_class<Quat>() {
    return make_class<Quat>({
        .constructor = Constructor::entries,
        .slots =
            {
                slot(Py_tp_methods, methods),
                slot(Py_tp_getset, properties),
                slot(Py_tp_repr, &B::repr<repr>),
                slot(Py_tp_richcompare,
                     &B::richcompare<equal, NotEqual::negate_core, OtherBorrow::raises>),
            },
    });
}

}  // namespace lorvik
