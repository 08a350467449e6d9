// Owned references and lists filled item by item: the two pieces every result
// that holds other objects is made of.
#pragma once

#include <Python.h>

#include <cstddef>
#include <utility>

#include "binding/errors.hpp"

namespace lorvik {

// Owns one reference and releases it on every path but one: a thread that
// the interpreter ends at exit unwinds without a thread state, and releasing
// a reference there could run a deallocator that needs one. The reference is
// kept then (the process is ending). Releasing one can run Python code (a
// __del__), hence no noexcept.
class OwnedObject {
  public:
    explicit OwnedObject(PyObject* object) noexcept : object_(object) {}
    OwnedObject(const OwnedObject&) = delete;
    OwnedObject& operator=(const OwnedObject&) = delete;
    ~OwnedObject() noexcept(false) {
        if (object_ != nullptr && PyThreadState_GetUnchecked() != nullptr) {
            Py_DECREF(object_);
        }
    }

    [[nodiscard]] PyObject* get() const noexcept { return object_; }
    [[nodiscard]] PyObject* release() noexcept { return std::exchange(object_, nullptr); }
    explicit operator bool() const noexcept { return object_ != nullptr; }

  private:
    PyObject* object_;
};

// A new list of `size` items; item(i) returns a new reference, or null with
// the error set. Any failure releases the partly filled list and unwinds with
// ErrorAlreadySet (or the exception item(i) threw).
template <class Item>
[[nodiscard]] PyObject* build_list(std::size_t size, Item&& item) {
    OwnedObject list(PyList_New(static_cast<Py_ssize_t>(size)));
    if (!list) {
        throw ErrorAlreadySet{};
    }
    for (std::size_t index = 0; index < size; ++index) {
        PyObject* object = item(index);
        if (object == nullptr) {
            throw ErrorAlreadySet{};
        }
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(index), object);
    }
    return list.release();
}

}  // namespace lorvik
