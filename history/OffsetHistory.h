#pragma once
#include <cstdint>
#include <ctime>
#include <deque>
#include <string>
#include <vector>

#include "service/ServiceLogLine.h"
#include "sync/SyncStatus.h"

// One attempt as the history keeps it: a set with the PC clock's offset from
// GPS time before it (PC minus GPS, positive when the PC was ahead) and the
// margin either way (-1: none stated), or a failed attempt with its line.
struct OffsetPoint {
    int64_t time = 0;   // local wall-clock seconds (CivilSeconds)
    bool set = false;
    int64_t offsetMs = 0;
    int64_t withinMs = -1;
    std::string failure;
};

// Seconds from 1970-01-01 00:00:00 of a local date and time, taken as it
// reads: the service's lines and the window's own stamps are local times.
int64_t CivilSeconds(int year, int month, int day, int hour, int minute, int second);
inline int64_t CivilSeconds(const std::tm& local) {
    return CivilSeconds(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}
// "2026-12-07 04:50:01" back from those seconds.
std::string CivilText(int64_t seconds);

// The point a status brings, if any: a set (or an estimate handed to Windows
// Time instead), or an attempt that failed. Stops, waits and the service's
// own notes are no attempts.
bool PointFromStatus(const SyncStatus& status, int64_t time, const std::string& line, OffsetPoint& point);
// The same from a line of the service's log; a set whose offset cannot be
// read is refused.
bool PointFromLogEntry(const ServiceLogEntry& entry, OffsetPoint& point);

// The points of the last 24 hours, oldest first.
class OffsetHistory {
public:
    static constexpr int64_t kKeepSeconds = 24 * 3600;
    // Sets every second for a day, and as many failures.
    static constexpr size_t kMaxPoints = 2 * 24 * 3600;

    // In time order, wherever it falls; what is older than a day before the
    // newest point goes.
    void Add(const OffsetPoint& point);
    const std::deque<OffsetPoint>& Points() const { return points_; }

private:
    std::deque<OffsetPoint> points_;
};

// What the window shows of one span ending now: the points in it, the y
// scale in milliseconds (low and high multiples of step, zero between them,
// every set's bar inside), the median and the largest offset of its sets.
struct HistorySpan {
    int64_t from = 0, to = 0;
    int64_t low = 0, high = 0, step = 1;
    std::vector<OffsetPoint> points;
    size_t sets = 0, failures = 0;
    int64_t medianMs = 0, largestMs = 0;
};

HistorySpan MakeSpan(const OffsetHistory& history, int64_t now, int64_t seconds);

// Pixel of a time between left and right, of an offset between bottom and top.
int32_t SpanX(const HistorySpan& span, int64_t time, int32_t left, int32_t right);
int32_t SpanY(const HistorySpan& span, int64_t ms, int32_t top, int32_t bottom);
// Times of the axis' marks: every 10 minutes in an hour, every 3 hours in a day.
std::vector<int64_t> TimeMarks(const HistorySpan& span);
// "+12 ms", "0 ms", "-312 ms"
std::string MillisecondsText(int64_t ms);

// "24 sets, median offset +12 ms, largest -312 ms, 2 failed attempts"
std::string SummaryText(const HistorySpan& span);
// For a spreadsheet: a heading, then one row a point: time, offset, margin
// (empty when none is stated), "set" or the failure's line.
std::string CopyText(const HistorySpan& span);
// The tray's tip: "Horalux: set 14:02:11, PC was 12 ms ahead", or the failure's line.
std::string TipText(const OffsetPoint& last);
