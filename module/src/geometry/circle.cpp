// The Python class Circle (lorvik.geometry).
#include <tavrel/geometry/circle.hpp>

#include "binding/binding.hpp"
#include "classes.hpp"

namespace lorvik {
namespace {

using tavrel::geometry::Circle;
using B = Bind<Circle>;

constexpr auto equal = [](const Circle& a, const Circle& b) noexcept { return a == b; };

using Constructor = B::Constructor<&Circle::make, "center", "radius", "normal">;

PyMethodDef methods[] = {
    B::static_method<"none", &Circle::none>(),
    B::method<"get_plane", &Circle::get_plane>(),
    B::method<"in_same_plane", &Circle::in_same_plane, "other">(),
    B::method<"is_degenerate", &Circle::is_degenerate>(),
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef properties[] = {
    B::field<"center", &Circle::center>(),         B::field<"radius", &Circle::radius>(),
    B::field<"normal", &Circle::normal>(),         B::property<"area", &Circle::area>(),
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

// Equality without a hash slot leaves the class unhashable. `!=` asks the
// interpreter for `==`, so it follows the identity fallback for foreign
// operands too.
template <>
bool define_class<Circle>() {
    return make_class<Circle>({
        .constructor = Constructor::entries,
        .slots =
            {
                slot(Py_tp_methods, methods),
                slot(Py_tp_getset, properties),
                slot(Py_tp_richcompare,
                     &B::richcompare<equal, NotEqual::via_interpreter, OtherBorrow::raises>),
            },
    });
}

}  // namespace lorvik
