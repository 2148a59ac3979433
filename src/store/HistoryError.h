#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace quvane {

// Why the history could not be opened, read or written. The front ends word their messages
// from it; what it says names the history and the cause.
class HistoryError : public std::exception
{
public:
    enum class Cause
    {
        BadLocation, // the location is neither a file nor a postgresql:// address
        Unavailable, // the file or server cannot be reached, or refuses the login
        Newer,       // a newer program's schema: this one does not write it
        Busy,        // another writer held it beyond the busy timeout
        WriteFailed, // a statement failed (a full disk, a read-only file, a lost server)
        NotFound     // no such measurement or standard
    };

    HistoryError(Cause cause, QString message)
        : m_cause(cause), m_message(std::move(message)), m_what(m_message.toUtf8())
    {}

    Cause cause() const noexcept { return m_cause; }
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    Cause m_cause;
    QString m_message;
    QByteArray m_what;
};

} // namespace quvane
