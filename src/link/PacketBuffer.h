#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Flags travel as 16-bit integers at the codec's interface: True is -1, False is 0.
constexpr qint16 QvTrue = -1;
constexpr qint16 QvFalse = 0;

// Packet codec: composes commands field by field and takes replies apart.
//
// A packet is one line of printable ASCII. Numbers are upper-case hex digits, most significant
// first (read in either case): Boolean 1 character ("T" or "F"), Byte/SmallInt 2, Integer 4, Long,
// Timestamp and Single 8 (Single is the IEEE-754 binary32 bit pattern). A String is its length as 2
// hex digits followed by 2 hex digits per ISO-8859-1 character. Reading past the end, a bad digit
// or a value that does not fit its field raises a QuvaneError naming the field and position.
class PacketBuffer
{
public:
    // The command composed since the previous call; the next Put starts a new one.
    QByteArray GetCommand();
    void PutText(QByteArrayView text);
    void PutText(const QString &text);
    void PutBoolean(qint16 aValue);
    void PutByte(int aValue);
    void PutInteger(int aValue);
    void PutLong(qint64 aValue);
    void PutTimestamp(qint64 aValue);
    void PutSingle(float aValue);
    void PutString(const QString &aValue);

    // Loads a reply (or a stored packet line) and moves the cursor to its start.
    void SetReply(const QByteArray &reply);
    void SetReply(const QString &reply);
    qint16 GetBoolean();
    qint16 GetByte();
    qint16 GetSmallInt();
    qint16 GetInteger();
    qint32 GetLong();
    qint32 GetTimestamp();
    float GetSingle();
    QString GetChar();
    QString GetString();
    // GetString, its ISO-8859-1 characters appended to a line.
    void appendString(QByteArray &line);
    void Rewind() { m_cursor = 0; }
    void Skip(int count);

    // Cursor position in characters from the start of the reply.
    int position() const { return m_cursor; }
    const QByteArray &reply() const { return m_reply; }

private:
    quint32 takeHex(int digits, const char *field);
    // A String's length, checked against what the packet holds.
    int takeStringLength();
    void putHex(quint32 value, int digits);

    QByteArray m_command;
    QByteArray m_reply;
    int m_cursor = 0;
};
