// The parameter list of a function, member function or captureless lambda, as
// a std::tuple of its parameter types (used as a type list only). A member
// function's receiver is its first parameter.
#pragma once

#include <cstddef>
#include <tuple>
#include <type_traits>

namespace lorvik {

template <class F>
struct CallableTraits : CallableTraits<decltype(&F::operator())> {};

#define LORVIK_CALLABLE_TRAITS(QUALIFIERS, RECEIVER)   \
    template <class R, class C, class... A>            \
    struct CallableTraits<R (C::*)(A...) QUALIFIERS> { \
        using Params = std::tuple<RECEIVER, A...>;     \
        using LambdaParams = std::tuple<A...>;         \
    };
LORVIK_CALLABLE_TRAITS(, C&)
LORVIK_CALLABLE_TRAITS(const, const C&)
LORVIK_CALLABLE_TRAITS(noexcept, C&)
LORVIK_CALLABLE_TRAITS(const noexcept, const C&)
#undef LORVIK_CALLABLE_TRAITS

template <class R, class... A>
struct CallableTraits<R (*)(A...)> {
    using Params = std::tuple<A...>;
};
template <class R, class... A>
struct CallableTraits<R (*)(A...) noexcept> : CallableTraits<R (*)(A...)> {};

// A lambda's call operator is a member function, but its object is no
// parameter.
template <class F, bool IsLambda = std::is_class_v<F>>
struct ParamsOf {
    using type = typename CallableTraits<F>::Params;
};
template <class F>
struct ParamsOf<F, true> {
    using type = typename CallableTraits<F>::LambdaParams;
};

template <auto F>
using Params = typename ParamsOf<std::remove_cvref_t<decltype(F)>>::type;

template <auto F>
inline constexpr std::size_t arity = std::tuple_size_v<Params<F>>;

template <std::size_t I, auto F>
using Param = std::tuple_element_t<I, Params<F>>;

}  // namespace lorvik
