// Whether the About box offers the update check, and from which address:
// a build without an update channel never does; then the administrator's
// policy values decide, then where the program runs from, then the user's
// own setting.
#pragma once

#include <string>

#include "about/manifest.h"

namespace vt {

// HKEY_LOCAL_MACHINE; the values DisableUpdateCheck (REG_DWORD, not 0: no
// check) and UpdateURL (REG_SZ, before the user's own UpdateURL).
inline constexpr char kPolicyKey[] = "Software\\Policies\\Larkspur Lane Software\\Vel-Tarrow";
inline constexpr char kManagedText[] = "Updates are managed by your administrator.";
inline constexpr char kReadOnlyFolderText[] =
    "Updates are not offered: you cannot write to this program's folder.";

struct UpdatePolicy {
  bool offered = true;
  std::string reason;    // why not, for the About box; empty when offered or unbuilt
  UpdateChannel channel;  // the address is still to be held to the address rule
};

// Reads the policy values and the setting afresh on every call.
UpdatePolicy ReadUpdatePolicy();

// False under the Program Files folders, or when no file can be made in `folder`:
// a setup file could not be saved there.
bool FolderWritable(const std::string& folder);

}  // namespace vt
