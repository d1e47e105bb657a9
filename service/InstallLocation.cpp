#include "service/InstallLocation.h"

#include "service/Accounts.h"

namespace {

// Access bits as the security API defines them.
constexpr uint32_t kWriteOrAddFile = 0x2, kAppendOrAddFolder = 0x4, kDeleteChild = 0x40, kDelete = 0x10000,
                   kWriteDac = 0x40000, kWriteOwner = 0x80000, kGenericAll = 0x10000000,
                   kGenericWrite = 0x40000000;
constexpr uint32_t kChangeAbove = kDeleteChild | kDelete | kWriteDac | kWriteOwner | kGenericAll;
constexpr uint32_t kChangeHere = kChangeAbove | kWriteOrAddFile | kAppendOrAddFolder | kGenericWrite;

}  // namespace

bool OthersCanChange(const std::vector<PathObject>& path, const std::vector<std::string>& trusted) {
    if (path.empty()) return true;   // nothing could be read
    for (size_t i = 0; i < path.size(); ++i) {
        const PathObject& object = path[i];
        if (object.link || object.noDacl || !IsOneOf(object.owner, trusted)) return true;
        const uint32_t rights = i < 2 ? kChangeHere : kChangeAbove;
        for (const AccessEntry& entry : object.entries)
            if (entry.allow && !entry.inheritOnly && (entry.mask & rights) && !IsOneOf(entry.sid, trusted))
                return true;
    }
    return false;
}
