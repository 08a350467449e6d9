#include "binding/errors.hpp"

namespace lorvik {
namespace {
PyObject* panic_type = nullptr;
}

PyObject* panic_exception_type() noexcept {
    return panic_type;
}

bool init_panic_exception() noexcept {
    if (panic_type != nullptr) {
        return true;
    }
    panic_type = PyErr_NewExceptionWithDoc(
        "pyo3_runtime.PanicException",
        "Raised when an internal assertion of lorvik fails.\n\n"
        "Derives from BaseException, so ``except Exception`` does not catch it.",
        PyExc_BaseException, nullptr);
    return panic_type != nullptr;
}

PyObject* qualified_type_name(PyObject* object) noexcept {
    return PyType_GetQualName(Py_TYPE(object));
}

void set_not_an_instance(PyObject* object, const char* class_name, const char* argument) noexcept {
    if (object == Py_None) {
        if (argument != nullptr) {
            PyErr_Format(PyExc_TypeError, "argument '%s': 'None' is not an instance of '%s'",
                         argument, class_name);
        } else {
            PyErr_Format(PyExc_TypeError, "'None' is not an instance of '%s'", class_name);
        }
        return;
    }
    PyObject* type_name = qualified_type_name(object);
    if (type_name == nullptr) {
        return;
    }
    if (argument != nullptr) {
        PyErr_Format(PyExc_TypeError, "argument '%s': '%U' object is not an instance of '%s'",
                     argument, type_name, class_name);
    } else {
        PyErr_Format(PyExc_TypeError, "'%U' object is not an instance of '%s'", type_name,
                     class_name);
    }
    Py_DECREF(type_name);
}

void wrap_argument_error(const char* argument) noexcept {
    PyObject* raised = PyErr_GetRaisedException();
    if (raised == nullptr ||
        !Py_IS_TYPE(raised, reinterpret_cast<PyTypeObject*>(PyExc_TypeError))) {
        PyErr_SetRaisedException(raised);
        return;
    }
    PyObject* wrapped = nullptr;
    if (PyObject* text = PyObject_Str(raised)) {
        PyObject* message = PyUnicode_FromFormat("argument '%s': %U", argument, text);
        Py_DECREF(text);
        if (message != nullptr) {
            wrapped = PyObject_CallOneArg(PyExc_TypeError, message);
            Py_DECREF(message);
        }
    }
    if (wrapped == nullptr) {
        Py_DECREF(raised);
        return;  // the failure to build the new error is reported instead
    }
    // The new error stands where the old one was raised: same cause, same
    // context (the error being handled then), same choice of which one to show.
    PyException_SetCause(wrapped, PyException_GetCause(raised));
    PyException_SetContext(wrapped, PyException_GetContext(raised));
    reinterpret_cast<PyBaseExceptionObject*>(wrapped)->suppress_context =
        reinterpret_cast<PyBaseExceptionObject*>(raised)->suppress_context;
    Py_DECREF(raised);
    PyErr_SetRaisedException(wrapped);
}

}  // namespace lorvik
