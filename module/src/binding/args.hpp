// Matching of vectorcall arguments to named parameters. Every parameter of the
// module is positional-or-keyword and required; the error texts follow the
// interpreter's own wording.
#pragma once

#include <Python.h>

#include <cstddef>
#include <span>

namespace lorvik {

// Fills `out` (one slot per name, borrowed references) from the positional
// arguments and the keyword names of a vectorcall. `display` is the name used
// in messages, e.g. "Vec3d.dot()". Sets TypeError and returns false on
// failure.
[[nodiscard]] bool parse_arguments(const char* display, std::span<const char* const> names,
                                   PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                                   PyObject** out);

// The same for the tuple-and-dict convention (used by tp_new).
[[nodiscard]] bool parse_tuple_arguments(const char* display, std::span<const char* const> names,
                                         PyObject* args, PyObject* kwargs, PyObject** out);

}  // namespace lorvik
