#include "link/PacketBuffer.h"

#include "link/QuvaneError.h"

#include <array>
#include <bit>
#include <cmath>
#include <limits>

using namespace quvane;

namespace {

// Digit values of the characters, -1 for those that are not hex digits.
constexpr auto HexValues = [] {
    std::array<signed char, 256> values{};
    values.fill(-1);
    for (int c = '0'; c <= '9'; ++c)
        values[static_cast<size_t>(c)] = static_cast<signed char>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) {
        values[static_cast<size_t>(c)] = static_cast<signed char>(c - 'A' + 10);
        values[static_cast<size_t>(c - 'A' + 'a')] = static_cast<signed char>(c - 'A' + 10);
    }
    return values;
}();

int hexValue(char c)
{
    return HexValues[static_cast<unsigned char>(c)];
}

QuvaneError malformed(const QString &detail)
{
    return QuvaneError(ErrorNumber::MalformedPacket,
                       QStringLiteral("Malformed packet: %1").arg(detail));
}

QString shown(char c)
{
    if (c >= 0x20 && c <= 0x7E)
        return QStringLiteral("'%1'").arg(QLatin1Char(c));
    return QStringLiteral("character code %1").arg(static_cast<unsigned char>(c));
}

} // namespace

QByteArray PacketBuffer::GetCommand()
{
    QByteArray command;
    command.swap(m_command);
    return command;
}

void PacketBuffer::PutText(QByteArrayView text)
{
    m_command.append(text);
}

void PacketBuffer::PutText(const QString &text)
{
    m_command.append(text.toLatin1());
}

void PacketBuffer::putHex(quint32 value, int digits)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char out[8] = {};
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = kDigits[value & 0xF];
        value >>= 4;
    }
    m_command.append(out, digits);
}

void PacketBuffer::PutBoolean(qint16 aValue)
{
    m_command.append(aValue ? 'T' : 'F');
}

void PacketBuffer::PutByte(int aValue)
{
    if (aValue < 0 || aValue > 255)
        throw QuvaneError::overflow(QStringLiteral("%1 does not fit a Byte field at character %2")
                                        .arg(aValue)
                                        .arg(m_command.size() + 1));
    putHex(static_cast<quint32>(aValue), 2);
}

void PacketBuffer::PutInteger(int aValue)
{
    if (aValue < std::numeric_limits<qint16>::min() || aValue > std::numeric_limits<qint16>::max())
        throw QuvaneError::overflow(
            QStringLiteral("%1 does not fit an Integer field at character %2")
                .arg(aValue)
                .arg(m_command.size() + 1));
    putHex(static_cast<quint16>(aValue), 4);
}

void PacketBuffer::PutLong(qint64 aValue)
{
    if (aValue < std::numeric_limits<qint32>::min() || aValue > std::numeric_limits<qint32>::max())
        throw QuvaneError::overflow(QStringLiteral("%1 does not fit a Long field at character %2")
                                        .arg(aValue)
                                        .arg(m_command.size() + 1));
    putHex(static_cast<quint32>(aValue), 8);
}

void PacketBuffer::PutTimestamp(qint64 aValue)
{
    PutLong(aValue);
}

void PacketBuffer::PutSingle(float aValue)
{
    putHex(std::bit_cast<quint32>(aValue), 8);
}

void PacketBuffer::PutString(const QString &aValue)
{
    if (aValue.size() > 255)
        throw QuvaneError::overflow(
            QStringLiteral("a text of %1 characters does not fit a String field at character %2")
                .arg(aValue.size())
                .arg(m_command.size() + 1));
    for (QChar c : aValue) {
        if (c.unicode() > 0xFF)
            throw QuvaneError::overflow(
                QStringLiteral("character U+%1 does not fit a String field at character %2")
                    .arg(c.unicode(), 4, 16, QLatin1Char('0'))
                    .arg(m_command.size() + 1));
    }
    putHex(static_cast<quint32>(aValue.size()), 2);
    for (QChar c : aValue)
        putHex(c.unicode(), 2);
}

void PacketBuffer::SetReply(const QByteArray &reply)
{
    m_reply = reply;
    m_cursor = 0;
}

void PacketBuffer::SetReply(const QString &reply)
{
    SetReply(reply.toLatin1());
}

