#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "service/InstallLocation.h"
#include "window/Handles_win32.h"

// Opens what stands at path itself, never where a link leads; folders too.
KernelHandle OpenUnfollowed(const std::string& path, DWORD access, DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            DWORD disposition = OPEN_EXISTING, SECURITY_ATTRIBUTES* security = nullptr);

// The owner's SID ("S-1-5-32-544"); empty when it cannot be read.
std::string OwnerOf(HANDLE object);

// Owner, access list and whether it is a link.
PathObject ReadPathObject(HANDLE object);

// The program file, its folder and each folder above it up to the root: what
// OthersCanChange weighs.
std::vector<PathObject> ReadProgramPath(std::string at);

// A file with one name that is no link: one a user cannot have pointed at
// something else.
bool IsPlainFile(HANDLE file);

// Renames the object the handle holds to the full local path `to`; false
// with the error set.
bool RenameHeld(HANDLE object, const std::string& to, bool replace);

// Owners of files that nobody else shaped: SYSTEM, the Administrators,
// TrustedInstaller, and whoever owns the system folder: TrustedInstaller on
// Windows; under Wine, whose files carry no security of their own, the one
// user every file belongs to.
std::vector<std::string> MachineOwners();

// A security descriptor from its string form; null when it does not parse.
LocalMemory SecurityFromString(const std::string& sddl);
