#include "app/Settings.h"

#include "files/ProfileStore.h"

namespace {

const char kPortSection[] = "Communication";
const char kPortKey[] = "CommPort";
const char kPeriodSection[] = "Update";
const char kPeriodKey[] = "Frequency";

} // namespace

Settings LoadSettings(const ProfileStore& profile)
{
    Settings settings;
    settings.port = profile.GetString(kPortSection, kPortKey, settings.port);
    settings.period = profile.GetString(kPeriodSection, kPeriodKey, settings.period);
    return settings;
}

bool SaveSettings(ProfileStore& profile, const Settings& settings, uint32_t& error)
{
    return profile.WriteString(kPortSection, kPortKey, settings.port, &error) &&
           profile.WriteString(kPeriodSection, kPeriodKey, settings.period, &error);
}