quint32 PacketBuffer::takeHex(int digits, const char *field)
{
    if (m_cursor + digits > m_reply.size())
        throw malformed(QStringLiteral("%1 field at character %2 needs %3 characters, the packet "
                                       "has %4")
                            .arg(QLatin1String(field))
                            .arg(m_cursor + 1)
                            .arg(digits)
                            .arg(m_reply.size()));
    quint32 value = 0;
    const char *p = m_reply.constData() + m_cursor;
    for (int i = 0; i < digits; ++i) {
        const int digit = hexValue(p[i]);
        if (digit < 0)
            throw malformed(QStringLiteral("%1 at character %2 is not a hex digit (%3 field)")
                                .arg(shown(p[i]))
                                .arg(m_cursor + i + 1)
                                .arg(QLatin1String(field)));
        value = (value << 4) | static_cast<quint32>(digit);
    }
    m_cursor += digits;
    return value;
}

qint16 PacketBuffer::GetBoolean()
{
    if (m_cursor >= m_reply.size())
        throw malformed(QStringLiteral("Boolean field at character %1 is past the end of the "
                                       "packet (%2 characters)")
                            .arg(m_cursor + 1)
                            .arg(m_reply.size()));
    const char c = m_reply.at(m_cursor);
    if (c != 'T' && c != 'F')
        throw malformed(QStringLiteral("%1 at character %2 is not a Boolean (T or F)")
                            .arg(shown(c))
                            .arg(m_cursor + 1));
    ++m_cursor;
    return c == 'T' ? QvTrue : QvFalse;
}

qint16 PacketBuffer::GetByte()
{
    return static_cast<qint16>(takeHex(2, "Byte"));
}

qint16 PacketBuffer::GetSmallInt()
{
    return static_cast<qint16>(takeHex(2, "SmallInt"));
}

qint16 PacketBuffer::GetInteger()
{
    return static_cast<qint16>(static_cast<quint16>(takeHex(4, "Integer")));
}

qint32 PacketBuffer::GetLong()
{
    return static_cast<qint32>(takeHex(8, "Long"));
}

qint32 PacketBuffer::GetTimestamp()
{
    return static_cast<qint32>(takeHex(8, "Timestamp"));
}

float PacketBuffer::GetSingle()
{
    const int at = m_cursor;
    const float value = std::bit_cast<float>(takeHex(8, "Single"));
    // No instrument measures NaN or infinity: such a field is a garbled one.
    if (!std::isfinite(value))
        throw malformed(
            QStringLiteral("Single field at character %1 is not a finite number").arg(at + 1));
    return value;
}

QString PacketBuffer::GetChar()
{
    if (m_cursor >= m_reply.size())
        throw malformed(QStringLiteral("Char field at character %1 is past the end of the packet "
                                       "(%2 characters)")
                            .arg(m_cursor + 1)
                            .arg(m_reply.size()));
    return QString(QLatin1Char(m_reply.at(m_cursor++)));
}

int PacketBuffer::takeStringLength()
{
    const int start = m_cursor;
    const int length = static_cast<int>(takeHex(2, "String length"));
    if (m_cursor + 2 * length > m_reply.size()) {
        m_cursor = start;
        throw malformed(QStringLiteral("String field at character %1 holds %2 characters, the "
                                       "packet ends before them")
                            .arg(start + 1)
                            .arg(length));
    }
    return length;
}

QString PacketBuffer::GetString()
{
    const int length = takeStringLength();
    QString text(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        text[i] = QChar(static_cast<char16_t>(takeHex(2, "String")));
    return text;
}

void PacketBuffer::appendString(QByteArray &line)
{
    const int length = takeStringLength();
    char text[256];
    for (int i = 0; i < length; ++i)
        text[i] = static_cast<char>(takeHex(2, "String"));
    line.append(text, length);
}

void PacketBuffer::Skip(int count)
{
    if (count < 0 || m_cursor + count > m_reply.size())
        throw malformed(QStringLiteral("cannot skip %1 characters at character %2, the packet "
                                       "has %3")
                            .arg(count)
                            .arg(m_cursor + 1)
                            .arg(m_reply.size()));
    m_cursor += count;
}
