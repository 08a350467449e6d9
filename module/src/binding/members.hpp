// The entries of a class's member tables (methods, static methods,
// properties), its constructor, and module functions. Every entry with named
// parameters goes through NamedCall (invoke.hpp).
#pragma once

#include <Python.h>

#include <cstddef>
#include <functional>
#include <type_traits>

#include "binding/convert.hpp"
#include "binding/errors.hpp"
#include "binding/fixed_string.hpp"
#include "binding/instance.hpp"
#include "binding/invoke.hpp"
#include "binding/messages.hpp"

namespace lorvik {

// What calling a class takes: its text signature ("Vec3d(x, y, z)"), tp_new
// and the vectorcall. make_class() installs them.
struct ConstructorEntries {
    const char* doc = nullptr;
    newfunc new_ = nullptr;
    vectorcallfunc vectorcall = nullptr;
};

template <class C>
class MemberEntries {
    // "Vec3d.dot()", "Vec3d.__new__()".
    template <FixedString Name>
    static constexpr auto display = Concat<Class<C>::name, ".", Name, "()">::value;

  public:
    // Instance method: receiver plus named parameters.
    template <FixedString Name, auto F, FixedString... Names>
    static constexpr PyMethodDef method() noexcept {
        static_assert(arity<F> == sizeof...(Names) + 1, "one name per parameter");
        if constexpr (sizeof...(Names) == 0) {
            return {Name.data, as_cfunction(&method_noargs<F>), METH_NOARGS,
                    concat<Name, "($self)\n--\n\n">};
        } else {
            return {Name.data, as_cfunction(&NamedCall<F, display<Name>, Names...>::fastcall),
                    METH_FASTCALL | METH_KEYWORDS,
                    concat<Name, "($self, ", JoinParams<Names...>::value, ")\n--\n\n">};
        }
    }

    // Static method: named parameters only.
    template <FixedString Name, auto F, FixedString... Names>
    static constexpr PyMethodDef static_method() noexcept {
        static_assert(arity<F> == sizeof...(Names), "one name per parameter");
        if constexpr (sizeof...(Names) == 0) {
            return {Name.data, as_cfunction(&static_noargs<F>), METH_NOARGS | METH_STATIC,
                    concat<Name, "()\n--\n\n">};
        } else {
            return {Name.data, as_cfunction(&NamedCall<F, display<Name>, Names...>::fastcall),
                    METH_FASTCALL | METH_KEYWORDS | METH_STATIC,
                    concat<Name, "(", JoinParams<Names...>::value, ")\n--\n\n">};
        }
    }

    // Constructor: tp_new (tuple and dict) and the vectorcall that calling the
    // class uses (no tuple or dict is built).
    template <auto F, FixedString... Names>
    struct Constructor {
        using New = NamedCall<F, display<"__new__">, Names...>;

        static PyObject* vectorcall(PyObject*, PyObject* const* args, std::size_t nargsf,
                                    PyObject* kwnames) {
            return New::fastcall(nullptr, args, PyVectorcall_NARGS(nargsf), kwnames);
        }

        static PyObject* new_(PyTypeObject*, PyObject* args, PyObject* kwargs) {
            return New::tuple_call(args, kwargs);
        }

        static constexpr ConstructorEntries entries{
            concat<Class<C>::name, "(", JoinParams<Names...>::value, ")\n--\n\n">, &new_,
            &vectorcall};
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

  private:
    template <auto F>
    static PyObject* method_noargs(PyObject* self, PyObject*) {
        return call_on_receiver<F>(self);
    }

    template <auto F>
    static PyObject* static_noargs(PyObject*, PyObject*) {
        return Invoker<F>::call(nullptr, nullptr);
    }

    template <auto Get>
    static PyObject* get_property(PyObject* self, void*) {
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

    // The value is converted first (a class value is read as in a pure call:
    // nothing runs while it is held), then the receiver is borrowed
    // exclusively.
    template <auto Set>
    static int set_property(PyObject* self, PyObject* value, void*) {
        if (value == nullptr) {
            set_no_deleter();
            return -1;
        }
        using Value = typename MemberType<decltype(Set)>::type;
        CallArg<const Value&, pure_call<const Value&>> converted;
        if (!converted.load(value, "value")) {
            return -1;
        }
        Value copy = converted.get();
        Borrow<C, Access::exclusive> borrow;
        if (!borrow.acquire(self)) {
            return -1;
        }
        borrow.assign(Set, copy);
        return 0;
    }
};

// A module-level function: display name "{name}()", all parameters named.
template <FixedString Name, auto F, FixedString... Names>
constexpr PyMethodDef module_function() noexcept {
    static_assert(sizeof...(Names) > 0 && arity<F> == sizeof...(Names));
    return {Name.data, as_cfunction(&NamedCall<F, Concat<Name, "()">::value, Names...>::fastcall),
            METH_FASTCALL | METH_KEYWORDS,
            concat<Name, "($module, ", JoinParams<Names...>::value, ")\n--\n\n">};
}

}  // namespace lorvik
