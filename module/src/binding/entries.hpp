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
#pragma once

#include <Python.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "binding/args.hpp"
#include "binding/convert.hpp"
#include "binding/errors.hpp"
#include "binding/fixed_string.hpp"
#include "binding/instance.hpp"

namespace lorvik {

// ---------------------------------------------------------------------------
// Parameter lists of functions, member functions and captureless lambdas. A
// member function's receiver is its first parameter.

template <class... T>
struct TypeList {
    static constexpr std::size_t size = sizeof...(T);
};

template <class F>
struct CallableTraits : CallableTraits<decltype(&F::operator())> {};

#define LORVIK_CALLABLE_TRAITS(QUALIFIERS, RECEIVER)   \
    template <class R, class C, class... A>            \
    struct CallableTraits<R (C::*)(A...) QUALIFIERS> { \
        using Result = R;                              \
        using Params = TypeList<RECEIVER, A...>;       \
        using LambdaParams = TypeList<A...>;           \
    };
LORVIK_CALLABLE_TRAITS(, C&)
LORVIK_CALLABLE_TRAITS(const, const C&)
LORVIK_CALLABLE_TRAITS(noexcept, C&)
LORVIK_CALLABLE_TRAITS(const noexcept, const C&)
#undef LORVIK_CALLABLE_TRAITS

template <class R, class... A>
struct CallableTraits<R (*)(A...)> {
    using Result = R;
    using Params = TypeList<A...>;
};
template <class R, class... A>
struct CallableTraits<R (*)(A...) noexcept> : CallableTraits<R (*)(A...)> {};

template <class F, bool IsLambda = std::is_class_v<F>>
struct ParamsOf {
    using type = typename CallableTraits<F>::Params;
};
template <class F>
struct ParamsOf<F, true> {
    using type = typename CallableTraits<F>::LambdaParams;
};

template <auto F>
using Params = typename ParamsOf<std::remove_cvref_t<decltype(F)>>::type;

// Converts a result to a new reference; void results become None.
template <class Call>
PyObject* call_to_python(Call&& call) {
    using Result = std::invoke_result_t<Call>;
    if constexpr (std::is_void_v<Result>) {
        std::forward<Call>(call)();
        return Py_NewRef(Py_None);
    } else {
        return to_python(std::forward<Call>(call)());
    }
}

// Converts objects[i] to the i-th parameter of F (reporting errors under
// names[i]; a null name means the receiver), then calls F.
template <auto F, class List = Params<F>>
struct Invoker;

template <auto F, class... P>
struct Invoker<F, TypeList<P...>> {
    static constexpr std::size_t arity = sizeof...(P);

    static PyObject* call(PyObject* const* objects, const char* const* names) noexcept {
        return call(objects, names, std::index_sequence_for<P...>{});
    }

  private:
    template <std::size_t... I>
    static PyObject* call(PyObject* const* objects, const char* const* names,
                          std::index_sequence<I...>) noexcept {
        std::tuple<ArgFor<P>...> args;
        if (!(std::get<I>(args).load(objects[I], names[I]) && ...)) {
            return nullptr;
        }
        return guarded<PyObject*>(nullptr, [&] {
            return call_to_python(
                [&]() -> decltype(auto) { return std::invoke(F, std::get<I>(args).get()...); });
        });
    }
};

template <std::size_t I, class List>
struct TypeAt;
template <std::size_t I, class Head, class... Tail>
struct TypeAt<I, TypeList<Head, Tail...>> : TypeAt<I - 1, TypeList<Tail...>> {};
template <class Head, class... Tail>
struct TypeAt<0, TypeList<Head, Tail...>> {
    using type = Head;
};

template <class F>
PyCFunction as_cfunction(F function) noexcept {
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function));
}

// Sets IndexError "Index out of bounds" and unwinds to the entry point.
[[noreturn]] inline void throw_index_error() {
    PyErr_SetString(PyExc_IndexError, "Index out of bounds");
    throw ErrorAlreadySet{};
}

enum class NotEqual {
    negate_core,      // != is the core equality negated
    via_interpreter,  // != asks the interpreter for == and negates its truth
};

enum class OtherBorrow {
    raises,           // a refused borrow of the right operand is a RuntimeError
    not_implemented,  // ... or makes the comparison NotImplemented
};

// ---------------------------------------------------------------------------

