#include "about/update_policy.h"

#include <windows.h>
#include <shlobj.h>

#include <optional>

#include "about/update_fetch.h"
#include "settings/keys.h"

namespace vt {
namespace {

// With its NUL: longer than any address an administrator means, so a larger
// value is garbage.
constexpr DWORD kMaxUrlBytes = 2048;

// Only a value of the expected type counts; anything else is as if missing.
std::optional<DWORD> PolicyDword(const char* name) {
  DWORD value = 0, bytes = sizeof value;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, kPolicyKey, name, RRF_RT_REG_DWORD, nullptr, &value,
                   &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::string> PolicyString(const char* name) {
  char text[kMaxUrlBytes];
  DWORD bytes = sizeof text;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, kPolicyKey, name, RRF_RT_REG_SZ, nullptr, text, &bytes) !=
          ERROR_SUCCESS ||
      text[0] == '\0') {
    return std::nullopt;  // missing, another type, empty, or too long
  }
  return std::string(text);
}

bool Under(const std::string& path, int csidl) {
  char root[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, root)) || !*root)
    return false;
  const std::string prefix = std::string(root) + "\\";
  return path.size() >= prefix.size() &&
         CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path.data(),
                        static_cast<int>(prefix.size()), prefix.data(),
                        static_cast<int>(prefix.size())) == CSTR_EQUAL;
}

}  // namespace

bool FolderWritable(const std::string& folder) {
  // An administrator's install: even an elevated user should not change it.
  const std::string inside = folder + "\\";
  if (Under(inside, CSIDL_PROGRAM_FILES) || Under(inside, CSIDL_PROGRAM_FILESX86)) return false;
  const std::string probe = folder + "\\~vt-write-" + std::to_string(GetCurrentProcessId());
  HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
  CloseHandle(h);
  return true;
}

UpdatePolicy ReadUpdatePolicy() {
  const auto channel =
      OfferedUpdateChannel(PolicyString("UpdateURL").value_or(ReadSetting(settings::kUpdateUrl)));
  if (!channel) return {false, {}, {}};  // this build has no channel to check
  if (PolicyDword("DisableUpdateCheck").value_or(0) != 0) return {false, kManagedText, {}};
  const std::string exe = ProgramFilePath();
  if (!FolderWritable(exe.substr(0, exe.find_last_of('\\')))) {
    return {false, kReadOnlyFolderText, {}};
  }
  return {true, {}, *channel};
}

}  // namespace vt
