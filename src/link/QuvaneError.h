#pragma once

#include <QString>

#include <exception>
#include <string>

namespace quvane {

// Error numbers raised by the link and by the program. The object-error based numbers are the
// ones the instrument's control reports; the small ones are the classic run-time error numbers.
namespace ErrorNumber {
constexpr int CommunicationsTimeout = -2147213405;
constexpr int LinkLost = -2147213404;
constexpr int MalformedPacket = -2147213403;
constexpr int InstrumentRefused = -2147213402;
constexpr int LinkBusy = -2147213401;
constexpr int InvalidProductSetup = -2147212504;
constexpr int Overflow = 6;
constexpr int SubscriptOutOfRange = 9;
constexpr int TypeMismatch = 13;
constexpr int FileError = 75;
} // namespace ErrorNumber

// The one exception type of the program: an error number and a plain-English description.
class QuvaneError : public std::exception
{
public:
    QuvaneError(int number, QString description);

    int number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }
    bool isTimeout() const noexcept { return m_number == ErrorNumber::CommunicationsTimeout; }
    // A reply garbled on the line: sending the command again may well succeed.
    bool isLineError() const noexcept { return m_lineError; }
    // Whether Retry is offered: a timeout or a line error.
    bool isRetryable() const noexcept { return isTimeout() || m_lineError; }
    static QuvaneError lineError(QString description);
    const char *what() const noexcept override { return m_what.c_str(); }

    static QuvaneError overflow(const QString &what);

private:
    int m_number;
    bool m_lineError = false;
    QString m_description;
    std::string m_what;
};

} // namespace quvane
