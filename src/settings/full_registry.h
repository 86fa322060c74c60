// FullRegistry: the program's only road to its stored settings. Three
// stateless routines over string values; every call opens the key it needs
// and closes it again before returning.
#pragma once

#include <windows.h>

#include <string>

namespace vt {

// The value name that stands for a key's unnamed default value.
inline constexpr char kDefaultValueName[] = "*";

// The stored text of `valueName`, or `defaultValue` when the key or value is
// missing, the value is empty (size 0) or a query fails. The last stored byte
// (normally the terminating NUL) is dropped, whatever the value's type. The
// key is opened with full access but never created.
std::string RegistryRead(HKEY root, const std::string& keyPath, const std::string& valueName,
                         const std::string& defaultValue);

// Stores `data` as REG_SZ, its terminating NUL counted in the size, creating
// missing keys along the path. True when the value was stored.
bool RegistryWrite(HKEY root, const std::string& keyPath, const std::string& valueName,
                   const std::string& data);

// Deletes the value `valueName`; true when the platform did. An empty
// `valueName` deletes the key `keyPath` itself (it must have no subkeys),
// except a key directly under the root: that gets a warning box and is left
// alone, and the call still returns true.
bool RegistryDelete(HKEY root, const std::string& keyPath, const std::string& valueName);

// The number of values the key holds, 0 when it cannot be opened.
int RegistryValueCount(HKEY root, const std::string& keyPath);

}  // namespace vt
