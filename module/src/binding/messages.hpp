// Every text the module words itself, in the order of the conventions they
// belong to. Each function sets the Python error (or throws to the entry
// point, where its name says so); the interpreter's own texts pass through
// untouched everywhere else.
#pragma once

#include <Python.h>

#include <cstddef>
#include <span>

namespace lorvik {

enum class Access;  // instance.hpp

// Argument parsing. `display` names the function ("Vec3d.dot()").
void set_too_many_positional(const char* display, Py_ssize_t count, Py_ssize_t given);
void set_unexpected_keyword(const char* display, PyObject* keyword);
void set_multiple_values(const char* display, const char* name);
// The parameters whose slot in `filled` is still null, in order.
void set_missing_arguments(const char* display, std::span<const char* const> names,
                           PyObject* const* filled);

// Class conversion: TypeError "'{type}' object is not an instance of
// '{class}'" ("'None' is not an instance of ..." for None), prefixed with
// "argument '{name}': " when `argument` is not null.
void set_not_an_instance(PyObject* object, const char* class_name, const char* argument);

// Argument error wrapping: if the current error is exactly a TypeError,
// replace it with "argument '{name}': {text}" keeping its cause and context;
// other errors pass unchanged.
void wrap_argument_error(const char* argument);

// Borrow rules: RuntimeError for a borrow of kind `requested` that was refused.
void set_borrow_refused(Access requested);

// Property access: deleting a property.
void set_no_deleter();

// Setting a name the class does not have: rewords the raised AttributeError
// `error` (keeping its name and obj for the interpreter's suggestions) the way
// the interpreter does for a class without its own attribute-setting slot.
void reword_missing_attribute(PyObject* error, PyTypeObject* type, PyObject* name);

// VecList construction from a str: TypeError "Can't extract `str` to `Vec`",
// wrapped for `argument`.
void set_str_is_no_vector_sequence(const char* argument);

// Internal faults of VecList's bulk operations.
inline constexpr const char* axis_above_two = "assertion failed: axis <= 2";
inline constexpr const char* stride_is_zero = "assertion failed: stride != 0";
inline constexpr const char* nearest_of_nothing = "minimum_distance_to needs at least one element";

// Indexing Vec3d and VecList: IndexError "Index out of bounds", thrown to the
// entry point.
[[noreturn]] void throw_index_error();

// Internal fault: a class whose type object could not be made, thrown as a
// Panic to the entry point.
[[noreturn]] void throw_class_not_initialized(const char* class_name);
// Internal fault without a text of its own.
inline constexpr const char* unknown_fault = "unknown internal error";

// Start-up: an import from a second interpreter; a module whose __all__ is
// not a list.
void set_second_interpreter();
void set_all_not_a_list(PyObject* all);

}  // namespace lorvik
