#include "link/ProtocolTrace.h"

#include "link/QuvaneError.h"

#include <QDateTime>

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
        qWarning("protocol trace: cannot open %s: %s", qPrintable(path),
                 qPrintable(file->errorString()));
    return trace;
}

void ProtocolTrace::record(const QByteArray &command, const QByteArray &outcome)
{
    if (!m_file)
        return;
    QByteArray line = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toLatin1();
    line += '\t';
    line += command;
    line += '\t';
    line += outcome;
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
