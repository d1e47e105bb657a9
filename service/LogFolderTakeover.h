#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What one handle shows of whatever stands at the log folder's name: the
// thing itself, never where a link leads.
struct FolderLook {
    bool exists = false;
    bool directory = false;
    bool link = false;   // a junction or another reparse point
    std::string owner;   // its SID; empty when unknown
    uint32_t error = 0;  // it could not be opened (a missing one is no error)
};

// The platform's steps; each acts on the object the last Look opened.
class LogFolderSteps {
public:
    virtual ~LogFolderSteps() = default;
    virtual FolderLook Look() = 0;
    virtual uint32_t Create() = 0;      // 0 also when someone else made it meanwhile
    virtual uint32_t MoveAside() = 0;   // renamed beside the folder, links and all
    virtual uint32_t Secure() = 0;
};

// A folder someone else keeps replacing is given up on with this code
// (ERROR_ALREADY_EXISTS).
constexpr uint32_t kFolderKeptChanging = 183;

// Makes the log folder one that only `trusted` owners shaped: a missing one is
// created; a link, a file, or a folder of any other owner is moved aside and
// a new one made in its place; the folder that passes is secured. 0, or the
// system's error code.
uint32_t TakeOverLogFolder(LogFolderSteps& steps, const std::vector<std::string>& trusted);
