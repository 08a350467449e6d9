// Conversions between Python objects and C++ values.
//
// Arg<T> converts one argument to the C++ parameter type T, following the
// module's conventions (float, index, strict bool, class instances with their
// borrows). On failure it sets the Python error (wrapped with the argument's
// name where one is given) and returns false.
//
// to_python(value) makes the result object of an entry: a new object on every
// call, or a new reference to True/False/None.
#pragma once

#include <Python.h>

#include <array>
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "binding/errors.hpp"
#include "binding/instance.hpp"
#include "binding/messages.hpp"
#include "binding/owned.hpp"

namespace lorvik {

template <class T>
struct Arg;

// Float conversion: an exact float directly, anything else through __float__
// or __index__ (PyFloat_AsDouble).
template <>
struct Arg<double> {
    double value = 0.0;

    [[nodiscard]] bool load(PyObject* object, const char* name) {
        if (PyFloat_CheckExact(object)) {
            value = PyFloat_AS_DOUBLE(object);
            return true;
        }
        value = PyFloat_AsDouble(object);
        if (value == -1.0 && PyErr_Occurred()) {
            if (name != nullptr) {
                wrap_argument_error(name);
            }
            return false;
        }
        return true;
    }
    [[nodiscard]] double get() const noexcept { return value; }
};

// Index conversion: an unsigned 64-bit count; negative or too large values
// raise the interpreter's OverflowError.
template <>
struct Arg<std::uint64_t> {
    std::uint64_t value = 0;

    [[nodiscard]] bool load(PyObject* object, const char* name) {
        if (PyLong_CheckExact(object)) {
            value = PyLong_AsUnsignedLongLong(object);
        } else {
            PyObject* index = PyNumber_Index(object);
            if (index == nullptr) {
                if (name != nullptr) {
                    wrap_argument_error(name);
                }
                return false;
            }
            value = PyLong_AsUnsignedLongLong(index);
            Py_DECREF(index);
        }
        if (value == static_cast<std::uint64_t>(-1) && PyErr_Occurred()) {
            if (name != nullptr) {
                wrap_argument_error(name);
            }
            return false;
        }
        return true;
    }
    [[nodiscard]] std::uint64_t get() const noexcept { return value; }
};

// Strict bool: True and False, and numpy's bool scalar through its own truth
// slot (recognised by name, so numpy is never imported); nothing else, not
// even int.
bool load_strict_bool(PyObject* object, const char* name, bool& out);

template <>
struct Arg<bool> {
    bool value = false;

    [[nodiscard]] bool load(PyObject* object, const char* name) {
        return load_strict_bool(object, name, value);
    }
    [[nodiscard]] bool get() const noexcept { return value; }
};

// Any object, borrowed from the caller.
template <>
struct Arg<PyObject*> {
    PyObject* value = nullptr;

    [[nodiscard]] bool load(PyObject* object, const char*) {
        value = object;
        return true;
    }
    [[nodiscard]] PyObject* get() const noexcept { return value; }
};

// Class conversion: only an instance of the class, borrowed for the call
// (Guard: a Borrow, or a ValueRead, see instance.hpp).
template <Bound T, class Guard>
struct InstanceArg {
    Guard borrow;