template <class C>
struct Bind {
    static constexpr auto class_name = Class<C>::name;

    // Parameter names for matching, and the same list behind a null name for
    // the receiver (whose errors carry no argument prefix).
    template <FixedString... Names>
    struct Signature {
        static constexpr std::size_t count = sizeof...(Names);
        static constexpr std::array<const char*, count> names{Names.data...};
        static constexpr std::array<const char*, count + 1> with_self{nullptr, Names.data...};
    };

    // Instance method: receiver plus named parameters.
    template <FixedString Name, auto F, FixedString... Names>
    static constexpr PyMethodDef method() noexcept {
        static_assert(Params<F>::size == sizeof...(Names) + 1, "one name per parameter");
        if constexpr (sizeof...(Names) == 0) {
            return {Name.data, as_cfunction(&method_noargs<F>), METH_NOARGS,
                    concat<Name, "($self)\n--\n\n">};
        } else {
            return {Name.data, as_cfunction(&method_fastcall<Name, F, Names...>),
                    METH_FASTCALL | METH_KEYWORDS,
                    concat<Name, "($self, ", JoinParams<Names...>::value, ")\n--\n\n">};
        }
    }

    // Static method: named parameters only.
    template <FixedString Name, auto F, FixedString... Names>
    static constexpr PyMethodDef static_method() noexcept {
        static_assert(Params<F>::size == sizeof...(Names), "one name per parameter");
        if constexpr (sizeof...(Names) == 0) {
            return {Name.data, as_cfunction(&static_noargs<F>), METH_NOARGS | METH_STATIC,
                    concat<Name, "()\n--\n\n">};
        } else {
            return {Name.data, as_cfunction(&static_fastcall<Name, F, Names...>),
                    METH_FASTCALL | METH_KEYWORDS | METH_STATIC,
                    concat<Name, "(", JoinParams<Names...>::value, ")\n--\n\n">};
        }
    }

    // Constructor: tp_new (tuple and dict) and the vectorcall that calling the
    // class uses (no tuple or dict is built).
    template <auto F, FixedString... Names>
    struct Constructor {
        static constexpr auto display = Concat<class_name, ".__new__()">::value;
        using Sig = Signature<Names...>;

        static PyObject* vectorcall(PyObject*, PyObject* const* args, std::size_t nargsf,
                                    PyObject* kwnames) noexcept {
            PyObject* slots[Sig::count];
            if (!parse_arguments(display.data, Sig::names, args, PyVectorcall_NARGS(nargsf),
                                 kwnames, slots)) {
                return nullptr;
            }
            return Invoker<F>::call(slots, Sig::names.data());
        }

        static PyObject* new_(PyTypeObject*, PyObject* args, PyObject* kwargs) noexcept {
            PyObject* slots[Sig::count];
            if (!parse_tuple_arguments(display.data, Sig::names, args, kwargs, slots)) {
                return nullptr;
            }
            return Invoker<F>::call(slots, Sig::names.data());
        }
    };

    // Property with a getter and, optionally, a setter. Getter and setter are
    // data member pointers or callables on the value.
    template <FixedString Name, auto Get, auto Set = nullptr>
    static constexpr PyGetSetDef property() noexcept {
        // if constexpr: a read-only property must not instantiate a setter.
        if constexpr (std::is_null_pointer_v<decltype(Set)>) {
            return {Name.data, &get_property<Get>, nullptr, nullptr, nullptr};
        } else {
            return {Name.data, &get_property<Get>, &set_property<Set>, nullptr, nullptr};
        }
    }

    // A property that reads and writes one data member.
    template <FixedString Name, auto Member>
    static constexpr PyGetSetDef field() noexcept {
        return property<Name, Member, Member>();
    }

    // Operator slot `self OP other`: NotImplemented for a foreign receiver, a
    // receiver that cannot be borrowed, or an operand that does not convert.
    template <auto F>
    static PyObject* binary(PyObject* self, PyObject* other) noexcept {
        return try_binary<F>(self, other);
    }

    // One multiplication entry serving `self * s` first, then `s * self`.
    template <auto Forward, auto Reflected>
    static PyObject* multiply(PyObject* left, PyObject* right) noexcept {
        PyObject* result = try_binary<Forward>(left, right);
        if (result != Py_NotImplemented) {
            return result;
        }
        Py_DECREF(result);
        return try_binary<Reflected>(right, left);
    }

