#include "link/QuvaneError.h"

namespace quvane {

QuvaneError::QuvaneError(int number, QString description)
    : m_number(number), m_description(std::move(description)),
      m_what(QStringLiteral("%1: %2").arg(number).arg(m_description).toStdString())
{}

QuvaneError QuvaneError::lineError(QString description)
{
    QuvaneError error(ErrorNumber::MalformedPacket, std::move(description));
    error.m_lineError = true;
    return error;
}

QuvaneError QuvaneError::overflow(const QString &what)
{
    return QuvaneError(ErrorNumber::Overflow, QStringLiteral("Overflow: %1").arg(what));
}

} // namespace quvane
