#include <gtest/gtest.h>

#include "service/Accounts.h"
#include "service/InstallLocation.h"
#include "service/LogFolderTakeover.h"

namespace {

const std::vector<std::string> kTrusted = {SID_LOCAL_SYSTEM, SID_ADMINISTRATORS, SID_HORALUX_SERVICE};
const std::string kUser = "S-1-5-21-1-2-3-1001", kLocalService = "S-1-5-19";

// Each Look finds the next thing in turn (the last one again and again); the steps taken are written down.
struct ScriptedFolder : LogFolderSteps {
    std::vector<FolderLook> looks;
    uint32_t moveError = 0, seen = 0;
    std::string steps;
    FolderLook Look() override { return steps += 'L', looks[std::min<size_t>(seen++, looks.size() - 1)]; }
    uint32_t Create() override { return steps += 'C', 0; }
    uint32_t MoveAside() override { return steps += 'M', moveError; }
    uint32_t Secure() override { return steps += 'S', 0; }
};

TEST(LogFolderTakeover, OnlyAFolderOfATrustedOwnerIsKeptAnythingElseMovedAsideForANewOne) {
    const FolderLook missing, ours{true, true, false, SID_ADMINISTRATORS}, users{true, true, false, kUser};
    const struct { const char* what; std::vector<FolderLook> looks; uint32_t moveError; const char* steps; uint32_t result; } rows[] = {
        {"missing", {missing, ours}, 0, "LCLS", 0},
        {"ours", {ours}, 0, "LS", 0},
        {"the service's", {{true, true, false, SID_HORALUX_SERVICE}}, 0, "LS", 0},
        {"a junction to a trusted folder", {{true, true, true, SID_ADMINISTRATORS}, missing, ours}, 0, "LMLCLS", 0},
        {"a user's folder", {users, missing, ours}, 0, "LMLCLS", 0},
        {"LocalService's, shared by many services", {{true, true, false, kLocalService}, missing, ours}, 0, "LMLCLS", 0},
        {"a file", {{true, false, false, SID_ADMINISTRATORS}, missing, ours}, 0, "LMLCLS", 0},
        {"a user's folder that cannot be moved", {users}, 5, "LM", 5},
        {"one that cannot be opened", {{false, false, false, "", 5}}, 0, "L", 5},
        {"replaced again after each move", {users}, 0, "LMLMLMLM", kFolderKeptChanging},
    };
    for (const auto& row : rows) {
        ScriptedFolder folder;
        folder.looks = row.looks, folder.moveError = row.moveError;
        EXPECT_EQ(TakeOverLogFolder(folder, kTrusted), row.result) << row.what;
        EXPECT_EQ(folder.steps, row.steps) << row.what;
    }
}

// The program file, its folder, the folder above and the root, each as an
// administrator's install leaves it; each case changes one of them.
TEST(InstallLocation, RefusedWhenAnyoneButTheTrustedCouldChangeTheProgramOrSwapAFolderAboveIt) {
    const PathObject safe{false, false, SID_ADMINISTRATORS,
                          {{true, false, 0x1F01FF, SID_LOCAL_SYSTEM}, {true, false, 0x1200A9, "S-1-5-32-545"}}};
    const std::vector<std::string> trusted = {SID_LOCAL_SYSTEM, SID_ADMINISTRATORS, SID_TRUSTED_INSTALLER};
    const auto refused = [&](size_t at, PathObject object) {
        std::vector<PathObject> path(4, safe);
        path[at] = object;
        return OthersCanChange(path, trusted);
    };
    const auto granting = [&safe](uint32_t mask, bool allow = true, bool inheritOnly = false) {
        PathObject object = safe;
        object.entries.push_back({allow, inheritOnly, mask, "S-1-5-11"});
        return object;
    };
    // Each right by itself: writing or adding files matters at the program and
    // its folder; deleting, emptying, re-permissioning or taking it anywhere.
    const uint32_t write = 0x2 | 0x4 | 0x40000000, replace = 0x40 | 0x10000 | 0x40000 | 0x80000 | 0x10000000;
    for (size_t at = 0; at < 4; ++at)
        for (uint32_t bit = 1; bit; bit <<= 1)
            EXPECT_EQ(refused(at, granting(bit)), (bit & (at < 2 ? write | replace : replace)) != 0) << at << ' ' << bit;
    const struct { const char* what; size_t at; PathObject object; bool refused; } rows[] = {
        {"as installed", 0, safe, false},
        {"the root a user's", 3, {false, false, kUser, safe.entries}, true},
        {"no access list", 0, {false, true, SID_ADMINISTRATORS, {}}, true},
        {"the folder a link", 1, {true, false, SID_ADMINISTRATORS, safe.entries}, true},
        {"a write denied, not allowed", 0, granting(0x2, false), false},
        {"modify for what lies below the folder only", 1, granting(0x1301BF, true, true), false},
        {"TrustedInstaller's", 2, {false, false, SID_TRUSTED_INSTALLER, {{true, false, 0x1F01FF, SID_TRUSTED_INSTALLER}}}, false},
    };
    for (const auto& row : rows) EXPECT_EQ(refused(row.at, row.object), row.refused) << row.what;
    EXPECT_TRUE(OthersCanChange({}, trusted)) << "nothing read";
}

}  // namespace
