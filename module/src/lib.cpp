// Module start-up: the definitions of "lorvik" and "lorvik.geometry", their
// registration steps, and the guard against a second interpreter.
#include <Python.h>

#include <atomic>
#include <cstdint>

#include <tavrel/vec3d.hpp>

#include "binding/binding.hpp"
#include "geometry/intersection.hpp"

namespace lorvik {
namespace {

int exec_top(PyObject* module) noexcept;
int exec_geometry(PyObject* module) noexcept;

PyModuleDef_Slot top_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(&exec_top)},
    {Py_mod_gil, Py_MOD_GIL_NOT_USED},
    {0, nullptr},
};

PyModuleDef top_definition = {
    PyModuleDef_HEAD_INIT, "lorvik", "", 0, nullptr, top_slots, nullptr, nullptr, nullptr,
};

PyModuleDef_Slot geometry_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(&exec_geometry)},
    {Py_mod_gil, Py_MOD_GIL_NOT_USED},
    {0, nullptr},
};

PyModuleDef geometry_definition = {
    PyModuleDef_HEAD_INIT, "lorvik.geometry", "",      0,       nullptr,
    geometry_slots,        nullptr,           nullptr, nullptr,
};

// The classes and the submodule are made once per process and shared by every
// module object; they must never be shared with a second interpreter.
std::atomic<std::int64_t> owning_interpreter{-1};
PyObject* geometry_module = nullptr;
// Guards the once-per-process items. PyMutex releases the interpreter lock
// while it waits, so a thread making them cannot deadlock a waiting one.
PyMutex once_lock{};

bool claim_interpreter() noexcept {
    const std::int64_t id = PyInterpreterState_GetID(PyInterpreterState_Get());
    if (id < 0) {
        return false;
    }
    std::int64_t expected = -1;
    if (!owning_interpreter.compare_exchange_strong(expected, id) && expected != id) {
        PyErr_SetString(PyExc_ImportError,
                        "lorvik does not yet support sub-interpreters: it can be imported in "
                        "one interpreter per process");
        return false;
    }
    return true;
}

PyObject* make_geometry_module() noexcept {
    if (geometry_module != nullptr) {
        return Py_NewRef(geometry_module);
    }
    PyObject* types = PyImport_ImportModule("types");
    if (types == nullptr) {
        return nullptr;
    }
    PyObject* spec = nullptr;
    if (PyObject* namespace_type = PyObject_GetAttrString(types, "SimpleNamespace")) {
        if (PyObject* kwargs = Py_BuildValue("{s:s}", "name", "lorvik.geometry")) {
            PyObject* no_args = PyTuple_New(0);
            if (no_args != nullptr) {
                spec = PyObject_Call(namespace_type, no_args, kwargs);
                Py_DECREF(no_args);
            }
            Py_DECREF(kwargs);
        }
        Py_DECREF(namespace_type);
    }
    Py_DECREF(types);
    if (spec == nullptr) {
        return nullptr;
    }
    PyObject* module = PyModule_FromDefAndSpec2(&geometry_definition, spec, PYTHON_API_VERSION);
    Py_DECREF(spec);
    if (module == nullptr) {
        return nullptr;
    }
    if (PyModule_ExecDef(module, &geometry_definition) < 0) {
        Py_DECREF(module);
        return nullptr;
    }
    geometry_module = Py_NewRef(module);
    return module;
}

bool add_submodule(PyObject* module) noexcept {
    PyMutex_Lock(&once_lock);
    PyObject* geometry = make_geometry_module();
    PyMutex_Unlock(&once_lock);
    if (geometry == nullptr) {
        return false;
    }
    // Added under the last component of its own name: "geometry".
    const bool ok = add_to_module(module, "geometry", geometry);
    Py_DECREF(geometry);
    return ok;
}

bool make_classes() noexcept {
    PyMutex_Lock(&once_lock);
    const bool ok = init_panic_exception() && define_class<tavrel::AngleDegrees>() &&
                    define_class<tavrel::AngleRadians>() && define_class<tavrel::Quat>() &&
                    define_class<VecListValue>() && define_class<VecListIteratorValue>() &&
                    define_class<tavrel::Vec3d>() && define_class<tavrel::geometry::Plane>() &&
                    define_class<tavrel::geometry::Circle>();
    PyMutex_Unlock(&once_lock);
    return ok;
}

int exec_top(PyObject* module) noexcept {
    const bool ok = claim_interpreter() && make_classes() &&
                    add_class<tavrel::AngleDegrees>(module) &&
                    add_class<tavrel::AngleRadians>(module) && add_class<tavrel::Quat>(module) &&
                    add_class<VecListValue>(module) && add_class<tavrel::Vec3d>(module) &&
                    add_submodule(module);
    return ok ? 0 : -1;
}

int exec_geometry(PyObject* module) noexcept {
    if (!add_class<tavrel::geometry::Circle>(module)) {
        return -1;
    }
    for (PyMethodDef& function : geometry_functions()) {
        if (!add_function(module, &function)) {
            return -1;
        }
    }
    return add_class<tavrel::geometry::Plane>(module) ? 0 : -1;
}

}  // namespace
}  // namespace lorvik

PyMODINIT_FUNC PyInit_lorvik() {
    return PyModuleDef_Init(&lorvik::top_definition);
}
