// A value or an error, for operations that can fail for a geometric reason. Such failures are
// ordinary outcomes, reported by value rather than thrown.
//
// A small subset of C++23's std::expected with the same member names, so that code written
// against it moves to std::expected unchanged. It is one type in every translation unit whatever
// the language level: an alias to std::expected where available would name a different type in
// C++20 and C++23 code of the same program.
#pragma once

#include <exception>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace tavrel {

template <class E>
class Unexpected {
  public:
    constexpr explicit Unexpected(E error) noexcept(std::is_nothrow_move_constructible_v<E>)
        : error_(std::move(error)) {}

    constexpr const E& error() const& noexcept { return error_; }
    constexpr E& error() & noexcept { return error_; }
    constexpr E&& error() && noexcept { return std::move(error_); }

  private:
    E error_;
};

template <class E>
constexpr Unexpected<std::decay_t<E>> unexpected(E&& error) {
    return Unexpected<std::decay_t<E>>(std::forward<E>(error));
}

// Thrown only by value() on an error: reading a value that is not there is a programming error,
// not a geometric outcome.
class BadExpectedAccess : public std::exception {
  public:
    const char* what() const noexcept override { return "bad Expected access"; }
};

template <class T, class E>
class Expected {
  public:
    using value_type = T;
    using error_type = E;

    constexpr Expected() requires std::is_default_constructible_v<T>
        : storage_(std::in_place_index<0>) {}
    constexpr Expected(const T& value) : storage_(std::in_place_index<0>, value) {}
    constexpr Expected(T&& value) : storage_(std::in_place_index<0>, std::move(value)) {}
    template <class G>
    constexpr Expected(const Unexpected<G>& u) : storage_(std::in_place_index<1>, u.error()) {}
    template <class G>
    constexpr Expected(Unexpected<G>&& u)
        : storage_(std::in_place_index<1>, std::move(u).error()) {}

    constexpr bool has_value() const noexcept { return storage_.index() == 0; }
    constexpr explicit operator bool() const noexcept { return has_value(); }

    constexpr const T& value() const& {
        check();
        return *std::get_if<0>(&storage_);
    }
    constexpr T& value() & {
        check();
        return *std::get_if<0>(&storage_);
    }
    constexpr T&& value() && {
        check();
        return std::move(*std::get_if<0>(&storage_));
    }

    template <class U>
    constexpr T value_or(U&& fallback) const& {
        return has_value() ? **this : static_cast<T>(std::forward<U>(fallback));
    }

    // Unchecked access, as with std::expected: only valid when has_value().
    constexpr const T& operator*() const& noexcept { return *std::get_if<0>(&storage_); }
    constexpr T& operator*() & noexcept { return *std::get_if<0>(&storage_); }
    constexpr const T* operator->() const noexcept { return std::get_if<0>(&storage_); }
    constexpr T* operator->() noexcept { return std::get_if<0>(&storage_); }

    // Only valid when !has_value().
    constexpr const E& error() const& noexcept { return *std::get_if<1>(&storage_); }
    constexpr E& error() & noexcept { return *std::get_if<1>(&storage_); }

  private:
    constexpr void check() const {
        if (!has_value()) {
            throw BadExpectedAccess();
        }
    }

    std::variant<T, E> storage_;
};

template <class E>
class Expected<void, E> {
  public:
    using value_type = void;
    using error_type = E;

    constexpr Expected() noexcept = default;
    template <class G>
    constexpr Expected(const Unexpected<G>& u) : error_(u.error()) {}
    template <class G>
    constexpr Expected(Unexpected<G>&& u) : error_(std::move(u).error()) {}

    constexpr bool has_value() const noexcept { return !error_.has_value(); }
    constexpr explicit operator bool() const noexcept { return has_value(); }

    constexpr void value() const {
        if (!has_value()) {
            throw BadExpectedAccess();
        }
    }
    constexpr void operator*() const noexcept {}

    // Only valid when !has_value().
    constexpr const E& error() const& noexcept { return *error_; }
    constexpr E& error() & noexcept { return *error_; }

  private:
    std::optional<E> error_;
};

}  // namespace tavrel
