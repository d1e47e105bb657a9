#include "sync/SystemClock.h"

#include "sync/NearestDate.h"

int64_t SystemClock::NowUs() {
    return UtcMilliseconds(Now()) * 1000;
}
