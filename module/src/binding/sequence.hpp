// Python lists built from C++ ranges, and the two slots of an iterator class.
#pragma once

#include <Python.h>

#include <cstddef>
#include <functional>
#include <iterator>
#include <utility>

#include "binding/convert.hpp"
#include "binding/errors.hpp"
#include "binding/instance.hpp"
#include "binding/owned.hpp"

namespace lorvik {

// A new list holding to_python(convert(values[i])) for each element of a
// contiguous range (std::vector, std::span, std::array ...), such as the result
// array of a bulk operation.
template <class Range, class Convert = std::identity>
[[nodiscard]] PyObject* list_of(const Range& values, Convert convert = {}) {
    const auto* data = std::data(values);
    return build_list(std::size(values), [data, &convert](std::size_t index) {
        return to_python(convert(data[index]));
    });
}

// Slots of an iterator class C.
template <Bound C>
struct IteratorSlots {
    // tp_iter: the iterator itself, under a shared borrow.
    static PyObject* self(PyObject* object) {
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
    static PyObject* next(PyObject* object) {
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
