#include "link/ProtocolTrace.h"

#include "link/QuvaneError.h"

#include <QDateTime>
#include <QDir>

namespace quvane {

ProtocolTrace ProtocolTrace::open(const QString &path)
{
    ProtocolTrace trace;
    if (path.isEmpty())
        return trace;
    auto file = std::make_unique<QFile>(path);
    if (file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        trace.m_file = std::move(file);
    else
        trace.m_error = QStringLiteral("cannot open the trace file %1: %2")
                            .arg(QDir::toNativeSeparators(path), file->errorString());
    return trace;
}

void ProtocolTrace::record(const QByteArray &command, const QByteArray &outcome)
{
    if (!m_file)
        return;
    // Control characters (and anything outside printable ASCII) as \xNN: the trace is read
    // on a terminal.
    auto escaped = [](const QByteArray &bytes) {
        QByteArray out;
        for (char c : bytes) {
            if (c >= 0x20 && c < 0x7F && c != '\\')
                out += c;
            else
                out += "\\x" + QByteArray::number(static_cast<uchar>(c), 16).rightJustified(2, '0');
        }
        return out;
    };
    QByteArray line = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toLatin1();
    line += '\t';
    line += escaped(command);
    line += '\t';
    line += escaped(outcome);
    line += '\n';
    m_file->write(line);
    m_file->flush();
}

void ProtocolTrace::recordFailure(const QByteArray &command, const QuvaneError &error)
{
    if (m_file)
        record(command, error.isTimeout() ? QByteArray("timeout") : error.description().toUtf8());
}

} // namespace quvane
