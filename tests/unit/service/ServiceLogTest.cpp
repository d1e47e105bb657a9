#include <gtest/gtest.h>

#include "service/LogRotation.h"
#include "service/ServiceLogLine.h"

TEST(ServiceLogLine, WrittenLinesReadBackAndForeignOnesAreSkipped) {
    const ServiceLogEntry set{"2026-12-07", "04:50:01", 151, "Time Set 04:50:01 UTC " + OffsetSuffix(-312)};
    const std::string line = FormatServiceLogLine(set);
    EXPECT_EQ("2026-12-07 04:50:01 [151] Time Set 04:50:01 UTC  offset -312 ms\r\n", line);

    ServiceLogEntry read;
    ASSERT_TRUE(ParseServiceLogLine(line, read));
    EXPECT_EQ(set.date, read.date);
    EXPECT_EQ(set.time, read.time);
    EXPECT_EQ(151, read.id);
    EXPECT_EQ(set.text, read.text);

    // A break inside a text never splits an entry in two.
    EXPECT_EQ("2026-12-07 04:50:01 [160] a b\r\n", FormatServiceLogLine({"2026-12-07", "04:50:01", 160, "a\r\n b"}));

    for (const char* foreign : {"2026-12-07 04:50:01 [151] Time Set",   // still being written
                                "2026-12-07 04:50:01 151 Time Set\r\n", "2026-12-7 04:50:01 [151] x\r\n",
                                "2026-12-07 04:5x:01 [151] x\r\n", "2026-12-07 04:50:01 [] x\r\n",
                                "2026-12-07 04:50:01 [15a] x\r\n", "2026-12-07 04:50:01 [1234567] x\r\n", ""})
        EXPECT_FALSE(ParseServiceLogLine(foreign, read)) << foreign;
}

TEST(ServiceLogLine, OffsetCarriesItsSign) {
    EXPECT_EQ(" offset +0 ms", OffsetSuffix(0));
    EXPECT_EQ(" offset +1500 ms", OffsetSuffix(1500));
    EXPECT_EQ(" offset -7 ms", OffsetSuffix(-7));
}

struct TwoFiles : RotatingFiles {
    std::string current, previous;
    bool rotationFails = false;
    uint64_t CurrentSize() override { return current.size(); }
    bool Append(const std::string& text) override { return current += text, true; }
    bool Rotate() override { return !rotationFails && (previous = current, current.clear(), true); }
};

// Lines of every length around the bound, one filling it exactly: the
// current file goes over the bound only with one line alone, a rotation
// keeps the whole current file, and a failed rotation loses nothing.
TEST(LogRotation, BoundKeptAndNothingLostAcrossARotation) {
    const uint64_t bound = 100;
    TwoFiles files;
    int rotations = 0;
    for (size_t i = 0; i < 300; ++i) {
        const std::string line(i < 2 ? 50 : 1 + (i * 37) % (i % 50 == 49 ? 150 : 60), static_cast<char>('a' + i % 26));
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
