#include <gtest/gtest.h>

#include "history/OffsetHistory.h"

namespace {

const int64_t kNoon = CivilSeconds(2026, 12, 31, 12, 0, 0);

OffsetPoint Set(int64_t time, int64_t offset, int64_t within = 20) {
    OffsetPoint p;
    p.time = time, p.set = true, p.offsetMs = offset, p.withinMs = within;
    return p;
}

OffsetPoint Failed(int64_t time) {
    OffsetPoint p;
    p.time = time, p.failure = "Failed to open comm port.";
    return p;
}

// A day of hourly sets from -11 to +12 ms, sets whose bars stretch the
// scale, one huge outlier, a failure run, and nothing at all: each span's
// points, scale, median, largest offset and summary.
TEST(OffsetHistory, SpansScalesAndSummaries) {
    struct Case {
        const char* name;
        std::vector<OffsetPoint> points;
        int64_t seconds;
        size_t inSpan;
        int64_t low, high, step, median, largest;
        const char* summary;
    };
    std::vector<OffsetPoint> day, outlier, failures;
    for (int h = 0; h < 24; ++h) day.push_back(Set(kNoon - (23 - h) * 3600, h - 11, 3));
    outlier = {Set(kNoon - 60, -5), Set(kNoon - 30, 3600000, 1000), Set(kNoon, 4)};
    failures = {Set(kNoon - 3000, 40, -1), Failed(kNoon - 2), Failed(kNoon - 1), Failed(kNoon)};
    const Case cases[] = {
        {"day", day, 24 * 3600, 24, -20, 20, 10, 0, 12, "24 sets, median offset 0 ms, largest +12 ms"},
        {"last hour of the day", day, 3600, 2, 0, 15, 5, 11, 12, "2 sets, median offset +11 ms, largest +12 ms"},
        {"bars", {Set(kNoon, -312, 200), Set(kNoon, 8, 100)}, 3600, 2, -600, 200, 200, -152, -312,
         "2 sets, median offset -152 ms, largest -312 ms"},
        {"outlier", outlier, 3600, 3, -1000000, 4000000, 1000000, 4, 3600000, "3 sets, median offset +4 ms, largest +3600000 ms"},
        {"failure run", failures, 3600, 4, 0, 40, 10, 40, 40, "1 set, median offset +40 ms, largest +40 ms, 3 failed attempts"},
        {"older than the span", {Set(kNoon - 3601, 500), Failed(kNoon - 4000)}, 3600, 0, -1, 1, 1, 0, 0, "No sets"},
        {"only failures", {Failed(kNoon)}, 3600, 1, -1, 1, 1, 0, 0, "No sets, 1 failed attempt"},
    };
    for (const Case& c : cases) {
        OffsetHistory history;
        for (const OffsetPoint& p : c.points) history.Add(p);
        const HistorySpan span = MakeSpan(history, kNoon, c.seconds);
        auto numbers = [](std::vector<int64_t> n) { std::string t; for (int64_t v : n) t += std::to_string(v) + " "; return t; };
        EXPECT_EQ(numbers({int64_t(span.points.size()), span.low, span.high, span.step, span.medianMs, span.largestMs}) + SummaryText(span),
                  numbers({int64_t(c.inSpan), c.low, c.high, c.step, c.median, c.largest}) + c.summary) << c.name;
        // The scale's ends land on the plot's edges, zero inside it.
        EXPECT_EQ(SpanY(span, span.low, 10, 110), 110) << c.name;
        EXPECT_EQ(SpanY(span, span.high, 10, 110), 10) << c.name;
    }
}

// Points come in any order and stay sorted, each once; a day after the
// newest, the oldest go. The copy has a row for each point of the span, for a spreadsheet.
TEST(OffsetHistory, OrderPruningCopyAxisAndTip) {
    OffsetHistory history;
    for (const OffsetPoint& p : {Set(kNoon, -312), Set(kNoon - 7200, 9, -1), Failed(kNoon - 60), Set(kNoon - 86401, 1), Set(kNoon, -312)})
        history.Add(p);
    ASSERT_EQ(history.Points().size(), 3u);
    const HistorySpan span = MakeSpan(history, kNoon + 1800, 3 * 3600);
    EXPECT_EQ(CopyText(span),
              "Time\tOffset (ms)\tWithin (ms)\tStatus\r\n2026-12-31 10:00:00\t9\t\tset\r\n"
              "2026-12-31 11:59:00\t\t\tFailed to open comm port.\r\n2026-12-31 12:00:00\t-312\t20\tset\r\n");
    history.Add(Set(kNoon + 86400, 0));
    EXPECT_EQ(history.Points().size(), 2u);

    EXPECT_EQ(SpanX(span, span.from, 0, 300) + SpanX(span, kNoon, 0, 300) * 1000, 250000);
    EXPECT_EQ(TimeMarks(MakeSpan(history, kNoon + 3599, 3600)), (std::vector<int64_t>{kNoon, kNoon + 600, kNoon + 1200, kNoon + 1800, kNoon + 2400, kNoon + 3000}));
    const std::vector<int64_t> day = TimeMarks(MakeSpan(history, kNoon + 1, 86400));
    EXPECT_TRUE(day.size() == 8 && day.front() == kNoon - 21 * 3600 && day.back() == kNoon);

    EXPECT_EQ(TipText(Set(kNoon + 3 * 60 + 11, 12)) + "|" + TipText(Set(kNoon, -7)) + "|" + TipText(Set(kNoon, 0)) + "|" +
                  TipText(Failed(kNoon)),
              "Horalux: set 12:03:11, PC was 12 ms ahead|Horalux: set 12:00:00, PC was 7 ms behind|"
              "Horalux: set 12:00:00, PC was on time|Horalux: Failed to open comm port.");
    EXPECT_EQ(CivilText(CivilSeconds(2027, 1, 1, 0, 0, 0) - 1) + "|" + CivilText(CivilSeconds(1969, 12, 31, 23, 0, 0)),
              "2026-12-31 23:59:59|1969-12-31 23:00:00");
}

// Points from the window's statuses and the service's lines: only sets and
// failed attempts count, and a set line whose offset cannot be read is refused.
TEST(OffsetHistory, PointsFromStatusesAndLogLines) {
    OffsetPoint p;
    SyncStatus set;
    set.id = IDS_TIME_SET, set.offsetMs = -312, set.offsetWithinMs = 20;
    ASSERT_TRUE(PointFromStatus(set, kNoon, "Time Set", p));
    EXPECT_TRUE(p.set && p.offsetMs == -312 && p.withinMs == 20 && p.time == kNoon && p.failure.empty());
    set.id = IDS_SAMPLE_SENT;
    EXPECT_TRUE(PointFromStatus(set, kNoon, "Sample sent:", p) && p.set && p.offsetMs == -312);
    for (int id : {IDS_OPEN_EVENT_FAILED, IDS_OPEN_PORT_FAILED, IDS_NO_ECHO, IDS_SET_TIME_FAILED, IDS_UNEXPECTED_ERROR, IDS_SAMPLE_NOT_TAKEN})
        EXPECT_TRUE(PointFromStatus(SyncStatus{id, 5}, kNoon, "line", p) && !p.set && p.failure == "line") << id;
    for (int id : {IDS_STOPPED, IDS_WAITING_FOR_THREAD, IDS_PERIOD_TOO_SMALL, IDS_SAMPLE_TOO_WIDE, 170}) EXPECT_FALSE(PointFromStatus(SyncStatus{id}, kNoon, "", p)) << id;

    const std::string time = "Time Set 04:50:01 UTC ";
    struct Line { std::string text; bool read; int64_t offset = 0, within = 0; } lines[] = {
        {time + OffsetSuffix(-312), true, -312, -1},
        {time + OffsetSuffix(12, 20), true, 12, 20},
        {time + OffsetSuffix(999999999999, 1101, true), true, 999999999999, 1101},
        {time + OffsetSuffix(0, 0), true, 0, 0},
        {time, false}, {time + " offset 12 ms", false}, {time + " offset + ms", false}, {time + " offset -3 ms (within -5 ms)", false},
        {time + " offset -3 ms (within 5 ms", false}, {time + " offset -3 ms (within 5 ms) x", false}, {time + " offset -3 msec", false},
        {time + " offset +1234567890123 ms", false}, {time + " offset -3 ms (within 5 ms, restarted)", false},
    };
    for (const Line& l : lines) {
        ASSERT_EQ(PointFromLogEntry({"2026-12-07", "04:50:01", IDS_TIME_SET, l.text}, p), l.read) << l.text;
        if (l.read) {
            EXPECT_TRUE(p.set && p.offsetMs == l.offset && p.withinMs == l.within && p.time == CivilSeconds(2026, 12, 7, 4, 50, 1)) << l.text;
        }
    }
    EXPECT_TRUE(PointFromLogEntry({"2026-12-07", "04:50:01", IDS_NO_ECHO, "No echo"}, p) && !p.set && p.failure == "No echo");
    EXPECT_FALSE(PointFromLogEntry({"2026-12-07", "04:50:01", 170, "Settings read"}, p));
}

}  // namespace
