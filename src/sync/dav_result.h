#pragma once

#include <QString>
#include <utility>
#include <variant>

namespace Dav {

// Why a talk with the server failed, told so that a person can act on it.
struct Failure
{
    enum Kind { Network, Authentication, Certificate, Server, TooLarge, Cancelled };

    Kind kind = Network;
    QString message; // in Russian, for a person; never holds the password
    // Certificate: the SHA-256 of the server's certificate (lower-case hex),
    // for the user to accept once; empty when it could not be read.
    QString certificateSha256;
    int httpStatus = 0; // Server: the server's answer, when there was one
};

// A value or the failure that stood in its way.
template <typename T> class Result
{
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(Failure failure) : m_state(std::move(failure)) {}

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }

    const T& value() const { return std::get<T>(m_state); }
    T& value() { return std::get<T>(m_state); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }
    const Failure& failure() const { return std::get<Failure>(m_state); }

private:
    std::variant<T, Failure> m_state;
};

} // namespace Dav
