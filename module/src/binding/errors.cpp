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

bool drop_conversion_failure() {
    if (!PyErr_ExceptionMatches(PyExc_Exception) || PyErr_ExceptionMatches(PyExc_MemoryError) ||
        PyErr_ExceptionMatches(PyExc_RecursionError)) {
        return false;
    }
    PyErr_Clear();
    return true;
}

}  // namespace lorvik
