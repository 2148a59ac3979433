#pragma once

#include <QByteArray>
#include <QFile>

#include <memory>

namespace quvane {

class QuvaneError;

// Appends one line per exchange to a file, for support and diagnosis: the time, the command and
// the reply (or what went wrong). Each line is flushed at once. A trace with no file costs a test.
class ProtocolTrace
{
public:
    // Appends to the file at path; an empty path traces nothing. A file that cannot be opened
    // traces nothing either, and error() says why.
    static ProtocolTrace open(const QString &path);

    bool isOn() const { return m_file != nullptr; }
    // "cannot open the trace file PATH: REASON", or empty.
    const QString &error() const { return m_error; }
    void record(const QByteArray &command, const QByteArray &outcome);
    // "timeout" for a communications timeout, else the error's description.
    void recordFailure(const QByteArray &command, const QuvaneError &error);

private:
    std::unique_ptr<QFile> m_file;
    QString m_error;
};

} // namespace quvane
