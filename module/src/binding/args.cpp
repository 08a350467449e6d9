#include "binding/args.hpp"

#include "binding/messages.hpp"

namespace lorvik {
namespace {

bool keyword_matches(PyObject* keyword, const char* name) noexcept {
    // Keyword names are usually interned, but not always (e.g. **{...} with
    // built strings), so compare the text.
    return PyUnicode_Check(keyword) && PyUnicode_EqualToUTF8(keyword, name);
}

bool place_keyword(const char* display, std::span<const char* const> names, PyObject* keyword,
                   PyObject* value, PyObject** out) {
    for (std::size_t index = 0; index < names.size(); ++index) {
        if (keyword_matches(keyword, names[index])) {
            if (out[index] != nullptr) {
                set_multiple_values(display, names[index]);
                return false;
            }
            out[index] = value;
            return true;
        }
    }
    set_unexpected_keyword(display, keyword);
    return false;
}

bool take_positional(const char* display, std::span<const char* const> names, PyObject* const* args,
                     Py_ssize_t nargs, PyObject** out) {
    const auto count = static_cast<Py_ssize_t>(names.size());
    if (nargs > count) {
        set_too_many_positional(display, count, nargs);
        return false;
    }
    for (std::size_t index = 0; index < names.size(); ++index) {
        out[index] = static_cast<Py_ssize_t>(index) < nargs ? args[index] : nullptr;
    }
    return true;
}

bool check_complete(const char* display, std::span<const char* const> names, PyObject* const* out) {
    for (std::size_t index = 0; index < names.size(); ++index) {
        if (out[index] == nullptr) {
            set_missing_arguments(display, names, out);
            return false;
        }
    }
    return true;
}

}  // namespace

bool parse_arguments(const char* display, std::span<const char* const> names, PyObject* const* args,
                     Py_ssize_t nargs, PyObject* kwnames, PyObject** out) {
    if (!take_positional(display, names, args, nargs, out)) {
        return false;
    }
    if (kwnames != nullptr) {
        const Py_ssize_t keywords = PyTuple_GET_SIZE(kwnames);
        for (Py_ssize_t index = 0; index < keywords; ++index) {
            if (!place_keyword(display, names, PyTuple_GET_ITEM(kwnames, index),
                               args[nargs + index], out)) {
                return false;
            }
        }
    }
    return check_complete(display, names, out);
}

bool parse_tuple_arguments(const char* display, std::span<const char* const> names, PyObject* args,
                           PyObject* kwargs, PyObject** out) {
    if (!take_positional(display, names, &PyTuple_GET_ITEM(args, 0), PyTuple_GET_SIZE(args), out)) {
        return false;
    }
    if (kwargs != nullptr) {
        Py_ssize_t position = 0;
        PyObject* keyword = nullptr;
        PyObject* value = nullptr;
        while (PyDict_Next(kwargs, &position, &keyword, &value)) {
            if (!place_keyword(display, names, keyword, value, out)) {
                return false;
            }
        }
    }
    return check_complete(display, names, out);
}

}  // namespace lorvik
