// Python lists built from C++ arrays, and the two slots of an iterator class.
#pragma once

#include <Python.h>

#include <cstddef>
#include <iterator>
#include <optional>
#include <utility>

#include "binding/convert.hpp"
#include "binding/errors.hpp"
#include "binding/instance.hpp"

namespace lorvik {

// Owns one reference and releases it on every path.
class OwnedObject {
  public:
    explicit OwnedObject(PyObject* object) noexcept : object_(object) {}
    OwnedObject(const OwnedObject&) = delete;
    OwnedObject& operator=(const OwnedObject&) = delete;
    ~OwnedObject() { Py_XDECREF(object_); }

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

// A new list holding to_python(values[i]) for each element of a contiguous
// range (std::vector, std::span, std::array ...).
template <class Range>
[[nodiscard]] PyObject* list_of(const Range& values) {
    const auto* data = std::data(values);
    return build_list(std::size(values),
                      [data](std::size_t index) { return to_python(data[index]); });
}

// Slots of an iterator class C.
template <Bound C>
struct IteratorSlots {
    // tp_iter: the iterator itself, under a shared borrow.
    static PyObject* self(PyObject* object) noexcept {
        Borrow<C, Access::shared> borrow;
        if (!borrow.acquire(object)) {
            return nullptr;
        }
        return Py_NewRef(object);
    }

    // tp_iternext: F(C&) returns std::optional of the next item; an empty
    // optional ends the iteration (null without an exception set). The
    // iterator is borrowed exclusively while F runs.
    template <auto F>
    static PyObject* next(PyObject* object) noexcept {
        Borrow<C, Access::exclusive> borrow;
        if (!borrow.acquire(object)) {
            return nullptr;
        }
        return guarded<PyObject*>(nullptr, [&]() -> PyObject* {
            auto item = F(borrow.get());
            return item ? to_python(std::move(*item)) : nullptr;
        });
    }
};

}  // namespace lorvik
