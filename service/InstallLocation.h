#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One entry of an object's access list.
struct AccessEntry {
    bool allow = true;         // deny entries are not weighed: refusing is the safe side
    bool inheritOnly = false;  // for what lies below, not for the object itself
    uint32_t mask = 0;
    std::string sid;
};

// What the install reads of one object on the program's path.
struct PathObject {
    bool link = false;      // a reparse point leads where its owner chooses
    bool noDacl = false;    // no access list: everyone may do everything
    std::string owner;      // its SID; empty when unknown. An owner may always re-permission.
    std::vector<AccessEntry> entries;
};

// True when an account outside `trusted` could change what the service runs.
// `path` holds the program file, its folder, then each folder above up to the
// root. The file and its folder must not be writable (nor files added beside
// the program, nor it deleted or re-permissioned) by anyone else; a folder
// above must not be deletable, renamable or re-permissioned, nor what it
// holds deletable, since the program's folder could be swapped that way.
bool OthersCanChange(const std::vector<PathObject>& path, const std::vector<std::string>& trusted);
