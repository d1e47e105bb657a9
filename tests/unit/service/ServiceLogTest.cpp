#include <gtest/gtest.h>

#include "service/EventRepeats.h"
#include "service/LogRotation.h"
#include "service/ServiceLogLine.h"
#include "tests/unit/support/FakeClockLine.h"

TEST(ServiceLogLine, WrittenLinesReadBackForeignOnesAreSkippedAndOffsetsCarryTheirSign) {
    const ServiceLogEntry set{"2026-12-07", "04:50:01", 151, "Time Set 04:50:01 UTC " + OffsetSuffix(-312)};
    const std::string line = FormatServiceLogLine(set);
    EXPECT_EQ("2026-12-07 04:50:01 [151] Time Set 04:50:01 UTC  offset -312 ms\r\n", line);
    ServiceLogEntry read;
    ASSERT_TRUE(ParseServiceLogLine(line, read));
    EXPECT_EQ(read.date + read.time + std::to_string(read.id) + read.text, set.date + set.time + "151" + set.text);
    // A break inside a text never splits an entry in two.
    EXPECT_EQ("2026-12-07 04:50:01 [160] a b\r\n", FormatServiceLogLine({"2026-12-07", "04:50:01", 160, "a\r\n b"}));
    for (const char* foreign : {"2026-12-07 04:50:01 [151] Time Set" /* being written */, "2026-12-07 04:50:01 151 x\r\n",
                                "2026-12-7 04:50:01 [151] x\r\n", "2026-12-07 04:5x:01 [151] x\r\n", "2026-12-07 04:50:01 [] x\r\n",
                                "2026-12-07 04:50:01 [15a] x\r\n", "2026-12-07 04:50:01 [1234567] x\r\n", ""})
        EXPECT_FALSE(ParseServiceLogLine(foreign, read)) << foreign;

    EXPECT_EQ(OffsetSuffix(0) + OffsetSuffix(1500) + OffsetSuffix(-7, -1) + "|" + OffsetSuffix(-312, 0) + OffsetSuffix(9, 1101, true) + "|" +
                  OffsetSuffix(INT64_MIN),
              " offset +0 ms offset +1500 ms offset -7 ms| offset -312 ms (within 0 ms) offset +9 ms (within 1101 ms, estimate restarted)|"
              " offset -9223372036854775808 ms");
}

struct TwoFiles : RotatingFiles {
    std::string current, previous;
    bool rotationFails = false;
    uint64_t CurrentSize() override { return current.size(); }
    bool Append(const std::string& text) override { return current += text, true; }
    bool Rotate() override { return !rotationFails && (previous = current, current.clear(), true); }
};

// Lines of every length around the bound, two filling it exactly: the
// current file goes over the bound only with one line alone, a rotation
// keeps the whole current file. While rotations fail, lines go on up to
// twice the bound; then one notice, and nothing until a rotation succeeds.
TEST(LogRotation, BoundKeptAndNothingLostAcrossARotationACapWhileRotationsFail) {
    const uint64_t bound = 100;
    TwoFiles files;
    BoundedLog log(files, bound);
    files.previous = "older";   // an empty current file is never rotated, not even for a long line
    int rotations = 0;
    for (size_t i = 0; i < 300; ++i) {
        const size_t length = i == 0 ? 250 : i < 3 ? 50 : 1 + (i * 37) % (i % 50 == 49 ? 150 : 60);
        const std::string line(length, static_cast<char>('a' + i % 26));
        const std::string before = files.current, previous = files.previous;
        ASSERT_EQ(log.Append(line, "!"), BoundedLog::Outcome::Written);
        const bool over = !before.empty() && before.size() + line.size() > bound;
        rotations += over;
        EXPECT_EQ(files.current, over ? line : before + line) << i;
        EXPECT_EQ(files.previous, over ? before : previous) << i;
    }
    EXPECT_GT(rotations, 50);
    files.current = "w";
    files.rotationFails = true;
    using O = BoundedLog::Outcome;
    const std::pair<size_t, O> cap[] = {{bound, O::Written}, {bound - 1, O::Written}, {1, O::Full}, {1, O::LeftOut}};
    for (const auto& [length, outcome] : cap) EXPECT_EQ(log.Append(std::string(length, 'z'), "!"), outcome) << length;
    files.rotationFails = false;
    EXPECT_EQ(log.Append("x", "!"), O::Written);
    EXPECT_EQ(files.current + "|" + files.previous, "x|w" + std::string(2 * bound - 1, 'z') + "!");
}

// Two hours of a failure every second beside lines that never repeat: the
// failure reaches the event log at the start and at each full hour, with the
// count held back; the same text under another identifier is another entry.
TEST(EventRepeats, AnIdenticalEntryAtMostOnceAnHourWithItsRepeatsCounted) {
    VirtualTicker ticker;
    ticker.now = 0xFFFF0000;   // the counter wraps a minute in
    EventRepeats repeats(ticker);
    std::string reported, expected = "port|set 0|port|";
    const auto pass = [&](int id, const std::string& t) { if (const auto r = repeats.Pass(id, t)) reported += *r + "|"; };
    for (int second = 0; second <= 7200; ++second, ticker.Sleep(1000)) {
        pass(155, "port");
        if (second % 600 == 0) pass(151, "set " + std::to_string(second));
        if (second == 5) pass(160, "port");
    }
    for (int second = 600; second <= 7200; second += 600)
        expected += (second % 3600 ? "" : "port (3599 more times since it was last reported)|") + std::string("set ") +
                    std::to_string(second) + "|";
    EXPECT_EQ(reported, expected);
}
