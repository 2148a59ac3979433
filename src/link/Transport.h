#pragma once

#include <QByteArray>
#include <QString>

namespace quvane {

// One link to an instrument. exchange() writes a command packet and blocks until its reply line
// has arrived. It raises a QuvaneError for a timeout, a lost link or an over-long line.
class Transport
{
public:
    virtual ~Transport() = default;

    // Opens the link; on failure returns false and sets the reason.
    virtual bool open(QString &errorText) = 0;
    virtual void close() = 0;
    virtual QByteArray exchange(const QByteArray &command, int timeoutMs) = 0;
    virtual QString name() const = 0;
    // Whether the last open failed because the user may not open the port.
    virtual bool accessDenied() const { return false; }
};

constexpr int MaxPacketLength = 4096;

} // namespace quvane
