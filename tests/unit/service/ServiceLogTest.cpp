#include <gtest/gtest.h>

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
    EXPECT_EQ(" offset -7 ms", OffsetSuffix(-7, -1));
    EXPECT_EQ(" offset -312 ms (within 0 ms)", OffsetSuffix(-312, 0));
    EXPECT_EQ(" offset +9 ms (within 1101 ms, estimate restarted)", OffsetSuffix(9, 1101, true));
}
