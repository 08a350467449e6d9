// The type slots of a class: operators, repr, hash, subscript, length and
// rich comparison. They take their operands directly, not by name.
#pragma once

#include <Python.h>

#include <cassert>
#include <cstdint>
#include <functional>
#include <type_traits>

#include "binding/convert.hpp"
#include "binding/errors.hpp"
#include "binding/instance.hpp"
#include "binding/invoke.hpp"

namespace lorvik {

enum class NotEqual {
    negate_core,      // != is the core equality negated
    via_interpreter,  // != asks the interpreter for == and negates its truth
};

enum class OtherBorrow {
    raises,           // a refused borrow of the right operand is a RuntimeError
    not_implemented,  // ... or makes the comparison NotImplemented
};

// The interpreter passes an instance of the class as the receiver of every
// slot here (a slot wrapper such as Vec3d.__hash__ checks it first), except
// the binary number slots, which it also calls when the instance is the right
// operand: only those check, hash and comparison assert it.
template <class C>
struct SlotEntries {
    // Operator slot `self OP other`: NotImplemented for a foreign receiver, a
    // receiver that cannot be borrowed, or an operand that fails to convert
    // (any other error of its conversion propagates: drop_conversion_failure).
    template <auto F>
    static PyObject* binary(PyObject* self, PyObject* other) {
        return try_binary<F>(self, other);
    }

    // One multiplication entry serving `self * s` first, then `s * self`.
    template <auto Forward, auto Reflected>
    static PyObject* multiply(PyObject* left, PyObject* right) {
        PyObject* result = try_binary<Forward>(left, right);
        if (result != Py_NotImplemented) {
            return result;
        }
        Py_DECREF(result);
        return try_binary<Reflected>(right, left);
    }

    template <auto F>
    static PyObject* unary(PyObject* self) {
        return call_on_receiver<F>(self);
    }

    template <auto F>
    static PyObject* repr(PyObject* self) {
        return call_on_receiver<F>(self);
    }

    // Hash result: the unsigned 64-bit hash read as signed; -1 and -2 both
    // become -2, since -1 signals an error.
    template <auto F>
    static Py_hash_t hash(PyObject* self) {
        assert(is_instance<C>(self));
        ReadBorrow<C> borrow;
        if (!borrow.acquire(self)) {
            return -1;
        }
        const auto value = static_cast<Py_hash_t>(static_cast<std::uint64_t>(F(borrow.get())));
        return value == -1 ? -2 : value;
    }

    // `self[index]`: the receiver is borrowed before the index is converted.
    template <auto F>
    static PyObject* subscript(PyObject* self, PyObject* key) {
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
    static Py_ssize_t length(PyObject* self) {
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
    static PyObject* richcompare(PyObject* self, PyObject* other, int op) {
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
    template <auto F>
    static PyObject* try_binary(PyObject* self, PyObject* other) {
        if (!is_instance<C>(self)) {
            return not_implemented();
        }
        constexpr bool pure = pure_call_of<Params<F>>;
        SharedRead<C, pure> borrow;
        if (!borrow.acquire(self)) {
            PyErr_Clear();
            return not_implemented();
        }
        CallArg<Param<1, F>, pure> operand;
        if (!operand.load(other, nullptr)) {
            return drop_conversion_failure() ? not_implemented() : nullptr;
        }
        return guarded<PyObject*>(
            nullptr, [&] { return to_python(std::invoke(F, borrow.get(), operand.get())); });
    }

    // The full `==` protocol, not PyObject_RichCompareBool: its identity
    // shortcut would make `a != a` false for a value unequal to itself (NaN).
    static PyObject* not_equal_via_interpreter(PyObject* self, PyObject* other) {
        PyObject* equal = PyObject_RichCompare(self, other, Py_EQ);
        if (equal == nullptr) {
            return nullptr;
        }
        const int truth = PyObject_IsTrue(equal);
        Py_DECREF(equal);
        return truth < 0 ? nullptr : to_python(truth == 0);
    }

    template <auto F, bool Negate, OtherBorrow OnConflict>
    static PyObject* compare(PyObject* self, PyObject* other) {
        if constexpr (std::is_null_pointer_v<decltype(F)>) {
            return not_implemented();
        } else {
            assert(is_instance<C>(self));
            if (!is_instance<C>(other)) {
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
