#include "link/PacketBuffer.h"
#include "link/Framing.h"
#include "link/QuvaneError.h"

#include <QByteArrayList>
#include <QList>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

using namespace quvane;

namespace {

int errorNumberOf(const std::function<void()> &step, QString *description = nullptr)
{
    try {
        step();
    } catch (const QuvaneError &e) {
        if (description)
            *description = e.description();
        return e.number();
    }
    return 0;
}

TEST(PacketBuffer, EveryFieldTypeRoundTrips)
{
    PacketBuffer packet;
    const QString latin = QStringLiteral("Caf\u00e9 \u00ff|~");
    packet.PutText(QByteArrayView("Z"));
    packet.PutBoolean(QvTrue);
    packet.PutBoolean(QvFalse);
    packet.PutByte(0);
    packet.PutByte(255);
    packet.PutInteger(-32768);
    packet.PutInteger(32767);
    packet.PutInteger(-1);
    packet.PutLong(std::numeric_limits<qint32>::min());
    packet.PutLong(123456789);
    packet.PutTimestamp(-86400);
    packet.PutSingle(0.5f);
    packet.PutSingle(-1234.5678f);
    packet.PutSingle(std::numeric_limits<float>::denorm_min());
    packet.PutString(latin);
    packet.PutString(QString());
    packet.PutString(QString(255, QLatin1Char('x')));

    packet.SetReply(packet.GetCommand());
    EXPECT_EQ(packet.GetChar(), QStringLiteral("Z"));
    EXPECT_EQ(packet.GetBoolean(), QvTrue);
    EXPECT_EQ(packet.GetBoolean(), QvFalse);
    EXPECT_EQ(packet.GetByte(), 0);
    EXPECT_EQ(packet.GetSmallInt(), 255);
    EXPECT_EQ(packet.GetInteger(), -32768);
    EXPECT_EQ(packet.GetInteger(), 32767);
    EXPECT_EQ(packet.GetInteger(), -1);
    EXPECT_EQ(packet.GetLong(), std::numeric_limits<qint32>::min());
    EXPECT_EQ(packet.GetLong(), 123456789);
    EXPECT_EQ(packet.GetTimestamp(), -86400);
    EXPECT_EQ(packet.GetSingle(), 0.5f);
    EXPECT_EQ(packet.GetSingle(), -1234.5678f);
    EXPECT_EQ(packet.GetSingle(), std::numeric_limits<float>::denorm_min());
    EXPECT_EQ(packet.GetString(), latin);
    EXPECT_EQ(packet.GetString(), QString());
    EXPECT_EQ(packet.GetString(), QString(255, QLatin1Char('x')));
    EXPECT_EQ(packet.position(), packet.reply().size());
}

TEST(PacketBuffer, WireFormIsUpperCaseHexMostSignificantFirst)
{
    PacketBuffer packet;
    packet.PutText(QByteArrayView("X000"));
    packet.PutLong(-1);
    packet.PutByte(1);
    EXPECT_EQ(packet.GetCommand(), QByteArray("X000FFFFFFFF01"));

    packet.PutInteger(0x1A2B);
    packet.PutSingle(1.0f);
    packet.PutString(QStringLiteral("A\u00e9"));
    packet.PutBoolean(-1);
    EXPECT_EQ(packet.GetCommand(), QByteArray("1A2B3F8000000241E9T"));

    // Read in either case.
    packet.SetReply(QByteArray("ff7fabcdef01"));
    EXPECT_EQ(packet.GetByte(), 255);
    EXPECT_EQ(packet.GetInteger(), 0x7FAB);
    EXPECT_EQ(packet.GetInteger(), static_cast<qint16>(0xCDEF));
    packet.Rewind();
    packet.Skip(2);
    EXPECT_EQ(packet.GetInteger(), 0x7FAB);
}

TEST(PacketBuffer, EachCommandStartsEmpty)
{
    PacketBuffer packet;
    packet.PutText(QByteArrayView("P1"));
    packet.PutLong(0);
    EXPECT_EQ(packet.GetCommand(), QByteArray("P100000000"));
    packet.PutText(QByteArrayView("P1"));
    packet.PutLong(1);
    EXPECT_EQ(packet.GetCommand(), QByteArray("P100000001"));
    EXPECT_EQ(packet.GetCommand(), QByteArray());
}

TEST(PacketBuffer, SetupRecordBodyIsThreeHundredEightyOneCharacters)
{
    PacketBuffer packet;
    for (int i = 0; i < 4; ++i)
        packet.PutByte(1);
    for (int i = 0; i < 7; ++i)
        packet.PutInteger(1);
    for (int i = 0; i < 12; ++i)
        packet.PutSingle(1.0f);
    packet.PutBoolean(QvTrue);
    for (int i = 0; i < 31; ++i)
        packet.PutSingle(0.5f);
    EXPECT_EQ(packet.GetCommand().size(), 381);
}

TEST(PacketBuffer, ShortRepliesNameTheFieldAndPosition)
{
    PacketBuffer packet;
    const std::vector<std::pair<const char *, std::function<void()>>> reads = {
        {"Boolean", [&] { packet.GetBoolean(); }},   {"Byte", [&] { packet.GetByte(); }},
        {"SmallInt", [&] { packet.GetSmallInt(); }}, {"Integer", [&] { packet.GetInteger(); }},
        {"Long", [&] { packet.GetLong(); }},         {"Timestamp", [&] { packet.GetTimestamp(); }},
        {"Single", [&] { packet.GetSingle(); }},     {"String", [&] { packet.GetString(); }},
        {"Char", [&] { packet.GetChar(); }},
    };
    for (const auto &[field, read] : reads) {
        packet.SetReply(QByteArray("0"));
        packet.Skip(1);
        QString description;
        EXPECT_EQ(errorNumberOf(read, &description), ErrorNumber::MalformedPacket) << field;
        EXPECT_TRUE(description.contains(QLatin1String(field))) << description.toStdString();
        EXPECT_TRUE(description.contains(QLatin1String("character 2")))
            << description.toStdString();
    }
    packet.SetReply(QByteArray("0541"));
    EXPECT_EQ(errorNumberOf([&] { packet.GetString(); }), ErrorNumber::MalformedPacket);
    packet.SetReply(QByteArray("0000"));
    EXPECT_EQ(errorNumberOf([&] { packet.Skip(5); }), ErrorNumber::MalformedPacket);
}

TEST(PacketBuffer, BadDigitsAndFlagsAreRefused)
{
    PacketBuffer packet;
    QString description;
    packet.SetReply(QByteArray("00000G00"));
    EXPECT_EQ(errorNumberOf([&] { packet.GetLong(); }, &description), ErrorNumber::MalformedPacket);
    EXPECT_TRUE(description.contains(QLatin1String("'G' at character 6")))
        << description.toStdString();
    EXPECT_TRUE(description.contains(QLatin1String("Long")));

    packet.SetReply(QByteArray("2"));
    EXPECT_EQ(errorNumberOf([&] { packet.GetBoolean(); }, &description),
              ErrorNumber::MalformedPacket);
    EXPECT_TRUE(description.contains(QLatin1String("Boolean")));

    packet.SetReply(QByteArray(" 1"));
    EXPECT_EQ(errorNumberOf([&] { packet.GetByte(); }), ErrorNumber::MalformedPacket);
    packet.SetReply(QByteArray("-001"));
    EXPECT_EQ(errorNumberOf([&] { packet.GetInteger(); }), ErrorNumber::MalformedPacket);
}

TEST(PacketBuffer, PutsThatDoNotFitOverflow)
{
    PacketBuffer packet;
    packet.PutText(QByteArrayView("AB"));
    QString description;
    EXPECT_EQ(errorNumberOf([&] { packet.PutByte(256); }, &description), ErrorNumber::Overflow);
    EXPECT_TRUE(description.contains(QLatin1String("Byte field at character 3")));
    EXPECT_EQ(errorNumberOf([&] { packet.PutByte(-1); }), ErrorNumber::Overflow);
    EXPECT_EQ(errorNumberOf([&] { packet.PutInteger(32768); }), ErrorNumber::Overflow);
    EXPECT_EQ(errorNumberOf([&] { packet.PutInteger(-32769); }), ErrorNumber::Overflow);
    EXPECT_EQ(errorNumberOf([&] { packet.PutLong(2147483648LL); }), ErrorNumber::Overflow);
    EXPECT_EQ(errorNumberOf([&] { packet.PutString(QString(256, QLatin1Char('a'))); }),
              ErrorNumber::Overflow);
    EXPECT_EQ(errorNumberOf([&] { packet.PutString(QStringLiteral("\u20ac")); }),
              ErrorNumber::Overflow);
    // Nothing of the refused fields was written.
    EXPECT_EQ(packet.GetCommand(), QByteArray("AB"));
}

} // namespace

namespace {

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
    };
    for (const auto &d : damaged)
        EXPECT_EQ(Framing::unframe(d.line, packet, sequence), d.check) << d.line.toStdString();
    EXPECT_EQ(Framing::unframe("6A1B2C3D6A1B2C40000003200000002A1CB01", packet, sequence),
              Check::Good);
}

TEST(Framing, TheSplitterEndsLinesAtCrIgnoresLfAndCutsOverlongLines)
{
    Framing::LineSplitter lines;
    QByteArrayList got;
    QList<bool> tooLong;
    const QByteArray stream = "ab\r\ncd\n\r\r" + QByteArray(5000, 'x') + "\rz\r";
    for (char c : stream) {
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

TEST(PacketBuffer, NonFiniteSinglesAreMalformed)
{
    for (const char *bits : {"7FC00000", "7F800000", "FF800000"}) {
        PacketBuffer packet;
        packet.SetReply(QByteArray(bits));
        EXPECT_THROW(packet.GetSingle(), QuvaneError) << bits;
    }
}

} // namespace
