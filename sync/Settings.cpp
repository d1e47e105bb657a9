#include "sync/Settings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "files/ProfileStore.h"

namespace {

const char kPortSection[] = "Communication";
const char kPortKey[] = "CommPort";
const char kPeriodSection[] = "Update";
const char kPeriodKey[] = "Frequency";
const char kPreciseKey[] = "Precise";
const char kMaxStepKey[] = "MaxStep";
const char kModeKey[] = "Mode";
const std::string kFeedMode = "WindowsTime";

bool SameWord(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) == std::tolower(y);
    });
}

} // namespace

Settings LoadSettings(const ProfileStore& profile)
{
    Settings settings;
    settings.port = profile.GetString(kPortSection, kPortKey, settings.port);
    settings.period = profile.GetString(kPeriodSection, kPeriodKey, settings.period);
    // A number, as GetPrivateProfileInt reads one: text that is none counts as 0.
    settings.sync.precise = std::atoi(profile.GetString(kPeriodSection, kPreciseKey, "1").c_str()) != 0;
    settings.sync.maxStepMs = MaxStepMilliseconds(profile.GetString(kPeriodSection, kMaxStepKey, "1000"));
    settings.sync.feedsWindowsTime = SameWord(profile.GetString(kPeriodSection, kModeKey, ""), kFeedMode);
    return settings;
}

bool SaveSettings(ProfileStore& profile, const Settings& settings, uint32_t& error)
{
    return profile.WriteString(kPortSection, kPortKey, settings.port, &error) &&
           profile.WriteString(kPeriodSection, kPeriodKey, settings.period, &error);
}

bool SaveFeedMode(ProfileStore& profile, bool feedsWindowsTime, uint32_t& error)
{
    return feedsWindowsTime ? profile.WriteString(kPeriodSection, kModeKey, kFeedMode, &error)
                            : profile.RemoveKey(kPeriodSection, kModeKey, &error);
}
