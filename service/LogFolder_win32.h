#pragma once
#include <cstdint>
#include <string>

// The service's log folder. Its DACL is protected: SYSTEM and the
// Administrators have full control, LocalService (the service's account)
// may modify, Users may read. A folder that a standard user made before the
// service existed would be that user's to fill with links and files, so:

// At install (as an administrator): creates the folder, or takes an existing
// one over (owner Administrators, the DACL above). False with the code.
bool SecureLogFolder(const std::string& folder, uint32_t& error);

// In the service: creates a missing folder with the DACL above; true when
// the folder is there and owned by SYSTEM, the Administrators or the
// service's own account, so that no standard user can steer what it holds.
bool TrustedLogFolder(const std::string& folder);
