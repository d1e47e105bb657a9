#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "service/ServiceLogTail_win32.h"

namespace {

std::string Line(int second) { return FormatServiceLogLine({"2026-12-07", "05:00:0" + std::to_string(second), 151, "t"}); }

TEST(ServiceLogTail, FollowsTheFileThroughPiecesAndRotations) {
    const std::string path = "horalux-tail-test.log", old = path + ".1";
    DeleteFileA(path.c_str());
    ServiceLogTail tail(path);
    // Appended as the service writes, the file closed after each write; rotated as it rotates.
    const struct { bool rotate; std::string bytes; const char* shown; } steps[] = {
        {false, Line(1) + Line(2) + Line(3) + Line(4) + Line(5) + Line(6) + Line(7), "34567"},
        {false, Line(8).substr(0, 20), ""},
        {false, Line(8).substr(20), "8"},
        {true, Line(9), "9"},
        {true, Line(1) + Line(2) + Line(3), "123"},   // longer than what was read of the old file
    };
    for (const auto& s : steps) {
        ASSERT_TRUE(!s.rotate || MoveFileExA(path.c_str(), old.c_str(), MOVEFILE_REPLACE_EXISTING));
        std::ofstream(path, std::ios::binary | std::ios::app) << s.bytes;
        std::string shown;
        for (const ServiceLogEntry& e : tail.Poll()) shown += e.time.back();
        EXPECT_EQ(s.shown, shown) << s.bytes;
    }
}

}  // namespace
