#include "binding/class_builder.hpp"

#include <new>

#include "binding/messages.hpp"

namespace lorvik {

namespace {

// On a free-threaded 3.13 every new instance takes a reference to its type and
// every deallocation drops it, so threads that make objects all update the
// type's one shared reference count: a single cache line bouncing between
// cores, which stops every call that returns a new object from scaling. The
// type objects live for the whole process anyway, so they are made immortal
// the way the interpreter marks its own immortals there (which turns each
// Py_INCREF/Py_DECREF of them into a no-op), after leaving the cyclic
// collector's list as it would. 3.13 has no public call for this; later
// versions count heap type references per thread themselves.
void keep_for_process(PyTypeObject* type) noexcept {
#if defined(Py_GIL_DISABLED) && PY_VERSION_HEX >= 0x030D0000 && PY_VERSION_HEX < 0x030E0000
    auto* object = reinterpret_cast<PyObject*>(type);
    PyObject_GC_UnTrack(object);
    object->ob_tid = 0;
    object->ob_ref_local = _Py_IMMORTAL_REFCNT_LOCAL;
    object->ob_ref_shared = 0;
#else
    static_cast<void>(type);
#endif
}

}  // namespace

PyTypeObject* create_type(const char* qualified_name, int basicsize, unsigned extra_flags,
                          std::vector<PyType_Slot> slots, vectorcallfunc vectorcall) {
#if PY_VERSION_HEX >= 0x030E0000
    if (vectorcall != nullptr) {
        slots.push_back({Py_tp_vectorcall, reinterpret_cast<void*>(vectorcall)});
    }
#endif
    slots.push_back({0, nullptr});
    PyType_Spec spec{
        qualified_name, basicsize, 0,
        static_cast<unsigned int>(Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE | extra_flags),
        slots.data()};
    PyObject* object = PyType_FromSpec(&spec);
    if (object == nullptr) {
        return nullptr;
    }
    auto* type = reinterpret_cast<PyTypeObject*>(object);
    if (type->tp_doc != nullptr && PyDict_SetItemString(type->tp_dict, "__doc__", Py_None) < 0) {
        Py_DECREF(object);
        return nullptr;
    }
#if PY_VERSION_HEX < 0x030E0000
    type->tp_vectorcall = vectorcall;  // no slot for it before 3.14
#endif
    PyType_Modified(type);
    keep_for_process(type);
    return type;
}

namespace {

// Whether the class or a base defines `name`: the lookup the interpreter's
// attribute setter made before it failed. Called with no error set.
bool class_has_attribute(PyTypeObject* type, PyObject* name) {
    PyObject* mro = type->tp_mro;
    for (Py_ssize_t index = 0; index < PyTuple_GET_SIZE(mro); ++index) {
        auto* base = reinterpret_cast<PyTypeObject*>(PyTuple_GET_ITEM(mro, index));
        PyObject* dict = PyType_GetDict(base);
        const int found = dict == nullptr ? -1 : PyDict_Contains(dict, name);
        Py_XDECREF(dict);
        if (found != 0) {
            PyErr_Clear();  // a failed lookup keeps the interpreter's text
            return true;
        }
    }
    return false;
}

}  // namespace

const PyGetSetDef* settable_properties(std::span<const PyType_Slot> slots) noexcept {
    for (const PyType_Slot& slot : slots) {
        if (slot.slot != Py_tp_getset) {
            continue;
        }
        const auto* properties = static_cast<const PyGetSetDef*>(slot.pfunc);
        for (const PyGetSetDef* property = properties; property->name != nullptr; ++property) {
            if (property->set != nullptr) {
                return properties;
            }
        }
    }
    return nullptr;
}

std::vector<DirectSetter> direct_setters(PyTypeObject* type,
                                         const PyGetSetDef* properties) noexcept {
    std::vector<DirectSetter> setters;
    try {
        for (const PyGetSetDef* property = properties; property->name != nullptr; ++property) {
            PyObject* descriptor = PyDict_GetItemString(type->tp_dict, property->name);
            if (property->set != nullptr && descriptor != nullptr) {
                setters.push_back({PyDescr_NAME(descriptor), property->set, property->closure});
            }
        }
    } catch (const std::bad_alloc&) {
        // The properties left out take the generic path.
    }
    return setters;
}

int generic_setattr(PyObject* self, PyObject* name, PyObject* value) {
    const int result = PyObject_GenericSetAttr(self, name, value);
    if (result == 0 || !PyErr_ExceptionMatches(PyExc_AttributeError) || !PyUnicode_Check(name)) {
        return result;
    }
    // Keep the raised error (it carries `name` and `obj` for the interpreter's
    // suggestions); only its text changes, and only for a name the class lacks.
    PyObject* error = PyErr_GetRaisedException();
    if (!class_has_attribute(Py_TYPE(self), name)) {
        reword_missing_attribute(error, Py_TYPE(self), name);
    }
    PyErr_SetRaisedException(error);
    return result;
}

bool add_to_module(PyObject* module, const char* name, PyObject* object) {
    PyObject* all = nullptr;
    if (PyObject_GetOptionalAttrString(module, "__all__", &all) < 0) {
        return false;
    }
    if (all == nullptr) {
        all = PyList_New(0);
        if (all == nullptr || PyObject_SetAttrString(module, "__all__", all) < 0) {
            Py_XDECREF(all);
            return false;
        }
    } else if (!PyList_Check(all)) {
        set_all_not_a_list(all);
        Py_DECREF(all);
        return false;
    }
    PyObject* text = PyUnicode_FromString(name);
    const bool ok = text != nullptr && PyList_Append(all, text) == 0 &&
                    PyObject_SetAttr(module, text, object) == 0;
    Py_XDECREF(text);
    Py_DECREF(all);
    return ok;
}

bool add_function(PyObject* module, PyMethodDef* definition) {
    PyObject* module_name = PyModule_GetNameObject(module);
    if (module_name == nullptr) {
        return false;
    }
    PyObject* function = PyCFunction_NewEx(definition, module, module_name);
    Py_DECREF(module_name);
    if (function == nullptr) {
        return false;
    }
    const bool ok = add_to_module(module, definition->ml_name, function);
    Py_DECREF(function);
    return ok;
}

}  // namespace lorvik
