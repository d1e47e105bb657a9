#include "service/LogFolderTakeover.h"

#include "service/Accounts.h"

uint32_t TakeOverLogFolder(LogFolderSteps& steps, const std::vector<std::string>& trusted) {
    // A link moved aside, then a folder made: the third look finds it ours.
    for (int looks = 0; looks < 4; ++looks) {
        const FolderLook folder = steps.Look();
        if (folder.error) return folder.error;
        if (folder.exists && !folder.link && folder.directory && IsOneOf(folder.owner, trusted)) return steps.Secure();
        if (const uint32_t error = folder.exists ? steps.MoveAside() : steps.Create()) return error;
    }
    return kFolderKeptChanging;
}
