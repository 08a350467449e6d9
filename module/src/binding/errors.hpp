// How failures travel inside the module and how they reach Python.
//
// Converters and borrows report failure by returning false with the Python
// error already set, which keeps the success path free of exceptions. Code
// deeper down (core calls, bulk operations) may instead throw one of the two
// types below; every entry point catches them in one place (guarded()).
//
// No function that can run Python code (a conversion calling __float__ or
// __len__, a reference release calling __del__, a wait for the interpreter
// lock) is noexcept, and neither is any entry point the interpreter calls.
// When the interpreter ends a daemon thread at exit, it does so inside such a
// call with pthread_exit, which unwinds the thread's stack as a C++ exception
// would: a noexcept frame on the way would terminate the whole process
// instead. class_builder.hpp checks the rule for every entry.
#pragma once

#include <Python.h>

#include <exception>
#include <new>
#include <string>
#include <system_error>
#include <utility>

#include "binding/messages.hpp"

namespace lorvik {

// The Python error indicator is set; unwind to the entry point.
struct ErrorAlreadySet {};

// Whether a function type is declared noexcept, which no entry point may be.
template <class F>
inline constexpr bool declared_noexcept = false;
template <class R, class... A>
inline constexpr bool declared_noexcept<R(A...) noexcept> = true;

// An internal fault: raised to Python as PanicException with this text.
struct Panic {
    std::string text;
};

// The process-wide PanicException class (derives from BaseException).
// Made during the first import, before any entry can run.
PyObject* panic_exception_type() noexcept;
bool init_panic_exception() noexcept;

inline void raise_panic(const char* text) noexcept {
    PyErr_SetString(panic_exception_type(), text);
}

// Runs `body` and turns the C++ error types into Python exceptions.
// Returns `failure` after an error. A thread the interpreter ends at exit
// passes through unchanged (it must unwind to the end of the thread).
// std::system_error is the operating system refusing a resource (a thread of
// the worker pool): an ordinary RuntimeError, not an internal fault.
template <class R, class Body>
R guarded(R failure, Body&& body) {
    try {
        return std::forward<Body>(body)();
    } catch (const ErrorAlreadySet&) {
    } catch (const Panic& panic) {
        raise_panic(panic.text.c_str());
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::system_error& error) {
        PyErr_SetString(PyExc_RuntimeError, error.what());
    } catch (const std::exception& error) {
        raise_panic(error.what());
    } catch (...) {
        // pthread_exit unwinds without an exception object, so a catch-all is
        // the only handler it meets, and there is no current exception.
        if (!std::current_exception()) {
            throw;
        }
        raise_panic(unknown_fault);
    }
    return failure;
}

inline PyObject* not_implemented() noexcept {
    return Py_NewRef(Py_NotImplemented);
}

// Foreign operand: an operand that fails to convert makes an operator
// NotImplemented, and its error is dropped, but only a failure to convert: an
// Exception other than MemoryError and RecursionError. An interrupt,
// SystemExit, a MemoryError or a RecursionError is no verdict on the operand
// and must reach the caller. Clears the error and returns true for a
// conversion failure; leaves it set and returns false otherwise.
bool drop_conversion_failure();

}  // namespace lorvik
