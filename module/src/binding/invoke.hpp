// Calling a core function from an entry point: each argument converted by the
// C++ parameter type it meets (convert.hpp), the call guarded, the result
// converted back.
#pragma once

#include <Python.h>

#include <array>
#include <cstddef>
#include <functional>
#include <span>
#include <tuple>
#include <type_traits>
#include <utility>

#include "binding/args.hpp"
#include "binding/callable.hpp"
#include "binding/convert.hpp"
#include "binding/errors.hpp"
#include "binding/fixed_string.hpp"

namespace lorvik {

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
// names[i]; a null name means the receiver), then calls F. Whether the class
// arguments are pure reads follows from the parameter list (pure_call).
template <auto F, class List = Params<F>>
struct Invoker;

template <auto F, class... P>
struct Invoker<F, std::tuple<P...>> {
    static PyObject* call(PyObject* const* objects, const char* const* names) {
        return call(objects, names, std::index_sequence_for<P...>{});
    }

  private:
    template <std::size_t... I>
    static PyObject* call(PyObject* const* objects, const char* const* names,
                          std::index_sequence<I...>) {
        std::tuple<CallArg<P, pure_call<P...>>...> args;
        if (!(std::get<I>(args).load(objects[I], names[I]) && ...)) {
            return nullptr;
        }
        return guarded<PyObject*>(nullptr, [&] {
            return call_to_python(
                [&]() -> decltype(auto) { return std::invoke(F, std::get<I>(args).get()...); });
        });
    }
};

// F on its receiver alone.
template <auto F>
PyObject* call_on_receiver(PyObject* self) {
    static constexpr const char* receiver_name = nullptr;
    return Invoker<F>::call(&self, &receiver_name);
}

// The one body of every entry with named parameters (methods, static methods,
// constructors, module functions): the arguments are matched to Names with the
// display name Display in messages, then converted and passed to F. When F
// takes a receiver besides the named parameters, it comes first.
template <auto F, FixedString Display, FixedString... Names>
struct NamedCall {
    static constexpr std::size_t count = sizeof...(Names);
    static constexpr bool has_receiver = arity<F> == count + 1;
    static_assert(has_receiver || arity<F> == count, "one name per parameter");

    // METH_FASTCALL | METH_KEYWORDS, and vectorcall; `self` is ignored when F
    // takes no receiver.
    static PyObject* fastcall(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                              PyObject* kwnames) {
        return invoke(self, [&](PyObject** out) {
            return parse_arguments(Display.data, parameters(), args, nargs, kwnames, out);
        });
    }

    // The tuple-and-dict convention of tp_new.
    static PyObject* tuple_call(PyObject* args, PyObject* kwargs) {
        return invoke(nullptr, [&](PyObject** out) {
            return parse_tuple_arguments(Display.data, parameters(), args, kwargs, out);
        });
    }

  private:
    // The receiver's null name (its errors carry no argument prefix), then
    // the parameter names.
    static constexpr std::array<const char*, count + 1> names{nullptr, Names.data...};

    static constexpr std::span<const char* const> parameters() noexcept {
        return {names.data() + 1, count};
    }

    template <class Parse>
    static PyObject* invoke(PyObject* self, Parse parse) {
        PyObject* objects[count + 1];
        objects[0] = self;
        if (!parse(objects + 1)) {
            return nullptr;
        }
        constexpr std::size_t first = has_receiver ? 0 : 1;
        return Invoker<F>::call(objects + first, names.data() + first);
    }
};

template <class F>
PyCFunction as_cfunction(F function) noexcept {
    static_assert(!declared_noexcept<std::remove_pointer_t<F>>,
                  "entry points are not noexcept (see errors.hpp)");
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function));
}

}  // namespace lorvik
