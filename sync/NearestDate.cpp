#include "sync/NearestDate.h"

#include <cstdint>
#include <cstdlib>
#include <initializer_list>

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, UtcTime& t) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (m <= 2));
    t.month = m;
    t.day = d;
    t.dayOfWeek = static_cast<int>(((z - 719468) % 7 + 11) % 7);  // 1970-01-01 was a Thursday
}

int64_t MillisecondsOf(const UtcTime& t) {
    return DaysFromCivil(t.year, t.month, t.day) * 86400000 + ((t.hour * 60 + t.minute) * 60 + t.second) * 1000LL +
           t.milliseconds;
}

}  // namespace

int64_t MillisecondsBetween(const UtcTime& later, const UtcTime& earlier) {
    return MillisecondsOf(later) - MillisecondsOf(earlier);
}

UtcTime PlaceTimeOfDay(const UtcTime& now, const ClockTimeOfDay& time) {
    const int64_t today = DaysFromCivil(now.year, now.month, now.day);
    const int64_t nowMs = MillisecondsOf(now);
    const int64_t timeMs = ((time.hour * 60 + time.minute) * 60 + time.second) * 1000LL;

    // Today first: a neighbour must be strictly nearer to win, so a tie
    // keeps the PC's date.
    int64_t bestDay = today;
    int64_t bestDistance = std::llabs(today * 86400000 + timeMs - nowMs);
    for (const int64_t day : {today - 1, today + 1}) {
        const int64_t distance = std::llabs(day * 86400000 + timeMs - nowMs);
        if (distance < bestDistance) {
            bestDistance = distance;
            bestDay = day;
        }
    }

    UtcTime result;
    CivilFromDays(bestDay, result);
    result.hour = time.hour;
    result.minute = time.minute;
    result.second = time.second;
    result.milliseconds = 0;
    return result;
}
