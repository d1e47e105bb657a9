#pragma once
#include <algorithm>
#include <string>
#include <vector>

// Accounts as the security API writes their SIDs.
#define SID_LOCAL_SYSTEM "S-1-5-18"
#define SID_ADMINISTRATORS "S-1-5-32-544"
// NT SERVICE\TrustedInstaller and NT SERVICE\Horalux: S-1-5-80 and the SHA-1
// of the upper-case service name in UTF-16, as "sc showsid" prints them.
#define SID_TRUSTED_INSTALLER "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
#define SID_HORALUX_SERVICE "S-1-5-80-4206197698-2132296774-1586071962-3713022847-856754201"

// An unknown account (empty) is never one of them.
inline bool IsOneOf(const std::string& sid, const std::vector<std::string>& accounts) {
    return !sid.empty() && std::find(accounts.begin(), accounts.end(), sid) != accounts.end();
}
