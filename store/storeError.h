#pragma once

#include <QString>

#include <stdexcept>

namespace store {

// The one exception type of the store: table operations, the data file
// reader and writer throw it with the program's own message text.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

} // namespace store