    [[nodiscard]] bool load(PyObject* object, const char* name) {
        if (!is_instance<T>(object)) {
            set_not_an_instance(object, Class<T>::name.c_str(), name);
            return false;
        }
        return borrow.acquire(object);
    }
    [[nodiscard]] decltype(auto) get() const noexcept { return borrow.get(); }
};

template <Bound T>
struct Arg<const T&> : InstanceArg<T, Borrow<T, Access::shared>> {};
template <Bound T>
struct Arg<T> : InstanceArg<T, Borrow<T, Access::shared>> {};
template <Bound T>
struct Arg<T&> : InstanceArg<T, Borrow<T, Access::exclusive>> {};

template <class T>
inline constexpr bool mutable_reference =
    std::is_lvalue_reference_v<T> && !std::is_const_v<std::remove_reference_t<T>>;

template <class T>
using ArgFor = Arg<std::conditional_t<mutable_reference<T>, T, std::remove_cvref_t<T>>>;

// Whether converting an argument to parameter type P can run Python code: the
// float and index conversions call __float__ and __index__, and a PyObject*
// goes to the callee as it is. A class conversion is a type test, and a strict
// bool is True, False or numpy's bool through its C truth slot.
template <class P>
inline constexpr bool converts_without_python =
    Bound<std::remove_cvref_t<P>> || std::is_same_v<std::remove_cvref_t<P>, bool>;

// A call whose parameters all convert without Python code runs none between
// reading its arguments and finishing with them: the core functions are C++
// alone. Such a call may read its class arguments as pure reads (SharedRead,
// instance.hpp); any other holds their shared borrows while it converts the
// rest, so that Python code run meanwhile cannot change them.
template <class... P>
inline constexpr bool pure_call = (converts_without_python<P> && ...);

template <class Params>
inline constexpr bool pure_call_of = false;
template <class... P>
inline constexpr bool pure_call_of<std::tuple<P...>> = pure_call<P...>;

// The conversion of parameter P in a call that is pure or not.
template <class P, bool Pure>
struct CallArgOf {
    using type = ArgFor<P>;
};
template <class P, bool Pure>
requires(Bound<std::remove_cvref_t<P>> && !mutable_reference<P>) struct CallArgOf<P, Pure> {
    using type = InstanceArg<std::remove_cvref_t<P>, SharedRead<std::remove_cvref_t<P>, Pure>>;
};
template <class P, bool Pure>
using CallArg = typename CallArgOf<P, Pure>::type;

// ---------------------------------------------------------------------------
// Results.

// A result that is already a Python object (a new reference, or null with
// the error set).
struct NewReference {
    PyObject* object;
};

inline PyObject* to_python(NewReference result) noexcept {
    return result.object;
}
inline PyObject* to_python(double value) {
    return PyFloat_FromDouble(value);
}
inline PyObject* to_python(bool value) noexcept {
    return Py_NewRef(value ? Py_True : Py_False);
}
inline PyObject* to_python(std::uint64_t value) {
    return PyLong_FromUnsignedLongLong(value);
}
inline PyObject* to_python(const std::string& text) {
    return PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
}

template <Bound T>
PyObject* to_python(T value) {
    return new_instance<T>(std::move(value));
}

template <class T, std::size_t N>
PyObject* to_python(const std::array<T, N>& values);

template <class... T>
PyObject* to_python(const std::tuple<T...>& values);

template <class A, class B>
PyObject* to_python(const std::pair<A, B>& values) {
    return to_python(std::tuple<A, B>(values.first, values.second));
}

// std::array becomes a list, std::tuple and std::pair a tuple.
template <class T, std::size_t N>
PyObject* to_python(const std::array<T, N>& values) {
    return build_list(N, [&values](std::size_t index) { return to_python(values[index]); });
}

template <class... T>
PyObject* to_python(const std::tuple<T...>& values) {
    OwnedObject tuple(PyTuple_New(sizeof...(T)));
    if (!tuple) {
        throw ErrorAlreadySet{};
    }
    std::apply(
        [&tuple](const auto&... items) {
            Py_ssize_t index = 0;
            (
                [&] {
                    PyObject* object = to_python(items);
                    if (object == nullptr) {
                        throw ErrorAlreadySet{};
                    }
                    PyTuple_SET_ITEM(tuple.get(), index++, object);
                }(),
                ...);
        },
        values);
    return tuple.release();
}

// A core result-or-error value (has_value(), value(), error()): the value is
// converted as usual (None for void); the error raises ValueError with the
// error's display text, found as to_string(error).
template <class R>
concept ResultOrError = requires(const R& result) {
    { result.has_value() } -> std::convertible_to<bool>;
    result.error();
};

template <ResultOrError R>
PyObject* to_python(const R& result) {
    if (!result.has_value()) {
        const std::string text(to_string(result.error()));
        PyErr_SetString(PyExc_ValueError, text.c_str());
        throw ErrorAlreadySet{};
    }
    if constexpr (std::is_void_v<typename R::value_type>) {
        return Py_NewRef(Py_None);
    } else {
        return to_python(*result);
    }
}

}  // namespace lorvik
