#include <gtest/gtest.h>

#include "service/LogRotation.h"
#include "service/ServiceLogLine.h"

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
// keeps the whole current file, and a failed rotation loses nothing.
TEST(LogRotation, BoundKeptAndNothingLostAcrossARotation) {
    const uint64_t bound = 100;
    TwoFiles files;
    files.previous = "older";   // an empty current file is never rotated, not even for a long line
    int rotations = 0;
    for (size_t i = 0; i < 300; ++i) {
        const size_t length = i == 0 ? 150 : i < 3 ? 50 : 1 + (i * 37) % (i % 50 == 49 ? 150 : 60);
        const std::string line(length, static_cast<char>('a' + i % 26));
        const std::string before = files.current, previous = files.previous;
        ASSERT_TRUE(AppendLogLine(files, line, bound));
        const bool over = !before.empty() && before.size() + line.size() > bound;
        rotations += over;
        EXPECT_EQ(files.current, over ? line : before + line) << i;
        EXPECT_EQ(files.previous, over ? before : previous) << i;
    }
    EXPECT_GT(rotations, 50);
    files.rotationFails = true;
    const std::string full = files.current;
    EXPECT_TRUE(AppendLogLine(files, std::string(bound, 'z'), bound));
    EXPECT_EQ(files.current, full + std::string(bound, 'z'));
}
