#include <gtest/gtest.h>

#include "sync/ClockReply.h"
#include "sync/NearestDate.h"

namespace {

UtcTime At(int y, int mo, int d, int h, int mi, int s, int ms) {
    UtcTime t;
    t.year = y; t.month = mo; t.day = d; t.hour = h; t.minute = mi; t.second = s; t.milliseconds = ms;
    return t;
}

void ExpectDate(const UtcTime& t, int y, int mo, int d, int dow) {
    EXPECT_EQ(t.year, y);
    EXPECT_EQ(t.month, mo);
    EXPECT_EQ(t.day, d);
    EXPECT_EQ(t.dayOfWeek, dow);
}

TEST(PlaceTimeOfDay, SameDayWhenBothAreOnIt) {
    const UtcTime t = PlaceTimeOfDay(At(2026, 12, 6, 23, 59, 57, 0), {23, 59, 58});
    ExpectDate(t, 2026, 12, 6, 0);
    EXPECT_EQ(t.hour, 23); EXPECT_EQ(t.minute, 59); EXPECT_EQ(t.second, 58); EXPECT_EQ(t.milliseconds, 0);
}

TEST(PlaceTimeOfDay, ClockAlreadyPastMidnightMovesToTheNextDay) {
    ExpectDate(PlaceTimeOfDay(At(2026, 12, 31, 23, 59, 59, 800), {0, 0, 0}), 2027, 1, 1, 5);
}

TEST(PlaceTimeOfDay, PcFastPastMidnightMovesBackToThePreviousDay) {
    ExpectDate(PlaceTimeOfDay(At(2026, 3, 1, 0, 0, 3, 0), {23, 59, 59}), 2026, 2, 28, 6);
    ExpectDate(PlaceTimeOfDay(At(2024, 3, 1, 0, 0, 2, 0), {23, 59, 58}), 2024, 2, 29, 4);
}

TEST(PlaceTimeOfDay, LeapDayIsReachedFromTheDayBefore) {
    ExpectDate(PlaceTimeOfDay(At(2024, 2, 28, 23, 59, 59, 900), {0, 0, 0}), 2024, 2, 29, 4);
    ExpectDate(PlaceTimeOfDay(At(2100, 2, 28, 23, 59, 59, 900), {0, 0, 0}), 2100, 3, 1, 1);
}

TEST(PlaceTimeOfDay, NoonDifferenceStaysOnTheSameDay) {
    // Twelve hours either way: the same day is as near as any, and is kept.
    ExpectDate(PlaceTimeOfDay(At(2026, 6, 15, 12, 0, 0, 0), {0, 0, 0}), 2026, 6, 15, 1);
    ExpectDate(PlaceTimeOfDay(At(2026, 6, 15, 0, 0, 0, 0), {12, 0, 0}), 2026, 6, 15, 1);
}

TEST(ParseClockReply, ReadsTheLastThreeFields) {
    ClockTimeOfDay t;
    ASSERT_EQ(ParseClockReply("123:23:59:58\r\n", t), ReplyParse::Ok);
    EXPECT_EQ(t.hour, 23); EXPECT_EQ(t.minute, 59); EXPECT_EQ(t.second, 58);
    ASSERT_EQ(ParseClockReply(" 7: 1: 2: 3\r\n", t), ReplyParse::Ok);   // as %d skips blanks
    EXPECT_EQ(t.hour, 1);
}

TEST(ParseClockReply, RefusesWhatIsNotFourIntegers) {
    ClockTimeOfDay t;
    EXPECT_EQ(ParseClockReply("123:23:59\r\n\r\n", t), ReplyParse::Unparseable);
    EXPECT_EQ(ParseClockReply("abc:23:59:58\r\n", t), ReplyParse::Unparseable);
    EXPECT_EQ(ParseClockReply("123;23:59:58\r\n", t), ReplyParse::Unparseable);
    EXPECT_EQ(ParseClockReply("", t), ReplyParse::Unparseable);
    EXPECT_EQ(ParseClockReply("1:2:3:99999999999\r\n", t), ReplyParse::Unparseable);
}

TEST(ParseClockReply, RefusesTimesOfDayThatCannotExist) {
    ClockTimeOfDay t;
    EXPECT_EQ(ParseClockReply("1:24:00:00\r\n", t), ReplyParse::OutOfRange);
    EXPECT_EQ(ParseClockReply("1:00:60:00\r\n", t), ReplyParse::OutOfRange);
    EXPECT_EQ(ParseClockReply("1:00:00:60\r\n", t), ReplyParse::OutOfRange);
    EXPECT_EQ(ParseClockReply("1:-1:00:00\r\n", t), ReplyParse::OutOfRange);
    EXPECT_EQ(ParseClockReply("-5:00:00:00\r\n", t), ReplyParse::Ok);   // the first field is not used
}

}  // namespace
