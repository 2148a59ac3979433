// The codec of the wire's fields and the framing of its lines, against forms typed in from the
// protocol.
#include "link/PacketBuffer.h"
#include "link/Framing.h"
#include "link/QuvaneError.h"
#include "support/Files.h"
#include "support/QtPrinting.h"

#include <QByteArrayList>
#include <QList>

#include <functional>
#include <limits>

using namespace quvane;

namespace {
TEST(PacketBuffer, EveryFieldTypeRoundTripsInItsWireForm)
{
    PacketBuffer packet;
    const QString latin = QStringLiteral("Caf\u00e9 \u00ff|~");
    packet.PutText(QByteArrayView("Z"));
    packet.PutBoolean(QvTrue);
    packet.PutBoolean(QvFalse);
    packet.PutByte(0);
    packet.PutByte(255);
    for (qint16 v : {qint16(-32768), qint16(32767), qint16(-1)})
        packet.PutInteger(v);
    packet.PutLong(std::numeric_limits<qint32>::min());
    packet.PutLong(123456789);
    packet.PutTimestamp(-86400);
    for (float v : {0.5f, -1234.5678f, std::numeric_limits<float>::denorm_min()})
        packet.PutSingle(v);
    packet.PutString(latin);
    packet.PutString(QString());
    packet.PutString(QString(255, QLatin1Char('x')));

    packet.SetReply(packet.GetCommand());
    EXPECT_EQ(packet.GetChar(), QStringLiteral("Z"));
    EXPECT_EQ(packet.GetBoolean(), QvTrue);
    EXPECT_EQ(packet.GetBoolean(), QvFalse);
    EXPECT_EQ(packet.GetByte(), 0);
    EXPECT_EQ(packet.GetSmallInt(), 255);
    for (qint16 v : {qint16(-32768), qint16(32767), qint16(-1)})
        EXPECT_EQ(packet.GetInteger(), v);
    EXPECT_EQ(packet.GetLong(), std::numeric_limits<qint32>::min());
    EXPECT_EQ(packet.GetLong(), 123456789);
    EXPECT_EQ(packet.GetTimestamp(), -86400);
    for (float v : {0.5f, -1234.5678f, std::numeric_limits<float>::denorm_min()})
        EXPECT_EQ(packet.GetSingle(), v);
    EXPECT_EQ(packet.GetString(), latin);
    EXPECT_EQ(packet.GetString(), QString());
    EXPECT_EQ(packet.GetString(), QString(255, QLatin1Char('x')));
    EXPECT_EQ(packet.position(), packet.reply().size());

    // Upper-case hex, most significant digit first; each command starts empty.
    packet.PutText(QByteArrayView("X000"));
    packet.PutLong(-1);
    packet.PutByte(1);
    EXPECT_EQ(packet.GetCommand(), QByteArray("X000FFFFFFFF01"));
    packet.PutInteger(0x1A2B);
    packet.PutSingle(1.0f);
    packet.PutString(QStringLiteral("A\u00e9"));
    packet.PutBoolean(-1);
    EXPECT_EQ(packet.GetCommand(), QByteArray("1A2B3F8000000241E9T"));
    EXPECT_EQ(packet.GetCommand(), QByteArray());
    // Replies are read in either case.
    packet.SetReply(QByteArray("ff7fabcdef01"));
    EXPECT_EQ(packet.GetByte(), 255);
    EXPECT_EQ(packet.GetInteger(), 0x7FAB);
    EXPECT_EQ(packet.GetInteger(), static_cast<qint16>(0xCDEF));
    packet.Rewind();
    packet.Skip(2);
    EXPECT_EQ(packet.GetInteger(), 0x7FAB);
}

// A reply that does not hold the field read is malformed, named by field and character; a
// value that does not fit its field overflows and writes nothing.
TEST(PacketBuffer, FieldsThatDoNotReadOrFitAreRefusedWithTheirPlace)
{
    PacketBuffer packet;
    const std::vector<std::pair<const char *, std::function<void()>>> reads = {
        {"Boolean", [&] { packet.GetBoolean(); }},   {"Byte", [&] { packet.GetByte(); }},
        {"SmallInt", [&] { packet.GetSmallInt(); }}, {"Integer", [&] { packet.GetInteger(); }},
        {"Long", [&] { packet.GetLong(); }},         {"Timestamp", [&] { packet.GetTimestamp(); }},
        {"Single", [&] { packet.GetSingle(); }},     {"String", [&] { packet.GetString(); }},
        {"Char", [&] { packet.GetChar(); }},
    };
    QString description;
    for (const auto &[field, read] : reads) {
        packet.SetReply(QByteArray("0"));
        packet.Skip(1);
        EXPECT_EQ(errorNumberOf(read, &description), ErrorNumber::MalformedPacket) << field;
        EXPECT_TRUE(holds(description, QLatin1String(field)));
        EXPECT_TRUE(holds(description, "character 2"));
    }
    const struct
    {
        QByteArray reply;
        std::function<void()> read;
        const char *said;
    } malformed[] = {
        {"00000G00", [&] { packet.GetLong(); }, "'G' at character 6"},
        {"2", [&] { packet.GetBoolean(); }, "Boolean"},
        {" 1", [&] { packet.GetByte(); }, "Byte"},
        {"-001", [&] { packet.GetInteger(); }, "Integer"},
        {"0541", [&] { packet.GetString(); }, "String"},
        {"0000", [&] { packet.Skip(5); }, ""},
        // No instrument measures NaN or infinity: such a field is a garbled one.
        {"7FC00000", [&] { packet.GetSingle(); }, "not a finite number"},
        {"7F800000", [&] { packet.GetSingle(); }, "not a finite number"},
        {"FF800000", [&] { packet.GetSingle(); }, "not a finite number"},
    };
    for (const auto &m : malformed) {
        packet.SetReply(m.reply);
        EXPECT_EQ(errorNumberOf(m.read, &description), ErrorNumber::MalformedPacket) << m.said;
        EXPECT_TRUE(holds(description, QLatin1String(m.said)));
    }

    packet.PutText(QByteArrayView("AB"));
    EXPECT_EQ(errorNumberOf([&] { packet.PutByte(256); }, &description), ErrorNumber::Overflow);
    EXPECT_TRUE(holds(description, "Byte field at character 3"));
    for (const auto &put : std::initializer_list<std::function<void()>>{
             [&] { packet.PutByte(-1); }, [&] { packet.PutInteger(32768); },
             [&] { packet.PutInteger(-32769); }, [&] { packet.PutLong(2147483648LL); },
             [&] { packet.PutString(QString(256, QLatin1Char('a'))); },
             [&] { packet.PutString(QStringLiteral("\u20ac")); }})
        EXPECT_EQ(errorNumberOf(put), ErrorNumber::Overflow);
    EXPECT_EQ(packet.GetCommand(), QByteArray("AB"));
}

TEST(Framing, LinesCarryTheSequenceDigitAndChecksum)
{
    EXPECT_EQ(Framing::crc16("123456789"), 0x29B1);
    EXPECT_EQ(Framing::frame("I", 0), QByteArray("I09C08"));
    EXPECT_EQ(Framing::frame("D0001", 1), QByteArray("D0001197D5"));
    EXPECT_EQ(Framing::frame("X", 0x1F).at(1), 'F'); // the digit wraps

    QByteArray packet;
    int sequence = -1;
    EXPECT_EQ(Framing::unframe("D0001197D5", packet, sequence), Framing::Check::Good);
    EXPECT_EQ(packet, QByteArray("D0001"));
    EXPECT_EQ(sequence, 1);
    using Framing::Check;
    const struct
    {
        QByteArray line;
        Check check;
    } damaged[] = {
        {"D0001197D6", Check::BadChecksum},
        {"D0002197D5", Check::BadChecksum},
        {"D0001197d5", Check::BadChecksum}, // the checksum's digits are upper case
        {"Ix9C08", Check::BadSequence},
        {"9C08", Check::TooShort},
        {"09C08", Check::BadChecksum},
        {"", Check::Empty},
        {QByteArray("\0\0I09C08", 8), Check::NotPrintable},
        // Damage in two digits that the earlier CRC-8 (60 for both) did not see.
        {"7F1B2C3D6A1B2C40000003200000002A1CB01", Check::BadChecksum},
        {"6A1B2C3D6A1B2C40000003200000002A1CB01", Check::Good},
    };
    for (const auto &d : damaged)
        EXPECT_EQ(Framing::unframe(d.line, packet, sequence), d.check) << d.line;

    // Lines end at CR; LF is ignored; an over-long line is cut and said to be.
    Framing::LineSplitter lines;
    QByteArrayList got;
    QList<bool> tooLong;
    for (char c : "ab\r\ncd\n\r\r" + QByteArray(5000, 'x') + "\rz\r") {
        if (lines.push(c)) {
            got << lines.line();
            tooLong << lines.tooLong();
        }
    }
    ASSERT_EQ(got.size(), 5);
    EXPECT_EQ(got.mid(0, 3), (QByteArrayList{"ab", "cd", ""}));
    EXPECT_EQ(got[3].size(), Framing::LineSplitter::Longest);
    EXPECT_EQ(got[4], QByteArray("z"));
    EXPECT_EQ(tooLong, (QList<bool>{false, false, false, true, false}));
}

} // namespace
