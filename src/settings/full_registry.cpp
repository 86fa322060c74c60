#include "settings/full_registry.h"

#include "handle.h"
#include "version.h"

namespace vt {
namespace {

// "*" reaches the platform as a null name: the key's default value.
const char* PlatformName(const std::string& valueName) {
  return valueName == kDefaultValueName ? nullptr : valueName.c_str();
}

}  // namespace

std::string RegistryRead(HKEY root, const std::string& keyPath, const std::string& valueName,
                         const std::string& defaultValue) {
  UniqueHKey key;
  // Full access even for reads: the stored layout has always been opened so.
  if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) {
    return defaultValue;
  }
  const char* name = PlatformName(valueName);
  DWORD type = 0;  // ignored: any type is read as raw bytes
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      size == 0) {
    return defaultValue;
  }
  std::string buffer(size, '\0');
  DWORD got = size;
  if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                       &got) != ERROR_SUCCESS) {
    return defaultValue;
  }
  // The size of the first query counts; its last byte is the terminator.
  buffer.resize(size - 1);
  return buffer;
}

bool RegistryWrite(HKEY root, const std::string& keyPath, const std::string& valueName,
                   const std::string& data) {
  UniqueHKey key;
  DWORD disposition = 0;  // created or opened: both are fine
  if (RegCreateKeyExA(root, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, key.put(), &disposition) != ERROR_SUCCESS) {
    return false;
  }
  // c_str() supplies the NUL; it is part of the stored size.
  const DWORD size = static_cast<DWORD>(data.size() + 1);
  return RegSetValueExA(key.get(), PlatformName(valueName), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(data.c_str()), size) == ERROR_SUCCESS;
}

bool RegistryDelete(HKEY root, const std::string& keyPath, const std::string& valueName) {
  UniqueHKey key;
  if (!valueName.empty()) {
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) {
      return false;
    }
    return RegDeleteValueA(key.get(), PlatformName(valueName)) == ERROR_SUCCESS;
  }

  const std::string::size_type slash = keyPath.rfind('\\');
  if (slash == std::string::npos) {
    // A key right under the root (all of Software, say) is never ours to drop.
    MessageBoxA(nullptr, "Carefull You don't want to delete that!", VT_PRODUCT_NAME, MB_OK);
    return true;
  }
  const std::string parent = keyPath.substr(0, slash);
  const std::string child = keyPath.substr(slash + 1);
  if (RegOpenKeyExA(root, parent.c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) {
    return false;
  }
  return RegDeleteKeyA(key.get(), child.c_str()) == ERROR_SUCCESS;
}

int RegistryValueCount(HKEY root, const std::string& keyPath) {
  UniqueHKey key;
  DWORD values = 0;
  if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS ||
      RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                       nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return 0;
  }
  return static_cast<int>(values);
}

}  // namespace vt
