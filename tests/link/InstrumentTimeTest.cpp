#include "link/QuvaneError.h"
#include "link/modGlobals.h"

#include <QDateTime>

#include <gtest/gtest.h>

using namespace quvane;

namespace {

using namespace modGlobals;

double pcDate(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return ToPcDate(QDateTime(QDate(y, mo, d), QTime(h, mi, s)));
}

TEST(InstrumentTime, SecondsCountFromNineteenSeventyLocal)
{
    EXPECT_EQ(DateToSeconds(pcDate(1970, 1, 1)), 0);
    EXPECT_EQ(DateToSeconds(pcDate(1970, 1, 2)), 86400);
    EXPECT_EQ(SecondsToDate(0), pcDate(1970, 1, 1));
    EXPECT_EQ(SecondsToDate(-86400), pcDate(1969, 12, 31));
    EXPECT_EQ(FromPcDate(SecondsToDate(1700000000)),
              QDateTime(QDate(2023, 11, 14), QTime(22, 13, 20), Qt::UTC));
    // A local time that a daylight-saving change skips is kept as it is.
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    EXPECT_EQ(FromPcDate(UnixEpochDay + 20541 + 2.5 / 24).time(), QTime(2, 30)); // 2026-03-29
    qputenv("TZ", zone);
    EXPECT_EQ(DateToSeconds(SecondsToDate(1700000000)), 1700000000);
}

TEST(InstrumentTime, HalfSecondsRoundToEven)
{
    // 1/256 of a day is exactly 337.5 seconds, so these are exact halves.
    EXPECT_EQ(DateToSeconds(UnixEpochDay + 1.0 / 256), 338);
    EXPECT_EQ(DateToSeconds(UnixEpochDay + 3.0 / 256), 1012);
    EXPECT_EQ(DateToSeconds(UnixEpochDay - 3.0 / 256), -1012);
}

TEST(InstrumentTime, DatesOutsideThirtyTwoBitsOverflow)
{
    EXPECT_EQ(DateToSeconds(pcDate(1901, 12, 13, 20, 45, 52)), std::numeric_limits<qint32>::min());
    EXPECT_EQ(DateToSeconds(pcDate(2038, 1, 19, 3, 14, 7)), std::numeric_limits<qint32>::max());
    for (double outside : {pcDate(1901, 12, 13, 20, 45, 51), pcDate(2038, 1, 19, 3, 14, 8)}) {
        try {
            DateToSeconds(outside);
            ADD_FAILURE() << "no overflow for " << outside;
        } catch (const QuvaneError &e) {
            EXPECT_EQ(e.number(), ErrorNumber::Overflow);
        }
    }
}

} // namespace
