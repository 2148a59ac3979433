#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

namespace quvane {

// Tells whether another copy of the program runs for this user, and holds the claim while this
// copy runs. A lock left behind by a crashed copy is taken over. The first copy listens on a
// local socket beside the lock, so that a later one can ask it to show its window.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // The lock and the socket in this folder; by default the per-user runtime folder.
    explicit SingleInstance(const QString &folder = {});
    // Claims the program for this copy; when it is the first, it listens for later copies.
    bool isFirst();
    // From a later copy: asks the running one to show its window. Returns at once.
    void askFirstToShow();

signals:
    // A later copy started.
    void showRequested();

private:
    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer m_server;
};

} // namespace quvane
