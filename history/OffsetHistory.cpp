#include "history/OffsetHistory.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "sync/NearestDate.h"

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// A set, one Windows did not carry out, or an estimate handed to Windows
// Time in its place: each carries the offset measured before it.
bool CarriesOffset(int id) {
    return id == IDS_TIME_SET || id == IDS_SET_NOT_TAKEN || id == IDS_SAMPLE_SENT;
}

bool IsFailedAttempt(int id) {
    return id == IDS_OPEN_EVENT_FAILED || (id >= IDS_OPEN_PORT_FAILED && id <= IDS_UNEXPECTED_ERROR) ||
           id == IDS_LARGE_STEP || id == IDS_NOT_AGREED || id == IDS_SAMPLE_NOT_TAKEN;
}

std::string Plural(size_t n, const char* one) {
    return std::to_string(n) + " " + one + (n == 1 ? "" : "s");
}

}  // namespace

// The calendar is the UTC one's: only the reading differs.
int64_t CivilSeconds(int year, int month, int day, int hour, int minute, int second) {
    UtcTime t;
    t.year = year, t.month = month, t.day = day, t.hour = hour, t.minute = minute, t.second = second;
    return UtcMilliseconds(t) / 1000;
}

std::string CivilText(int64_t seconds) {
    const UtcTime t = UtcFromMilliseconds(seconds * 1000);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

bool PointFromStatus(const SyncStatus& status, int64_t time, const std::string& line, OffsetPoint& point) {
    if (!CarriesOffset(status.id) && !IsFailedAttempt(status.id)) return false;
    point = OffsetPoint();
    point.time = time;
    point.set = CarriesOffset(status.id);
    if (point.set) {
        point.offsetMs = status.offsetMs;
        point.withinMs = status.offsetWithinMs;
    } else {
        point.failure = line;
    }
    return true;
}

bool PointFromLogEntry(const ServiceLogEntry& entry, OffsetPoint& point) {
    int year, month, day, hour, minute, second;
    char end;
    if (std::sscanf((entry.date + " " + entry.time).c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &year, &month, &day, &hour,
                    &minute, &second, &end) != 6)
        return false;
    SyncStatus status;
    status.id = entry.id;
    if (CarriesOffset(entry.id) && !ParseOffsetSuffix(entry.text, status.offsetMs, status.offsetWithinMs)) return false;
    return PointFromStatus(status, CivilSeconds(year, month, day, hour, minute, second), entry.text, point);
}

void OffsetHistory::Add(const OffsetPoint& point) {
    const auto later = std::upper_bound(points_.begin(), points_.end(), point.time,
                                        [](int64_t time, const OffsetPoint& p) { return time < p.time; });
    // The service's last lines are read again when it starts anew: once is enough.
    for (auto same = later; same != points_.begin() && (same - 1)->time == point.time; --same) {
        const OffsetPoint& p = *(same - 1);
        if (p.set == point.set && p.offsetMs == point.offsetMs && p.withinMs == point.withinMs && p.failure == point.failure)
            return;
    }
    points_.insert(later, point);
    const int64_t oldest = points_.back().time - kKeepSeconds;
    while (points_.size() > kMaxPoints || points_.front().time < oldest) points_.pop_front();
}

HistorySpan MakeSpan(const OffsetHistory& history, int64_t now, int64_t seconds) {
    HistorySpan span;
    span.from = now - seconds;
    span.to = now;
    std::vector<int64_t> offsets;
    int64_t low = 0, high = 0;
    for (const OffsetPoint& p : history.Points()) {
        if (p.time < span.from || p.time > span.to) continue;
        span.points.push_back(p);
        if (!p.set) {
            ++span.failures;
            continue;
        }
        offsets.push_back(p.offsetMs);
        const int64_t within = std::max<int64_t>(p.withinMs, 0);
        low = std::min(low, p.offsetMs - within);
        high = std::max(high, p.offsetMs + within);
        if (std::abs(p.offsetMs) >= std::abs(span.largestMs)) span.largestMs = p.offsetMs;
    }
    span.sets = offsets.size();
    if (!offsets.empty()) {
        const size_t mid = offsets.size() / 2;
        std::nth_element(offsets.begin(), offsets.begin() + mid, offsets.end());
        span.medianMs = offsets[mid];
        if (offsets.size() % 2 == 0)
            span.medianMs = (*std::max_element(offsets.begin(), offsets.begin() + mid) + span.medianMs) / 2;
    }
    if (low == high) low = -1, high = 1;
    // The smallest step of 1, 2 or 5 times a power of ten that spans the
    // data, zero on a mark, in at most five steps.
    const int64_t mantissas[] = {1, 2, 5};
    auto below = [&](int64_t step) { return (-low + step - 1) / step; };
    auto above = [&](int64_t step) { return (high + step - 1) / step; };
    for (int64_t power = 1, k = 0; span.step = power * mantissas[k], below(span.step) + above(span.step) > 5;)
        if (++k == 3) k = 0, power *= 10;
    span.low = -below(span.step) * span.step;
    span.high = above(span.step) * span.step;
    return span;
}

int32_t SpanX(const HistorySpan& span, int64_t time, int32_t left, int32_t right) {
    const double share = span.to > span.from ? double(time - span.from) / double(span.to - span.from) : 0;
    return left + static_cast<int32_t>(share * (right - left) + 0.5);
}

int32_t SpanY(const HistorySpan& span, int64_t ms, int32_t top, int32_t bottom) {
    const double share = double(ms - span.low) / double(span.high - span.low);
    return bottom - static_cast<int32_t>(share * (bottom - top) + 0.5);
}

std::vector<int64_t> TimeMarks(const HistorySpan& span) {
    const int64_t every = span.to - span.from > 3600 ? 3 * 3600 : 600;
    std::vector<int64_t> marks;
    for (int64_t t = FloorDiv(span.from + every - 1, every) * every; t <= span.to; t += every) marks.push_back(t);
    return marks;
}

std::string MillisecondsText(int64_t ms) {
    return (ms > 0 ? "+" : "") + std::to_string(ms) + " ms";
}

std::string SummaryText(const HistorySpan& span) {
    std::string text = span.sets == 0 ? "No sets"
                                      : Plural(span.sets, "set") + ", median offset " + MillisecondsText(span.medianMs) +
                                            ", largest " + MillisecondsText(span.largestMs);
    if (span.failures > 0) text += ", " + Plural(span.failures, "failed attempt");
    return text;
}

std::string CopyText(const HistorySpan& span) {
    std::string text = "Time\tOffset (ms)\tWithin (ms)\tStatus\r\n";
    for (const OffsetPoint& p : span.points) {
        text += CivilText(p.time) + "\t";
        if (p.set)
            text += std::to_string(p.offsetMs) + "\t" + (p.withinMs < 0 ? "" : std::to_string(p.withinMs)) + "\tset\r\n";
        else
            text += "\t\t" + p.failure + "\r\n";
    }
    return text;
}

std::string TipText(const OffsetPoint& last) {
    if (!last.set) return "Horalux: " + last.failure;
    const int64_t size = last.offsetMs < 0 ? -last.offsetMs : last.offsetMs;
    return "Horalux: set " + CivilText(last.time).substr(11) + ", PC was " +
           (last.offsetMs == 0 ? "on time" : std::to_string(size) + " ms " + (last.offsetMs > 0 ? "ahead" : "behind"));
}
