#include "timeprov/PipeSecurity_win32.h"

#include <sddl.h>
#include <wincrypt.h>

#include <cctype>

#include "timeprov/FeedRecord.h"

namespace {

class HashContext {
public:
    HashContext() {
        if (CryptAcquireContextA(&provider_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
            !CryptCreateHash(provider_, CALG_SHA1, 0, 0, &hash_))
            hash_ = 0;
    }
    ~HashContext() {
        if (hash_) CryptDestroyHash(hash_);
        if (provider_) CryptReleaseContext(provider_, 0);
    }
    HashContext(const HashContext&) = delete;
    HashContext& operator=(const HashContext&) = delete;

    // The digest as the five little-endian numbers of a service SID.
    bool Sha1(const void* data, DWORD size, DWORD (&digest)[5]) {
        DWORD length = sizeof digest;
        return hash_ && CryptHashData(hash_, static_cast<const BYTE*>(data), size, 0) &&
               CryptGetHashParam(hash_, HP_HASHVAL, reinterpret_cast<BYTE*>(digest), &length, 0) &&
               length == sizeof digest;
    }

private:
    HCRYPTPROV provider_ = 0;
    HCRYPTHASH hash_ = 0;
};

bool IsMember(HANDLE token, PSID sid) {
    BOOL member = FALSE;
    return sid && CheckTokenMembership(token, sid, &member) && member;
}

}  // namespace

std::string ServiceSidText(const std::string& serviceName) {
    std::wstring upper;
    for (const char c : serviceName) upper += static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(c)));
    DWORD digest[5];
    HashContext hash;
    if (!hash.Sha1(upper.data(), static_cast<DWORD>(upper.size() * sizeof(wchar_t)), digest)) return std::string();
    std::string text = "S-1-5-80";
    for (const DWORD part : digest) text += "-" + std::to_string(part);
    return text;
}

LocalMemory FeedPipeSecurity() {
    const std::string service = ServiceSidText(HORALUX_FEED_SERVICE);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (service.empty() || !ConvertStringSecurityDescriptorToSecurityDescriptorA(
                               ("D:P(A;;GW;;;" + service + ")(A;;GW;;;BA)").c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return LocalMemory();
    return LocalMemory(descriptor);
}

bool IsTrustedClient(HANDLE token) {
    PSID service = nullptr;
    const std::string text = ServiceSidText(HORALUX_FEED_SERVICE);
    const LocalMemory owner(!text.empty() && ConvertStringSidToSidA(text.c_str(), &service) ? service : nullptr);
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    return IsMember(token, service) ||
           (CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) && IsMember(token, administrators));
}
