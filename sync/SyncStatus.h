#pragma once
#include <cstdint>

#include "sync/StatusTexts.h"

// One report of the worker: its status identifier, the Win32 code of a
// failure and, with 151, the UTC time of day it set, the PC clock minus GPS
// time just before the set (positive when the PC was ahead), how far from
// that offset the truth may lie either way (-1 with whole-second sets), and
// whether a reply contradicted the interval carried so far.
struct SyncStatus {
    int id = 0;
    uint32_t error = 0;
    int hour = 0, minute = 0, second = 0;
    int64_t offsetMs = 0;
    int64_t offsetWithinMs = -1;
    bool offsetRestarted = false;
};

// Statuses whose text names a number of milliseconds: the step seen, the
// difference refused, the step asked for (as the offset it was to undo).
// They carry it in offsetMs.
inline bool NamesMilliseconds(int id) {
    return id == IDS_CLOCK_STEPPED || id == IDS_LARGE_STEP || id == IDS_SET_NOT_TAKEN;
}
