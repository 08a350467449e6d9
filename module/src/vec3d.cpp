// The Python class Vec3d.
#include <tavrel/angle.hpp>
#include <tavrel/quat.hpp>
#include <tavrel/vec3d.hpp>

#include <cstdint>

#include "binding/binding.hpp"
#include "classes.hpp"

namespace lorvik {
namespace {

using tavrel::Vec3d;
using B = Bind<Vec3d>;

constexpr auto construct = [](double x, double y, double z) noexcept { return Vec3d{x, y, z}; };

constexpr auto component = [](const Vec3d& v, std::uint64_t index) {
    if (index > 2) {
        throw_index_error();
    }
    return v[index];
};

constexpr auto add = [](const Vec3d& a, const Vec3d& b) noexcept { return a + b; };
constexpr auto subtract = [](const Vec3d& a, const Vec3d& b) noexcept { return a - b; };
constexpr auto scale = [](const Vec3d& v, double s) noexcept { return v * s; };
constexpr auto scale_reflected = [](const Vec3d& v, double s) noexcept { return s * v; };
constexpr auto divide = [](const Vec3d& v, double s) noexcept { return v / s; };
constexpr auto negate = [](const Vec3d& v) noexcept { return -v; };
constexpr auto equal = [](const Vec3d& a, const Vec3d& b) noexcept { return a == b; };
constexpr auto hash = [](const Vec3d& v) noexcept { return v.hash(); };
constexpr auto repr = [](const Vec3d& v) { return tavrel::to_string(v); };

using Constructor = B::Constructor<construct, "x", "y", "z">;

PyMethodDef methods[] = {
    B::static_method<"zero", &Vec3d::zero>(),
    B::static_method<"i", &Vec3d::i>(),
    B::static_method<"j", &Vec3d::j>(),
    B::static_method<"k", &Vec3d::k>(),
    B::static_method<"new_from_to", &Vec3d::new_from_to, "from", "to">(),
    B::method<"dot", &Vec3d::dot, "other">(),
    B::method<"cross", &Vec3d::cross, "other">(),
    B::method<"distance_to", &Vec3d::distance_to, "other">(),
    B::method<"distance_squared", &Vec3d::distance_squared, "other">(),
    B::method<"distance_to_line", &Vec3d::distance_to_line, "a", "b">(),
    B::method<"project_onto_line", &Vec3d::project_onto_line, "line_r", "line_q">(),
    B::method<"project_onto_plane", &Vec3d::project_onto_plane, "normal">(),
    B::method<"scalar_triple_product", &Vec3d::scalar_triple_product, "b", "c">(),
    B::method<"magnitude", &Vec3d::magnitude>(),
    B::method<"normalize", &Vec3d::normalize>(),
    B::method<"is_unit", &Vec3d::is_unit>(),
    B::method<"to_array", &Vec3d::to_array>(),
    B::method<"angle_to", &Vec3d::angle_to, "other">(),
    B::method<"to_quat", &Vec3d::to_quat>(),
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef properties[] = {
    B::field<"x", &Vec3d::x>(),
    B::field<"y", &Vec3d::y>(),
    B::field<"z", &Vec3d::z>(),
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

template <>
bool define_class<Vec3d>() {
    return make_class<Vec3d>({
        .constructor = Constructor::entries,
        .slots =
            {
                slot(Py_tp_methods, methods),
                slot(Py_tp_getset, properties),
                slot(Py_tp_repr, &B::repr<repr>),
                slot(Py_tp_hash, &B::hash<hash>),
                slot(Py_tp_richcompare,
                     &B::richcompare<equal, NotEqual::negate_core, OtherBorrow::raises>),
                slot(Py_mp_subscript, &B::subscript<component>),
                slot(Py_nb_add, &B::binary<add>),
                slot(Py_nb_subtract, &B::binary<subtract>),
                slot(Py_nb_multiply, &B::multiply<scale, scale_reflected>),
                slot(Py_nb_true_divide, &B::binary<divide>),
                slot(Py_nb_negative, &B::unary<negate>),
            },
    });
}

}  // namespace lorvik
