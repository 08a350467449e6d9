// Module start-up: the definitions of "lorvik" and "lorvik.geometry", the one
// table both registration steps follow, and the guard against a second
// interpreter.
#include <Python.h>

#include <atomic>
#include <cstdint>

#include <tavrel/vec3d.hpp>

#include "binding/binding.hpp"
#include "classes.hpp"
#include "geometry/intersection.hpp"

namespace lorvik {
namespace {

int exec_top(PyObject* module);
int exec_geometry(PyObject* module);

PyModuleDef_Slot top_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(&exec_top)},
    {Py_mod_gil, Py_MOD_GIL_NOT_USED},
    {0, nullptr},
};

PyModuleDef top_definition = {
    .m_base = PyModuleDef_HEAD_INIT,
    .m_name = "lorvik",
    .m_doc = "",
    .m_size = 0,
    .m_slots = top_slots,
};

PyModuleDef_Slot geometry_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(&exec_geometry)},
    {Py_mod_gil, Py_MOD_GIL_NOT_USED},
    {0, nullptr},
};

PyModuleDef geometry_definition = {
    .m_base = PyModuleDef_HEAD_INIT,
    .m_name = "lorvik.geometry",
    .m_doc = "",
    .m_size = 0,
    .m_slots = geometry_slots,
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
        set_second_interpreter();
        return false;
    }
    return true;
}

// Made from its definition with a plain namespace as spec, since the
// submodule is no entry of sys.modules.
PyObject* make_geometry_module() {
    if (geometry_module != nullptr) {
        return Py_NewRef(geometry_module);
    }
    const OwnedObject types(PyImport_ImportModule("types"));
    if (!types) {
        return nullptr;
    }
    const OwnedObject namespace_type(PyObject_GetAttrString(types.get(), "SimpleNamespace"));
    if (!namespace_type) {
        return nullptr;
    }
    const OwnedObject fields(Py_BuildValue("{s:s}", "name", "lorvik.geometry"));
    if (!fields) {
        return nullptr;
    }
    const OwnedObject spec(PyObject_VectorcallDict(namespace_type.get(), nullptr, 0, fields.get()));
    if (!spec) {
        return nullptr;
    }
    OwnedObject module(
        PyModule_FromDefAndSpec2(&geometry_definition, spec.get(), PYTHON_API_VERSION));
    if (!module || PyModule_ExecDef(module.get(), &geometry_definition) < 0) {
        return nullptr;
    }
    geometry_module = Py_NewRef(module.get());
    return module.release();
}

bool add_submodule(PyObject* module) {
    PyMutex_Lock(&once_lock);
    const OwnedObject geometry(make_geometry_module());
    PyMutex_Unlock(&once_lock);
    // Added under the last component of its own name: "geometry".
    return geometry && add_to_module(module, "geometry", geometry.get());
}

bool add_geometry_functions(PyObject* module) {
    for (PyMethodDef& function : geometry_functions()) {
        if (!add_function(module, &function)) {
            return false;
        }
    }
    return true;
}

enum class Home { top, geometry, nowhere };

// One registration step: a class (made at the first import, added to its
// module unless it lives nowhere) or another name added to a module.
struct Step {
    Home home;
    bool (*make)();
    bool (*add)(PyObject* module);
};

template <Bound C>
constexpr Step class_in(Home home) noexcept {
    return {home, &define_class<C>, &add_class<C>};
}

// Each module's names in their registration order; adding a class is one line.
constexpr Step steps[] = {
    class_in<tavrel::AngleDegrees>(Home::top),
    class_in<tavrel::AngleRadians>(Home::top),
    class_in<tavrel::Quat>(Home::top),
    class_in<VecListValue>(Home::top),
    class_in<tavrel::Vec3d>(Home::top),
    {Home::top, nullptr, &add_submodule},
    class_in<VecListIteratorValue>(Home::nowhere),  // reached by iterating a VecList
    class_in<tavrel::geometry::Circle>(Home::geometry),
    {Home::geometry, nullptr, &add_geometry_functions},
    class_in<tavrel::geometry::Plane>(Home::geometry),
};

bool make_classes() {
    PyMutex_Lock(&once_lock);
    bool ok = init_panic_exception();
    for (const Step& step : steps) {
        ok = ok && (step.make == nullptr || step.make());
    }
    PyMutex_Unlock(&once_lock);
    return ok;
}

// Stops at the first failure, which fails the import.
bool register_names(PyObject* module, Home home) {
    for (const Step& step : steps) {
        if (step.home == home && !step.add(module)) {
            return false;
        }
    }
    return true;
}

int exec_top(PyObject* module) {
    return claim_interpreter() && make_classes() && register_names(module, Home::top) ? 0 : -1;
}

int exec_geometry(PyObject* module) {
    return register_names(module, Home::geometry) ? 0 : -1;
}

}  // namespace
}  // namespace lorvik

PyMODINIT_FUNC PyInit_lorvik() {
    return PyModuleDef_Init(&lorvik::top_definition);
}
