// The Python classes VecList and VecListIterator.
//
// Every bulk operation maps the core operation over the element array on the
// worker pool, one result slot per element, and builds its Python result on
// the calling thread afterwards: the per-element values are the bits the
// scalar Vec3d methods give.
#include "vec_list.hpp"

#include <tavrel/quat.hpp>
#include <tavrel/vec3d.hpp>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <new>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "binding/binding.hpp"
#include "binding/sequence.hpp"
#include "pool.hpp"

namespace lorvik {
namespace {

using tavrel::Quat;
using tavrel::Vec3d;
using B = Bind<VecListValue>;

// Smallest chunk handed to another thread, in elements: 2 to 5 µs of work.
// Waking a worker costs a few microseconds; measured on 2 cores, splitting a
// list of twice these sizes already beats the calling thread alone. (The
// grain only moves the cuts, never a result.)
constexpr std::size_t light_grain = 8192;   // a few additions and products: 0.6 ns each
constexpr std::size_t medium_grain = 2048;  // divisions, a square root, rotate: 1 ns
constexpr std::size_t heavy_grain = 1024;   // a square root and three divisions: 1.5 ns

template <class T>
using ResultArray = std::vector<T, BulkAllocator<T>>;

// result[i] = f(elements[i]) on the pool, into an array that is not zeroed
// first since every slot is written.
template <class T, class F>
ResultArray<T> map_elements(const VecListValue& list, std::size_t grain, F f) {
    ResultArray<T> result;
    result.resize(list.size());
    const Vec3d* elements = list.elements().data();
    pool::map_into(std::span<T>(result), grain,
                   [elements, f](std::size_t i) noexcept { return f(elements[i]); });
    return result;
}

template <class F>
VecListValue map_vectors(const VecListValue& list, std::size_t grain, F f) {
    return VecListValue(map_elements<Vec3d>(list, grain, f));
}

template <class F>
NewReference map_floats(const VecListValue& list, std::size_t grain, F f) {
    const ResultArray<double> values = map_elements<double>(list, grain, f);
    return {list_of(values)};
}

// One byte per truth value: std::vector<bool> would pack bits, which two
// threads cannot write side by side.
template <class F>
NewReference map_truths(const VecListValue& list, std::size_t grain, F f) {
    const ResultArray<unsigned char> values = map_elements<unsigned char>(
        list, grain, [f](const Vec3d& e) noexcept { return static_cast<unsigned char>(f(e)); });
    return {build_list(values.size(), [&](std::size_t i) { return to_python(values[i] != 0); })};
}

// ---------------------------------------------------------------------------
// Construction and container members.

[[noreturn]] void fail_argument(const char* text) {
    PyErr_SetString(PyExc_TypeError, text);
    wrap_argument_error("list");
    throw ErrorAlreadySet{};
}

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
        fail_argument("Can't extract `str` to `Vec`");
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

// Element texts joined by line feeds inside brackets. The elements are cut
// into blocks whose texts are made on the pool and copied into the string
// object in block order.
NewReference repr(const VecListValue& list) {
    const Vec3d* elements = list.elements().data();
    const std::size_t n = list.size();
    // Several blocks per thread for balance, none so small that handing it
    // over costs more than writing it.
    constexpr std::size_t min_block = 64;
    const std::size_t wanted_blocks = 4 * pool::thread_count();
    const std::size_t block = std::max(min_block, (n + wanted_blocks - 1) / wanted_blocks);
    const std::size_t blocks = (n + block - 1) / block;
    std::vector<std::string> texts(blocks);
    pool::map_into(std::span<std::string>(texts), 1, [&](std::size_t b) {
        const std::size_t begin = b * block;
        const std::size_t end = std::min(n, begin + block);
        std::string text;
        text.reserve((end - begin) * 32);
        for (std::size_t i = begin; i < end; ++i) {
            if (i != begin) {
                text += '\n';
            }
            tavrel::append_repr(text, elements[i]);
        }
        return text;
    });
    std::size_t total = 2 + (blocks == 0 ? 0 : blocks - 1);
    for (const std::string& text : texts) {
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
    for (std::size_t b = 0; b < blocks; ++b) {
        if (b != 0) {
            *out++ = '\n';
        }
        out = std::copy(texts[b].begin(), texts[b].end(), out);
    }
    *out = ']';
    return {result.release()};
}

// ---------------------------------------------------------------------------
// Bulk operations.

NewReference dot(const VecListValue& list, const Vec3d& other) {
    return map_floats(list, light_grain, [o = other](const Vec3d& e) noexcept { return e.dot(o); });
}

VecListValue cross(const VecListValue& list, const Vec3d& other) {
    return map_vectors(list, light_grain,
                       [o = other](const Vec3d& e) noexcept { return e.cross(o); });
}

NewReference magnitude(const VecListValue& list) {
    return map_floats(list, medium_grain, [](const Vec3d& e) noexcept { return e.magnitude(); });
}

VecListValue normalize(const VecListValue& list) {
    return map_vectors(list, heavy_grain, [](const Vec3d& e) noexcept { return e.normalize(); });
}

NewReference is_unit(const VecListValue& list) {
    return map_truths(list, medium_grain, [](const Vec3d& e) noexcept { return e.is_unit(); });
}

NewReference distance_to(const VecListValue& list, const Vec3d& other) {
    return map_floats(list, medium_grain,
                      [o = other](const Vec3d& e) noexcept { return e.distance_to(o); });
}

NewReference distance_squared(const VecListValue& list, const Vec3d& other) {
    return map_floats(list, light_grain,
                      [o = other](const Vec3d& e) noexcept { return e.distance_squared(o); });
}

VecListValue add(const VecListValue& list, const Vec3d& other) {
    return map_vectors(list, light_grain, [o = other](const Vec3d& e) noexcept { return e + o; });
}

VecListValue subtract(const VecListValue& list, const Vec3d& other) {
    return map_vectors(list, light_grain, [o = other](const Vec3d& e) noexcept { return e - o; });
}

VecListValue scale(const VecListValue& list, double s) {
    return map_vectors(list, light_grain, [s](const Vec3d& e) noexcept { return e * s; });
}

VecListValue scale_reflected(const VecListValue& list, double s) {
    return map_vectors(list, light_grain, [s](const Vec3d& e) noexcept { return s * e; });
}

VecListValue divide(const VecListValue& list, double s) {
    return map_vectors(list, medium_grain, [s](const Vec3d& e) noexcept { return e / s; });
}

template <std::size_t Axis>
VecListValue collapse_axis(const VecListValue& list) {
    return map_vectors(list, light_grain, [](Vec3d e) noexcept {
        if constexpr (Axis == 0) {
            e.x = 0.0;
        } else if constexpr (Axis == 1) {
            e.y = 0.0;
        } else {
            e.z = 0.0;
        }
        return e;
    });
}

VecListValue collapse(const VecListValue& list, std::uint64_t axis) {
    switch (axis) {
        case 0:
            return collapse_axis<0>(list);
        case 1:
            return collapse_axis<1>(list);
        case 2:
            return collapse_axis<2>(list);
        default:
            throw Panic{"assertion failed: axis <= 2"};
    }
}

// In place: each element depends on itself only, so the result array can be
// the element array.
void rotate(VecListValue& list, const Quat& quat) {
    const Quat q = quat;
    VecArray& elements = list.elements();
    Vec3d* data = elements.data();
    pool::map_into(std::span<Vec3d>(elements), medium_grain,
                   [q, data](std::size_t i) noexcept { return q.rotate(data[i]); });
}

// The IEEE 754 total order as a signed integer order: negative patterns have
// their magnitude bits inverted, so -NaN < -inf < ... < -0 < +0 < ... < +inf
// < +NaN.
constexpr std::int64_t total_order_key(double value) noexcept {
    const auto bits = std::bit_cast<std::int64_t>(value);
    return bits ^ static_cast<std::int64_t>(static_cast<std::uint64_t>(bits >> 63) >> 1);
}

struct Nearest {
    std::size_t index;
    std::int64_t key;
    double squared;
};

// The first of `count` elements first, first + step, ... with the smallest
// key (the lowest index among equal keys).
std::optional<Nearest> nearest(const VecArray& elements, const Vec3d& other, std::size_t first,
                               std::size_t step, std::size_t count) {
    const Vec3d* data = elements.data();
    return pool::reduce<Nearest>(
        count, light_grain,
        [&](std::size_t j) noexcept {
            const std::size_t index = first + j * step;
            const double squared = data[index].distance_squared(other);
            return Nearest{index, total_order_key(squared), squared};
        },
        [](const Nearest& a, const Nearest& b) noexcept { return a.key < b.key; });
}

// A coarse pass over every stride-th element, then a fine pass over the
// window from one stride below the best sample up to (not including) one
// stride above it.
std::tuple<std::uint64_t, double> minimum_distance_to(const VecListValue& list, const Vec3d& other,
                                                      std::uint64_t stride) {
    if (stride == 0) {
        throw Panic{"assertion failed: stride != 0"};
    }
    const Vec3d o = other;
    const VecArray& elements = list.elements();
    const std::size_t n = elements.size();
    const std::size_t samples = n == 0 ? 0 : (n - 1) / stride + 1;
    const std::optional<Nearest> coarse = nearest(elements, o, 0, stride, samples);
    if (!coarse) {
        throw Panic{"minimum_distance_to needs at least one element"};
    }
    const std::size_t c = coarse->index;
    const std::size_t start = c >= stride ? c - stride : 0;
    const std::size_t end = stride >= n - c ? n : c + stride;
    const Nearest fine = *nearest(elements, o, start, 1, end - start);
    return {fine.index, std::sqrt(fine.squared)};
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
        .slots =
            {
                slot(Py_tp_doc, "VecList(list)\n--\n\n"),
                slot(Py_tp_new, &Constructor::new_),
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
        .vectorcall = &Constructor::vectorcall,
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
