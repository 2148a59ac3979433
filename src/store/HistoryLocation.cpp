#include "store/HistoryLocation.h"

#include "store/HistoryError.h"

#include <QDir>
#include <QRegularExpression>
#include <QUrl>

namespace quvane {

HistoryLocation HistoryLocation::parse(const QString &text)
{
    HistoryLocation location;
    const bool postgres = text.startsWith(QLatin1String("postgresql://")) ||
                          text.startsWith(QLatin1String("postgres://"));
    if (!postgres) {
        if (text.isEmpty() || text.contains(QLatin1String("://")))
            throw HistoryError(HistoryError::Cause::BadLocation,
                               QStringLiteral("\"%1\" is not a history location: give a file or "
                                              "postgresql://[USER@]HOST[:PORT]/DATABASE")
                                   .arg(text));
        location.path = QDir::cleanPath(QDir::current().absoluteFilePath(text));
        return location;
    }
    // [USER@]HOST[:PORT]/DATABASE; a socket folder as HOST has its slashes as %2F.
    static const QRegularExpression address(
        QStringLiteral("^postgres(?:ql)?://(?:([^@/:]+)@)?([^@/:]+)(?::(\\d{1,5}))?/([^/?#]+)$"));
    const QRegularExpressionMatch match = address.match(text);
    if (!match.hasMatch())
        throw HistoryError(HistoryError::Cause::BadLocation,
                           QStringLiteral("\"%1\" is not a history location: give "
                                          "postgresql://[USER@]HOST[:PORT]/DATABASE (a password "
                                          "comes from PGPASSWORD or ~/.pgpass, never from here)")
                               .arg(text));
    location.kind = Kind::PostgreSQL;
    location.user = QUrl::fromPercentEncoding(match.captured(1).toUtf8());
    location.host = QUrl::fromPercentEncoding(match.captured(2).toUtf8());
    location.port = match.captured(3).toInt();
    location.database = QUrl::fromPercentEncoding(match.captured(4).toUtf8());
    return location;
}

QString HistoryLocation::shown() const
{
    if (kind == Kind::SQLite)
        return QDir::toNativeSeparators(path);
    QString text = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        text += user + QLatin1Char('@');
    text +=
        host.startsWith(QLatin1Char('/')) ? QString::fromUtf8(QUrl::toPercentEncoding(host)) : host;
    if (port != 0)
        text += QLatin1Char(':') + QString::number(port);
    return text + QLatin1Char('/') + database;
}

} // namespace quvane
