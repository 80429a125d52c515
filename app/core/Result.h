#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <utility>

// Errors travel as values until a window shows them: a failed operation carries
// the text that the user will read, a successful one carries its value.
struct Failure {
    QString text;
};

class [[nodiscard]] Status {
public:
    Status() = default;
    Status(Failure failure) : m_error(std::move(failure.text)), m_failed(true) {}

    bool ok() const { return !m_failed; }
    const QString &error() const { return m_error; }

private:
    QString m_error;
    bool m_failed = false;
};

template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Failure failure) : m_error(std::move(failure.text)) {}
    // The failure of an earlier step, handed on: `return step.status();`.
    Result(const Status &failed) : m_error(failed.error()) { Q_ASSERT(!failed.ok()); }

    bool ok() const { return m_value.has_value(); }
    const T &value() const & { return *m_value; }
    T &value() & { return *m_value; }
    T &&value() && { return std::move(*m_value); }
    const QString &error() const { return m_error; }
    Status status() const { return ok() ? Status() : Status(Failure{m_error}); }

private:
    std::optional<T> m_value;
    QString m_error;
};
