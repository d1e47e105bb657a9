#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "service/ServiceLogTail_win32.h"

namespace {

std::string Line(int second) { return FormatServiceLogLine({"2026-12-07", "05:00:0" + std::to_string(second), 151, "t"}); }

// The pieces and rotations themselves are the follower's, tested natively;
// only Windows can show that a renamed file keeps its index, so that a new
// file longer than what was read of the old one still starts over.
TEST(ServiceLogTail, ARotationToALongerFileStartsOver) {
    const std::string path = "horalux-tail-test.log", old = path + ".1";
    ServiceLogTail tail(path);
    std::ofstream(path, std::ios::binary) << Line(1) << Line(8).substr(0, 20);   // a line half written
    EXPECT_EQ(tail.Poll().size(), 1u);
    ASSERT_TRUE(MoveFileExA(path.c_str(), old.c_str(), MOVEFILE_REPLACE_EXISTING));
    std::ofstream(path, std::ios::binary) << Line(1) + Line(2) + Line(3);
    EXPECT_EQ(tail.Poll().size(), 3u);   // read on from the old offset: "8" glued to a piece, then "3"
}

}  // namespace
