#include <gtest/gtest.h>

#include "service/ServiceLogFollower.h"

namespace {

std::string Line(int second, int id = 151) {
    return FormatServiceLogLine({"2026-12-07", "04:50:0" + std::to_string(second), id, "t"});
}

// Each poll hands the follower the file as the service left it; a shown line is its second.
TEST(ServiceLogFollower, ShowsEachNewWholeLineOnceAcrossPiecesRotationsAndGarbage) {
    ServiceLogFollower follower;
    std::string file;
    const auto poll = [&](uint64_t identity, std::string shown = "") {
        for (const auto& e : follower.Take(file.substr(follower.ReadFrom({true, file.size(), identity})))) shown += e.time.back();
        return shown;
    };
    const struct { uint64_t identity; bool replace; std::string bytes; const char* shown; int lastId; } steps[] = {
        {1, false, Line(1) + Line(2) + Line(3) + Line(4) + Line(5) + Line(6) + Line(7, 160), "34567", 160},
        {1, false, Line(8, 156).substr(0, 28), "", 160},   // up to its CR
        {1, false, Line(8, 156).substr(28), "8", 156},
        {1, false, "\n" "junk\r\n" + Line(9), "9", 151},
        {1, true, Line(1, 157), "1", 157},   // rotated: shorter than what was read
        {2, true, Line(2) + Line(3) + Line(4) + Line(5) + Line(6) + Line(7), "234567", 151},   // replaced by a longer file
    };
    for (const auto& s : steps) {
        file = s.replace ? s.bytes : file + s.bytes;
        EXPECT_EQ(s.shown, poll(s.identity)) << s.bytes;
        EXPECT_EQ(s.lastId, follower.LastId()) << s.bytes;
    }
    // A poll reads a bounded tail; the line it cuts is skipped, every whole one after it shown.
    while (file.size() < 3 * ServiceLogFollower::kMaxRead) file += Line(7);
    EXPECT_EQ(ServiceLogFollower::kMaxRead / Line(7).size(), poll(2).size());
    // A piece kept from one poll and the next read never join into a line that one read could not hold.
    for (const size_t length : {ServiceLogFollower::kMaxRead + 1, ServiceLogFollower::kMaxRead}) {
        const std::string line = Line(2).substr(0, 26) + std::string(length - 28, 'x') + "\r\n", head = line.substr(0, length - 60);
        file += head;
        poll(2);
        file += line.substr(head.size());
        EXPECT_EQ(length > ServiceLogFollower::kMaxRead ? "" : "2", poll(2)) << length;
    }

    // A file of an untrusted owner: one entry saying so, none of its lines, also
    // as it grows; trusted again, only what came after shows.
    for (size_t said : {1u, 0u}) {
        EXPECT_EQ(follower.Distrust({true, file.size(), 2}).size(), said);
        file += Line(8);
    }
    EXPECT_EQ(follower.LastId(), IDS_LOG_UNTRUSTED);
    EXPECT_EQ("8", poll(2));
}

}  // namespace
