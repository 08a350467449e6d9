// Making the type objects (once per process) and adding names to modules.
#pragma once

#include <Python.h>

#include <initializer_list>
#include <span>
#include <type_traits>
#include <vector>

#include "binding/errors.hpp"
#include "binding/fixed_string.hpp"
#include "binding/instance.hpp"
#include "binding/members.hpp"

namespace lorvik {

// A type slot from any function pointer or static array.
template <class T>
PyType_Slot slot(int id, T* pointer) noexcept {
    static_assert(!declared_noexcept<T>, "entry points are not noexcept (see errors.hpp)");
    if constexpr (std::is_function_v<T>) {
        return {id, reinterpret_cast<void*>(pointer)};
    } else {
        return {id, const_cast<void*>(static_cast<const void*>(pointer))};
    }
}

// Every class is final ("builtins.<Name>", no base-type flag), immutable,
// without instance dictionary, weak references or GC participation. Its doc is
// only a call signature, so __doc__ is None while __text_signature__ remains.
PyTypeObject* create_type(const char* qualified_name, int basicsize, unsigned extra_flags,
                          std::vector<PyType_Slot> slots, vectorcallfunc vectorcall);

template <Bound C>
struct ClassDecl {
    ConstructorEntries constructor{};  // none: the class cannot be called
    std::initializer_list<PyType_Slot> slots;
    unsigned extra_flags = 0;
};

// Property assignment straight to the setter. The generic path (type
// lookup, descriptor call, descriptor check) costs more than the setter itself;
// with a final class without instance dictionary it reaches the same setter,
// so only the cost differs. Attribute names arrive interned, like the
// descriptors' own names, so a pointer comparison finds the property; any other
// name (or a non-interned one) takes the generic path. The slot is set after
// the type is made, so the class gains no __setattr__/__delattr__ entries of
// its own: its members stay as declared, and object.__setattr__ still works.
struct DirectSetter {
    PyObject* name;  // the descriptor's interned name, alive with the type
    setter set;
    void* closure;
};

// The settable properties among `slots` (their Py_tp_getset table), or null.
const PyGetSetDef* settable_properties(std::span<const PyType_Slot> slots) noexcept;

// The setters of `properties`, keyed by the names the type's descriptors hold.
std::vector<DirectSetter> direct_setters(PyTypeObject* type,
                                         const PyGetSetDef* properties) noexcept;

// PyObject_GenericSetAttr, with the text a class without its own
// attribute-setting slot gives for a name it does not have: the interpreter
// words it more briefly once the slot is replaced.
int generic_setattr(PyObject* self, PyObject* name, PyObject* value);

template <Bound C>
struct DirectSetAttr {
    static inline std::vector<DirectSetter> setters;

    static int setattro(PyObject* self, PyObject* name, PyObject* value) {
        for (const DirectSetter& entry : setters) {
            if (entry.name == name) {
                return entry.set(self, value, entry.closure);
            }
        }
        return generic_setattr(self, name, value);
    }
};

// Makes the type object of C on first call; later calls reuse it.
template <Bound C>
bool make_class(const ClassDecl<C>& decl) {
    if (class_type<C> != nullptr) {
        return true;
    }
    std::vector<PyType_Slot> slots(decl.slots);
    slots.push_back({Py_tp_dealloc, reinterpret_cast<void*>(&dealloc_instance<C>)});
    if (decl.constructor.new_ != nullptr) {
        slots.push_back(slot(Py_tp_doc, decl.constructor.doc));
        slots.push_back(slot(Py_tp_new, decl.constructor.new_));
    }
    const PyGetSetDef* properties = settable_properties(slots);
    PyTypeObject* type =
        create_type(concat<"builtins.", Class<C>::name>, static_cast<int>(sizeof(Instance<C>)),
                    decl.extra_flags, std::move(slots), decl.constructor.vectorcall);
    if (type != nullptr && properties != nullptr) {
        DirectSetAttr<C>::setters = direct_setters(type, properties);
        type->tp_setattro = &DirectSetAttr<C>::setattro;
        PyType_Modified(type);
    }
    class_type<C> = type;
    return type != nullptr;
}

// Each class file defines define_class<C>() with its declaration.
template <Bound C>
bool define_class();

// Appends `name` to the module's __all__ (creating the list when missing),
// then sets the attribute. `object` is borrowed.
bool add_to_module(PyObject* module, const char* name, PyObject* object);

template <Bound C>
bool add_class(PyObject* module) {
    return define_class<C>() &&
           add_to_module(module, Class<C>::name.data, reinterpret_cast<PyObject*>(class_type<C>));
}

// A built-in function bound to `module`, added under its own name.
bool add_function(PyObject* module, PyMethodDef* definition);

}  // namespace lorvik
