#include "binding/messages.hpp"

#include <string>

#include "binding/errors.hpp"
#include "binding/instance.hpp"

namespace lorvik {

void set_too_many_positional(const char* display, Py_ssize_t count, Py_ssize_t given) {
    PyErr_Format(PyExc_TypeError, "%s takes %zd positional arguments but %zd %s given", display,
                 count, given, given == 1 ? "was" : "were");
}

void set_unexpected_keyword(const char* display, PyObject* keyword) {
    PyErr_Format(PyExc_TypeError, "%s got an unexpected keyword argument '%S'", display, keyword);
}

void set_multiple_values(const char* display, const char* name) {
    PyErr_Format(PyExc_TypeError, "%s got multiple values for argument '%s'", display, name);
}

// "'a'", "'a' and 'b'", "'a', 'b', and 'c'".
void set_missing_arguments(const char* display, std::span<const char* const> names,
                           PyObject* const* filled) {
    std::size_t missing = 0;
    for (std::size_t index = 0; index < names.size(); ++index) {
        if (filled[index] == nullptr) {
            ++missing;
        }
    }
    std::string list;
    std::size_t seen = 0;
    for (std::size_t index = 0; index < names.size(); ++index) {
        if (filled[index] != nullptr) {
            continue;
        }
        if (seen > 0) {
            if (missing == 2) {
                list += " and ";
            } else if (seen + 1 == missing) {
                list += ", and ";
            } else {
                list += ", ";
            }
        }
        list += '\'';
        list += names[index];
        list += '\'';
        ++seen;
    }
    PyErr_Format(PyExc_TypeError, "%s missing %zu required positional %s: %s", display, missing,
                 missing == 1 ? "argument" : "arguments", list.c_str());
}

void set_not_an_instance(PyObject* object, const char* class_name, const char* argument) {
    if (object == Py_None) {
        if (argument != nullptr) {
            PyErr_Format(PyExc_TypeError, "argument '%s': 'None' is not an instance of '%s'",
                         argument, class_name);
        } else {
            PyErr_Format(PyExc_TypeError, "'None' is not an instance of '%s'", class_name);
        }
        return;
    }
    // The qualified name: 'float', 'Vec3d', 'NoneType'.
    PyObject* type_name = PyType_GetQualName(Py_TYPE(object));
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

void wrap_argument_error(const char* argument) {
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

void set_borrow_refused(Access requested) {
    PyErr_SetString(PyExc_RuntimeError, requested == Access::exclusive
                                            ? "Already borrowed"
                                            : "Already mutably borrowed");
}

void set_no_deleter() {
    PyErr_SetString(PyExc_AttributeError, "property has no deleter");
}

void reword_missing_attribute(PyObject* error, PyTypeObject* type, PyObject* name) {
    PyObject* args = Py_BuildValue(
        "(N)", PyUnicode_FromFormat("'%.100s' object has no attribute '%U' and no __dict__ for "
                                    "setting new attributes",
                                    type->tp_name, name));
    if (args == nullptr || PyObject_SetAttrString(error, "args", args) < 0) {
        PyErr_Clear();  // the interpreter's shorter text stands
    }
    Py_XDECREF(args);
}

void set_str_is_no_vector_sequence(const char* argument) {
    PyErr_SetString(PyExc_TypeError, "Can't extract `str` to `Vec`");
    wrap_argument_error(argument);
}

void throw_index_error() {
    PyErr_SetString(PyExc_IndexError, "Index out of bounds");
    throw ErrorAlreadySet{};
}

void throw_class_not_initialized(const char* class_name) {
    throw Panic{std::string("An error occurred while initializing class ") + class_name};
}

void set_second_interpreter() {
    PyErr_SetString(PyExc_ImportError,
                    "lorvik does not yet support sub-interpreters: it can be imported in one "
                    "interpreter per process");
}

void set_all_not_a_list(PyObject* all) {
    PyErr_Format(PyExc_TypeError, "'%T' object is not an instance of 'list'", all);
}

}  // namespace lorvik
