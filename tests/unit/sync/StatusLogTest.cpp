#include <gtest/gtest.h>

#include <map>

#include "sync/Period.h"
#include "sync/StatusLog.h"
#include "sync/StatusLine.h"
#include "sync/StatusTexts.h"

namespace {

int Lines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

TEST(StatusLog, HundredAndFirstLineDropsExactlyTheOldest) {
    StatusLog log;
    for (int i = 1; i <= 101; ++i) log.Append("12:00:00", "line " + std::to_string(i));
    EXPECT_EQ(log.LineCount(), 100);
    EXPECT_EQ(Lines(log.Text()), 100);
    EXPECT_EQ(log.Text().rfind("12:00:00 line 2\r\n", 0), 0u);
    EXPECT_NE(log.Text().find("12:00:00 line 101\r\n"), std::string::npos);
    for (int i = 102; i <= 250; ++i) log.Append("12:00:00", "line " + std::to_string(i));
    EXPECT_EQ(Lines(log.Text()), 100);
    EXPECT_EQ(log.Text().rfind("12:00:00 line 151\r\n", 0), 0u);
}

TEST(StatusLog, LineFeedsInsideALineAreDroppedAndCarriageReturnsStay) {
    StatusLog log;
    log.Append("08:15:00", "Failed : Access is denied.\r\n");
    EXPECT_EQ(log.Text(), "08:15:00 Failed : Access is denied.\r\r\n");
    EXPECT_EQ(log.LineCount(), 1);
    log.Clear();
    EXPECT_EQ(log.Text(), "");
    EXPECT_EQ(log.LineCount(), 0);
}

class StatusLineTextTest : public ::testing::Test {
protected:
    std::map<int, std::string> table = {
        {IDS_TIME_SET, TEXT_TIME_SET},
        {IDS_SET_TIME_FAILED, TEXT_SET_TIME_FAILED},
        {IDS_STOPPED, TEXT_STOPPED},
    };
    StringLookup lookup = [this](int id, std::string& text) {
        auto it = table.find(id);
        if (it == table.end()) return false;
        text = it->second;
        return true;
    };
};

TEST_F(StatusLineTextTest, TimeSetShowsTheTimeOfDayWithItsTrailingBlank) {
    EXPECT_EQ(StatusLineText(IDS_TIME_SET, 0, 23, 59, 58, lookup), "Time Set 23:59:58 UTC ");
    EXPECT_EQ(StatusLineText(IDS_TIME_SET, 5, 14, 3, 7, lookup), "Time Set 14:03:07 UTC ");
}

TEST_F(StatusLineTextTest, ErrorCodeAppendsTheSystemText) {
    const std::string text = StatusLineText(IDS_SET_TIME_FAILED, 1314, 0, 0, 0, lookup);
    EXPECT_EQ(text.rfind(std::string(TEXT_SET_TIME_FAILED) + " : ", 0), 0u);
    EXPECT_EQ(StatusLineText(IDS_STOPPED, 0, 0, 0, 0, lookup), TEXT_STOPPED);
}

// 60abc, -5, abc and the empty text go through the start checks.
TEST(Period, ReadsLikeAtoi) {
    EXPECT_EQ(ParsePeriodSeconds("  \t15"), 15);
    EXPECT_EQ(ParsePeriodSeconds("+7"), 7);
    EXPECT_EQ(ParsePeriodSeconds("1 5"), 1);
}

TEST(Period, HugeNumbersSaturateInsteadOfWrapping) {
    EXPECT_EQ(ParsePeriodSeconds("99999999999999999999"), 2147483647);
    EXPECT_EQ(ParsePeriodSeconds("-99999999999999999999"), -2147483647 - 1);
}

TEST(Period, MillisecondsStopAtTheLongestTimer) {
    EXPECT_EQ(PeriodMilliseconds(1), 1000u);
    EXPECT_EQ(PeriodMilliseconds(2147483), 2147483000u);
    EXPECT_EQ(PeriodMilliseconds(2147484), kLongestTimerMs);
    EXPECT_EQ(PeriodMilliseconds(4294968), kLongestTimerMs);   // would wrap to 704 ms in 32 bits
    EXPECT_EQ(PeriodMilliseconds(2147483647), kLongestTimerMs);
}

}  // namespace
