// The Python class Plane (lorvik.geometry).
#include <tavrel/geometry/plane.hpp>

#include "binding/binding.hpp"
#include "classes.hpp"

namespace lorvik {
namespace {

using tavrel::geometry::Plane;
using B = Bind<Plane>;

using Constructor = B::Constructor<&Plane::make, "normal", "distance">;

PyMethodDef methods[] = {
    B::static_method<"from_point", &Plane::from_point, "normal", "point">(),
    B::static_method<"from_points", &Plane::from_points, "point1", "point2", "point3">(),
    B::static_method<"xy", &Plane::xy>(),
    B::static_method<"xz", &Plane::xz>(),
    B::static_method<"yz", &Plane::yz>(),
    B::method<"contains_point", &Plane::contains_point, "point">(),
    B::method<"distance_to_point", &Plane::distance_to_point, "point">(),
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef properties[] = {
    B::field<"normal", &Plane::normal>(),
    B::field<"distance", &Plane::distance>(),
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

// No comparison slots: planes keep identity-based equality and hash.
template <>
bool define_class<Plane>() {
    return make_class<Plane>({
        .constructor = Constructor::entries,
        .slots =
            {
                slot(Py_tp_methods, methods),
                slot(Py_tp_getset, properties),
            },
    });
}

}  // namespace lorvik
