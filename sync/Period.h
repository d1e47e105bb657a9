#pragma once
#include <cstdint>
#include <string>

// The period box's text read as the standard atoi reads it (leading blanks,
// optional sign, digits up to the first other character, 0 without any),
// except that it saturates instead of overflowing.
int ParsePeriodSeconds(const std::string& text);

// The period timer's interval. The platform's timers go no further than
// 0x7FFFFFFF ms (about 24.8 days); longer periods are held there instead of
// wrapping into a short one.
uint32_t PeriodMilliseconds(int seconds);

const uint32_t kLongestTimerMs = 0x7FFFFFFF;

// [Update] MaxStep, in seconds: a whole number, 0 turning the bound off.
// Anything else (a typo, a sign, blanks) keeps the default rather than
// lifting the bound.
int64_t MaxStepMilliseconds(const std::string& text);

const int64_t kDefaultMaxStepMs = 1000000;
