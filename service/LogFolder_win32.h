#pragma once
#include <cstdint>
#include <string>

// The service's log folder. Its DACL is protected: SYSTEM and the
// Administrators have full control, the service's own SID (NT SERVICE\Horalux)
// may modify, Users may read. A standard user may have made something at its
// name before: a junction, which would lead the ACL and the lines into a
// folder of the user's choosing, or a folder of their own, whose files stay
// theirs. What stands there is looked at through one handle that does not
// follow links; a link, a file, or a folder owned by anyone but SYSTEM, the
// Administrators, TrustedInstaller or the service is moved aside (to
// "Horalux.moved-<date>-<time>") and a new folder made.

// At install (as an administrator): the steps above; the folder that stays
// gets owner Administrators and the DACL through its handle, and the log
// files in it start afresh. False with the code; `movedTo` names the folder
// that was moved aside, if one was.
bool SecureLogFolder(const std::string& logPath, uint32_t& error, std::string& movedTo);

// In the service: the same steps, a new folder made with the service as its
// owner; true when a trusted folder is there.
bool TrustedLogFolder(const std::string& logPath);
