// The Python classes VecList and VecListIterator: the container members, and
// the bulk operations of bulk.hpp with their results made into Python objects.
#include "vec_list.hpp"

#include <tavrel/quat.hpp>
#include <tavrel/vec3d.hpp>

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "binding/binding.hpp"
#include "bulk.hpp"
#include "classes.hpp"
#include "pool.hpp"

namespace lorvik {
namespace {

using tavrel::Quat;
using tavrel::Vec3d;
using B = Bind<VecListValue>;

// ---------------------------------------------------------------------------
// Construction and container members.

// The length only reserves room. As with the interpreter's own length hint, a
// TypeError means there is none; any other error (an interrupt above all) ends
// the construction. A length too large to reserve is no error either.
void reserve_for(VecArray& elements, PyObject* sequence) {
    const Py_ssize_t length = PySequence_Size(sequence);
    if (length < 0) {
        if (!PyErr_ExceptionMatches(PyExc_TypeError)) {
            throw ErrorAlreadySet{};
        }
        PyErr_Clear();
        return;
    }
    try {
        elements.reserve(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
}

// A length that promised far more items than came keeps no reservation for
// the list's lifetime (the interpreter's list gives back what it does not use
// in the same way).
void release_unused(VecArray& elements) {
    if (elements.capacity() / 2 > elements.size()) {
        elements.shrink_to_fit();
    }
}

VecListValue construct(PyObject* sequence) {
    if (PyUnicode_Check(sequence)) {
        set_str_is_no_vector_sequence("list");
        throw ErrorAlreadySet{};
    }
    if (PySequence_Check(sequence) == 0) {
        set_not_an_instance(sequence, "Sequence", "list");
        throw ErrorAlreadySet{};
    }
    VecArray elements;
    reserve_for(elements, sequence);
    const OwnedObject iterator(PyObject_GetIter(sequence));
    if (!iterator) {
        wrap_argument_error("list");
        throw ErrorAlreadySet{};
    }
    while (const OwnedObject item{PyIter_Next(iterator.get())}) {
        ArgFor<const Vec3d&> vec;
        if (!vec.load(item.get(), "list")) {
            throw ErrorAlreadySet{};
        }
        elements.push_back(vec.get());
    }
    if (PyErr_Occurred() != nullptr) {
        wrap_argument_error("list");
        throw ErrorAlreadySet{};
    }
    release_unused(elements);
    // The items were copied straight into place; what is left of the
    // parallel step is that construction starts the pool like any bulk call.
    pool::ensure();
    return VecListValue(std::move(elements));
}

VecListValue empty() noexcept {
    return {};
}

void append(VecListValue& list, const Vec3d& vec) {
    list.elements().push_back(vec);
}

void extend(VecListValue& list, const VecListValue& other) {
    VecArray& elements = list.elements();
    elements.insert(elements.end(), other.elements().begin(), other.elements().end());
}

std::uint64_t length(const VecListValue& list) noexcept {
    return list.size();
}

Vec3d item(const VecListValue& list, std::uint64_t index) {
    if (index >= list.size()) {
        throw_index_error();
    }
    return list.elements()[index];
}

NewReference vectors(const VecListValue& list) {
    return {list_of(list.elements())};
}

// The Python lists are built straight from the element array: a parallel copy
// first would only cost a second pass and memory. The call still starts the
// pool, as every member that works on the whole array does.
NewReference to_array(const VecListValue& list) {
    pool::ensure();
    const Vec3d* elements = list.elements().data();
    return {build_list(list.size(),
                       [elements](std::size_t i) { return list_of(elements[i].to_array()); })};
}

VecListIteratorValue iterate(const VecListValue& list) {
    return {list.elements(), 0};
}

std::optional<Vec3d> next(VecListIteratorValue& iterator) noexcept {
    return iterator.next();
}

// The element texts, made on the pool in blocks, joined by line feeds inside
// brackets.
NewReference repr(const VecListValue& list) {
    const std::vector<std::string> blocks = bulk::texts(list.elements());
    std::size_t total = 2 + (blocks.empty() ? 0 : blocks.size() - 1);
    for (const std::string& text : blocks) {
        total += text.size();
    }
    // Every character is ASCII, so the texts are copied into a one-byte
    // string object without decoding.
    OwnedObject result(PyUnicode_New(static_cast<Py_ssize_t>(total), 127));
    if (!result) {
        throw ErrorAlreadySet{};
    }
    char* out = reinterpret_cast<char*>(PyUnicode_1BYTE_DATA(result.get()));
    *out++ = '[';
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        if (b != 0) {
            *out++ = '\n';
        }
        out = std::copy(blocks[b].begin(), blocks[b].end(), out);
    }
    *out = ']';
    return {result.release()};
}

// ---------------------------------------------------------------------------
// Bulk operations.

NewReference dot(const VecListValue& list, const Vec3d& other) {
    return {list_of(bulk::dot(list.elements(), other))};
}

VecListValue cross(const VecListValue& list, const Vec3d& other) {
    return VecListValue(bulk::cross(list.elements(), other));
}

NewReference magnitude(const VecListValue& list) {
    return {list_of(bulk::magnitude(list.elements()))};
}

VecListValue normalize(const VecListValue& list) {
    return VecListValue(bulk::normalize(list.elements()));
}

NewReference is_unit(const VecListValue& list) {
    return {
        list_of(bulk::is_unit(list.elements()), [](unsigned char truth) { return truth != 0; })};
}

NewReference distance_to(const VecListValue& list, const Vec3d& other) {
    return {list_of(bulk::distance_to(list.elements(), other))};
}

NewReference distance_squared(const VecListValue& list, const Vec3d& other) {
    return {list_of(bulk::distance_squared(list.elements(), other))};
}

VecListValue add(const VecListValue& list, const Vec3d& other) {
    return VecListValue(bulk::add(list.elements(), other));
}

VecListValue subtract(const VecListValue& list, const Vec3d& other) {
    return VecListValue(bulk::subtract(list.elements(), other));
}

VecListValue scale(const VecListValue& list, double s) {
    return VecListValue(bulk::scale(list.elements(), s));
}

VecListValue scale_reflected(const VecListValue& list, double s) {
    return VecListValue(bulk::scale_reflected(list.elements(), s));
}

VecListValue divide(const VecListValue& list, double s) {
    return VecListValue(bulk::divide(list.elements(), s));
}

VecListValue collapse(const VecListValue& list, std::uint64_t axis) {
    if (axis > 2) {
        throw Panic{axis_above_two};
    }
    return VecListValue(bulk::collapse(list.elements(), axis));
}

void rotate(VecListValue& list, const Quat& quat) {
    bulk::rotate(list.elements(), quat);
}

std::tuple<std::uint64_t, double> minimum_distance_to(const VecListValue& list, const Vec3d& other,
                                                      std::uint64_t stride) {
    if (stride == 0) {
        throw Panic{stride_is_zero};
    }
    const std::optional<bulk::Nearest> found =
        bulk::minimum_distance_to(list.elements(), other, stride);
    if (!found) {
        throw Panic{nearest_of_nothing};
    }
    return {found->index, found->distance};
}

using Constructor = B::Constructor<construct, "list">;

PyMethodDef methods[] = {
    B::static_method<"empty", &empty>(),
    B::method<"append", &append, "vec">(),
    B::method<"extend", &extend, "other">(),
    B::method<"to_array", &to_array>(),
    B::method<"dot", &dot, "other">(),
    B::method<"cross", &cross, "other">(),
    B::method<"magnitude", &magnitude>(),
    B::method<"normalize", &normalize>(),
    B::method<"is_unit", &is_unit>(),
    B::method<"distance_to", &distance_to, "other">(),
    B::method<"distance_squared", &distance_squared, "other">(),
    B::method<"collapse", &collapse, "axis">(),
    B::method<"rotate", &rotate, "quat">(),
    B::method<"minimum_distance_to", &minimum_distance_to, "other", "stride">(),
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef properties[] = {
    B::property<"list", &vectors>(),
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

template <>
bool define_class<VecListValue>() {
    return make_class<VecListValue>({
        .constructor = Constructor::entries,
        .slots =
            {
                slot(Py_tp_methods, methods),
                slot(Py_tp_getset, properties),
                slot(Py_tp_repr, &B::repr<repr>),
                slot(Py_tp_iter, &B::unary<iterate>),
                slot(Py_mp_length, &B::length<length>),
                slot(Py_mp_subscript, &B::subscript<item>),
                slot(Py_nb_add, &B::binary<add>),
                slot(Py_nb_subtract, &B::binary<subtract>),
                slot(Py_nb_multiply, &B::multiply<scale, scale_reflected>),
                slot(Py_nb_true_divide, &B::binary<divide>),
            },
    });
}

template <>
bool define_class<VecListIteratorValue>() {
    using Slots = IteratorSlots<VecListIteratorValue>;
    return make_class<VecListIteratorValue>({
        .slots =
            {
                slot(Py_tp_iter, &Slots::self),
                slot(Py_tp_iternext, &Slots::next<next>),
            },
        .extra_flags = Py_TPFLAGS_DISALLOW_INSTANTIATION,
    });
}

}  // namespace lorvik
