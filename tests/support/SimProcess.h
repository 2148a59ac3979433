#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace quvane {

// A quvane-sim process (QUVANE_SIM_PATH) serving one instrument; its first line of output
// ends with the link to give as the port ("tcp://..." or the pseudo-terminal's path).
class SimProcess
{
public:
    explicit SimProcess(QStringList arguments)
    {
        m_process.start(QStringLiteral(QUVANE_SIM_PATH), arguments);
        if (!m_process.waitForStarted(5000))
            return;
        while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
        }
        const QString line = QString::fromLocal8Bit(m_process.readLine()).trimmed();
        const int at = line.lastIndexOf(QLatin1Char(' '));
        if (line.startsWith(QLatin1String("quvane-sim:")) && at > 0)
            m_port = line.mid(at + 1);
    }

    ~SimProcess()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    // Empty when the simulator did not start.
    QString port() const { return m_port; }

private:
    QProcess m_process;
    QString m_port;
};

} // namespace quvane