    template <auto F>
    static PyObject* unary(PyObject* self) noexcept {
        PyObject* objects[] = {self};
        const char* names[] = {nullptr};
        return Invoker<F>::call(objects, names);
    }

    template <auto F>
    static PyObject* repr(PyObject* self) noexcept {
        return unary<F>(self);
    }

    // Hash result: the unsigned 64-bit hash read as signed; -1 and -2 both
    // become -2, since -1 signals an error.
    template <auto F>
    static Py_hash_t hash(PyObject* self) noexcept {
        if (!is_instance<C>(self)) {
            set_not_an_instance(self, class_name.data, nullptr);
            return -1;
        }
        ReadBorrow<C> borrow;
        if (!borrow.acquire(self)) {
            return -1;
        }
        const auto value = static_cast<Py_hash_t>(static_cast<std::uint64_t>(F(borrow.get())));
        return value == -1 ? -2 : value;
    }

    // `self[index]`: the receiver is borrowed before the index is converted.
    template <auto F>
    static PyObject* subscript(PyObject* self, PyObject* key) noexcept {
        Borrow<C, Access::shared> borrow;
        if (!borrow.acquire(self)) {
            return nullptr;
        }
        Arg<std::uint64_t> index;
        if (!index.load(key, "index")) {
            return nullptr;
        }
        return guarded<PyObject*>(nullptr, [&] { return to_python(F(borrow.get(), index.get())); });
    }

    template <auto F>
    static Py_ssize_t length(PyObject* self) noexcept {
        Borrow<C, Access::shared> borrow;
        if (!borrow.acquire(self)) {
            return -1;
        }
        return static_cast<Py_ssize_t>(F(borrow.get()));
    }

    // Rich comparison. Each operator is a function (const C&, const C&) ->
    // bool or nullptr when the class does not define it.
    template <auto Eq, NotEqual Ne, OtherBorrow OnConflict, auto Lt = nullptr, auto Le = nullptr,
              auto Gt = nullptr, auto Ge = nullptr>
    static PyObject* richcompare(PyObject* self, PyObject* other, int op) noexcept {
        if (op == Py_NE && Ne == NotEqual::via_interpreter) {
            return not_equal_via_interpreter(self, other);
        }
        switch (op) {
            case Py_EQ:
                return compare<Eq, false, OnConflict>(self, other);
            case Py_NE:
                return compare<Eq, true, OnConflict>(self, other);
            case Py_LT:
                return compare<Lt, false, OnConflict>(self, other);
            case Py_LE:
                return compare<Le, false, OnConflict>(self, other);
            case Py_GT:
                return compare<Gt, false, OnConflict>(self, other);
            case Py_GE:
                return compare<Ge, false, OnConflict>(self, other);
            default:
                return not_implemented();
        }
    }

  private:
    template <FixedString Name, auto F, FixedString... Names>
    static PyObject* method_fastcall(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                                     PyObject* kwnames) noexcept {
        static constexpr auto display = Concat<class_name, ".", Name, "()">::value;
        using Sig = Signature<Names...>;
        PyObject* slots[Sig::count + 1];
        slots[0] = self;
        if (!parse_arguments(display.data, Sig::names, args, nargs, kwnames, slots + 1)) {
            return nullptr;
        }
        return Invoker<F>::call(slots, Sig::with_self.data());
    }

    template <auto F>
    static PyObject* method_noargs(PyObject* self, PyObject*) noexcept {
        return unary<F>(self);
    }

    template <FixedString Name, auto F, FixedString... Names>
    static PyObject* static_fastcall(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                     PyObject* kwnames) noexcept {
        static constexpr auto display = Concat<class_name, ".", Name, "()">::value;
        using Sig = Signature<Names...>;
        PyObject* slots[Sig::count];
        if (!parse_arguments(display.data, Sig::names, args, nargs, kwnames, slots)) {
            return nullptr;
        }
        return Invoker<F>::call(slots, Sig::names.data());
    }

    template <auto F>
    static PyObject* static_noargs(PyObject*, PyObject*) noexcept {
        return guarded<PyObject*>(nullptr, [] { return call_to_python(F); });
    }

