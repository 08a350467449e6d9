#include "binding/convert.hpp"

namespace lorvik {
namespace {

bool name_is(PyObject* text, const char* expected) noexcept {
    return text != nullptr && PyUnicode_EqualToUTF8(text, expected) == 1;
}

// numpy's bool scalar type ("bool" since numpy 2, "bool_" before), recognised
// by its names so that numpy is never imported for the check.
bool is_numpy_bool_type(PyTypeObject* type) noexcept {
    PyObject* name = PyType_GetName(type);
    const bool bool_name = name_is(name, "bool_") || name_is(name, "bool");
    Py_XDECREF(name);
    if (!bool_name) {
        PyErr_Clear();
        return false;
    }
    PyObject* module = PyType_GetModuleName(type);
    const bool numpy = name_is(module, "numpy");
    Py_XDECREF(module);
    PyErr_Clear();  // a type without a readable __module__ is simply not numpy's
    return numpy;
}

}  // namespace

bool load_strict_bool(PyObject* object, const char* name, bool& out) {
    if (object == Py_True || object == Py_False) {
        out = object == Py_True;
        return true;
    }
    PyTypeObject* type = Py_TYPE(object);
    if (is_numpy_bool_type(type) && type->tp_as_number != nullptr &&
        type->tp_as_number->nb_bool != nullptr) {
        const int truth = type->tp_as_number->nb_bool(object);
        if (truth < 0) {
            return false;  // the slot's own exception passes through
        }
        out = truth != 0;
        return true;
    }
    set_not_an_instance(object, "bool", name);
    return false;
}

}  // namespace lorvik
