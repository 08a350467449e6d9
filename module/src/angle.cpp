// The Python classes AngleRadians and AngleDegrees.
#include <tavrel/angle.hpp>

#include <functional>

#include "binding/binding.hpp"
#include "classes.hpp"

namespace lorvik {
namespace {

using tavrel::AngleDegrees;
using tavrel::AngleRadians;

// IEEE comparison without tolerance for both classes. `!=` goes through the
// interpreter's `==` so that a NaN angle is unequal to itself even when the
// two operands are the same object; a right operand that cannot be borrowed
// leaves the decision to the interpreter.
template <class Angle>
constexpr auto compare_angles =
    &Bind<Angle>::template richcompare<std::equal_to<Angle>{}, NotEqual::via_interpreter,
                                       OtherBorrow::not_implemented, std::less<Angle>{},
                                       std::less_equal<Angle>{}, std::greater<Angle>{},
                                       std::greater_equal<Angle>{}>;

namespace radians {

using B = Bind<AngleRadians>;

constexpr auto construct = [](double angle) noexcept { return AngleRadians{angle}; };
constexpr auto add = [](const AngleRadians& a, const AngleRadians& b) noexcept { return a + b; };
constexpr auto subtract = [](const AngleRadians& a, const AngleRadians& b) noexcept {
    return a - b;
};
constexpr auto scale = [](const AngleRadians& a, double s) noexcept { return a * s; };
constexpr auto divide = [](const AngleRadians& a, double s) noexcept { return a / s; };
constexpr auto negate = [](const AngleRadians& a) noexcept { return -a; };
constexpr auto repr = [](const AngleRadians& a) { return tavrel::to_string(a); };

using Constructor = B::Constructor<construct, "angle">;

PyMethodDef methods[] = {
    B::static_method<"zero", &AngleRadians::zero>(),
    B::static_method<"pi", &AngleRadians::pi>(),
    B::static_method<"two_pi", &AngleRadians::two_pi>(),
    B::static_method<"half_pi", &AngleRadians::half_pi>(),
    B::static_method<"third_pi", &AngleRadians::third_pi>(),
    B::static_method<"quarter_pi", &AngleRadians::quarter_pi>(),
    B::static_method<"sixth_pi", &AngleRadians::sixth_pi>(),
    B::method<"sin", &AngleRadians::sin>(),
    B::method<"cos", &AngleRadians::cos>(),
    B::method<"tan", &AngleRadians::tan>(),
    B::method<"sec", &AngleRadians::sec>(),
    B::method<"csc", &AngleRadians::csc>(),
    B::method<"cot", &AngleRadians::cot>(),
    B::method<"to_degrees", &AngleRadians::to_degrees>(),
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef properties[] = {
    B::field<"angle", &AngleRadians::angle>(),
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

}  // namespace radians

namespace degrees {

using B = Bind<AngleDegrees>;

constexpr auto construct = [](double angle) noexcept { return AngleDegrees{angle}; };
constexpr auto negate = [](const AngleDegrees& a) noexcept { return -a; };
constexpr auto repr = [](const AngleDegrees& a) { return tavrel::to_string(a); };

using Constructor = B::Constructor<construct, "angle">;

PyMethodDef methods[] = {
    B::method<"to_radians", &AngleDegrees::to_radians>(),
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef properties[] = {
    B::field<"angle", &AngleDegrees::angle>(),
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

}  // namespace degrees
}  // namespace

// No hash slot: with a comparison defined, the interpreter makes the
// instances unhashable.
template <>
bool define_class<AngleRadians>() {
    using namespace radians;
    return make_class<AngleRadians>({
        .constructor = Constructor::entries,
        .slots =
            {
                slot(Py_tp_methods, methods),
                slot(Py_tp_getset, properties),
                slot(Py_tp_repr, &B::repr<repr>),
                slot(Py_tp_richcompare, compare_angles<AngleRadians>),
                slot(Py_nb_add, &B::binary<add>),
                slot(Py_nb_subtract, &B::binary<subtract>),
                // Float right operand only: `2 * angle` is refused.
                slot(Py_nb_multiply, &B::binary<scale>),
                slot(Py_nb_true_divide, &B::binary<divide>),
                slot(Py_nb_negative, &B::unary<negate>),
            },
    });
}

template <>
bool define_class<AngleDegrees>() {
    using namespace degrees;
    return make_class<AngleDegrees>({
        .constructor = Constructor::entries,
        .slots =
            {
                slot(Py_tp_methods, methods),
                slot(Py_tp_getset, properties),
                slot(Py_tp_repr, &B::repr<repr>),
                slot(Py_tp_richcompare, compare_angles<AngleDegrees>),
                slot(Py_nb_negative, &B::unary<negate>),
            },
    });
}

}  // namespace lorvik