    template <auto Get>
    static PyObject* get_property(PyObject* self, void*) noexcept {
        ReadBorrow<C> borrow;
        if (!borrow.acquire(self)) {
            return nullptr;
        }
        return guarded<PyObject*>(nullptr, [&] {
            using Value = std::remove_cvref_t<std::invoke_result_t<decltype(Get), const C&>>;
            return to_python(Value(std::invoke(Get, borrow.get())));
        });
    }

    template <class T>
    struct MemberType;
    template <class T, class Owner>
    struct MemberType<T Owner::*> {
        using type = T;
    };

    // The value is converted first, then the receiver is borrowed exclusively.
    template <auto Set>
    static int set_property(PyObject* self, PyObject* value, void*) noexcept {
        if (value == nullptr) {
            PyErr_SetString(PyExc_AttributeError, "property has no deleter");
            return -1;
        }
        using Value = typename MemberType<decltype(Set)>::type;
        ArgFor<const Value&> converted;
        if (!converted.load(value, "value")) {
            return -1;
        }
        Value copy = converted.get();
        Borrow<C, Access::exclusive> borrow;
        if (!borrow.acquire(self)) {
            return -1;
        }
        borrow.get().*Set = copy;
        return 0;
    }

    template <auto F>
    static PyObject* try_binary(PyObject* self, PyObject* other) noexcept {
        if (!is_instance<C>(self)) {
            return not_implemented();
        }
        Borrow<C, Access::shared> borrow;
        if (!borrow.acquire(self)) {
            PyErr_Clear();
            return not_implemented();
        }
        using Operand = typename TypeAt<1, Params<F>>::type;
        ArgFor<Operand> operand;
        if (!operand.load(other, nullptr)) {
            PyErr_Clear();
            return not_implemented();
        }
        return guarded<PyObject*>(
            nullptr, [&] { return to_python(std::invoke(F, borrow.get(), operand.get())); });
    }

    // The full `==` protocol, not PyObject_RichCompareBool: its identity
    // shortcut would make `a != a` false for a value unequal to itself (NaN).
    static PyObject* not_equal_via_interpreter(PyObject* self, PyObject* other) noexcept {
        PyObject* equal = PyObject_RichCompare(self, other, Py_EQ);
        if (equal == nullptr) {
            return nullptr;
        }
        const int truth = PyObject_IsTrue(equal);
        Py_DECREF(equal);
        return truth < 0 ? nullptr : to_python(truth == 0);
    }

    template <auto F, bool Negate, OtherBorrow OnConflict>
    static PyObject* compare(PyObject* self, PyObject* other) noexcept {
        if constexpr (std::is_null_pointer_v<decltype(F)>) {
            return not_implemented();
        } else {
            if (!is_instance<C>(self) || !is_instance<C>(other)) {
                return not_implemented();
            }
            ReadBorrow<C> left;
            if (!left.acquire(self)) {
                PyErr_Clear();
                return not_implemented();
            }
            ReadBorrow<C> right;
            if (!right.acquire(other)) {
                if constexpr (OnConflict == OtherBorrow::raises) {
                    return nullptr;
                } else {
                    PyErr_Clear();
                    return not_implemented();
                }
            }
            const bool result = F(left.get(), right.get());
            return to_python(Negate ? !result : result);
        }
    }
};

}  // namespace lorvik

namespace lorvik {

// A module-level function: display name "{name}()", all parameters named.
template <FixedString Name, auto F, FixedString... Names>
struct ModuleFunction {
    static constexpr auto display = Concat<Name, "()">::value;
    static constexpr std::array<const char*, sizeof...(Names)> names{Names.data...};

    static PyObject* call(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                          PyObject* kwnames) noexcept {
        PyObject* slots[sizeof...(Names)];
        if (!parse_arguments(display.data, names, args, nargs, kwnames, slots)) {
            return nullptr;
        }
        return Invoker<F>::call(slots, names.data());
    }
};

template <FixedString Name, auto F, FixedString... Names>
constexpr PyMethodDef module_function() noexcept {
    static_assert(sizeof...(Names) > 0 && Params<F>::size == sizeof...(Names));
    return {Name.data, as_cfunction(&ModuleFunction<Name, F, Names...>::call),
            METH_FASTCALL | METH_KEYWORDS,
            concat<Name, "($module, ", JoinParams<Names...>::value, ")\n--\n\n">};
}

}  // namespace lorvik
