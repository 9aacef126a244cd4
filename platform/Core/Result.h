#pragma once

#include <utility>
#include <variant>

// Errors are values at module boundaries: an operation that can fail returns
// Result<T, E>, where E is the module's error type carrying the user-facing text.
template <typename E> struct Failure { E error; };
template <typename E> Failure(E) -> Failure<E>;

template <typename T, typename E> class [[nodiscard]] Result {
public:
    Result(T value)
        : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Failure<E> failure)
        : m_state(std::in_place_index<1>, std::move(failure.error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(m_state); }
    const T& value() const& { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    const E& error() const { return std::get<1>(m_state); }

    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

private:
    std::variant<T, E> m_state;
};

template <typename E> class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    Result(Failure<E> failure)
        : m_failed(true)
        , m_error(std::move(failure.error)) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const E& error() const { return m_error; }

private:
    bool m_failed = false;
    E m_error{};
};
