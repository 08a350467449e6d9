// How failures travel inside the module and how they reach Python.
//
// Converters and borrows report failure by returning false with the Python
// error already set, which keeps the success path free of exceptions. Code
// deeper down (core calls, bulk operations) may instead throw one of the two
// types below; every entry point catches them in one place (guarded()).
#pragma once

#include <Python.h>

#include <exception>
#include <new>
#include <string>
#include <utility>

#include "binding/messages.hpp"

namespace lorvik {

// The Python error indicator is set; unwind to the entry point.
struct ErrorAlreadySet {};

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
// Returns `failure` after an error.
template <class R, class Body>
R guarded(R failure, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (const ErrorAlreadySet&) {
    } catch (const Panic& panic) {
        raise_panic(panic.text.c_str());
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::exception& error) {
        raise_panic(error.what());
    } catch (...) {
        raise_panic(unknown_fault);
    }
    return failure;
}

inline PyObject* not_implemented() noexcept {
    return Py_NewRef(Py_NotImplemented);
}

}  // namespace lorvik
