// The registry layer, the key paths and the program's own path.
#include <gtest/gtest.h>

#include <tuple>

#include "dialog_watcher.h"
#include "settings/full_registry.h"
#include "settings/keys.h"
#include "test_support.h"

namespace {

using vt::test::KeyExists;
using vt::test::RawValue;
const HKEY kCu = HKEY_CURRENT_USER;
// A throwaway key of our own right under the root.
const std::string kTop = "VtTest", kKey = kTop + "\\Registry";

// Reads drop the last stored byte (the NUL); "*" is the default value.
TEST(Registry, ReadWriteDefaultValueAndTheDeletionGuard) {
  RegDeleteTreeA(kCu, kTop.c_str());
  // Stored as type and the first `size` bytes of `data`; no data: no value.
  const std::tuple<const char*, DWORD, const char*, DWORD, const char*, const char*> rows[] = {
      {"empty", REG_SZ, "", 1, "", "a stored empty text is no missing value"},
      {"size 0", REG_SZ, "", 0, "DEF", "a value of size 0 gives the default"},
      {"no nul", REG_SZ, "abcd", 3, "ab", "stored without NUL: the last character goes"},
      {"dword", REG_DWORD, "abcd", 4, "abc", "other types: the raw bytes less the last"},
      {"missing", REG_SZ, nullptr, 0, "DEF", "a missing value gives the default"},
  };
  for (auto [name, type, data, size, want, reason] : rows) {
    if (data) vt::test::WriteRaw(kKey, name, type, data, size);
    EXPECT_EQ(vt::RegistryRead(kCu, kKey, name, "DEF"), want) << name << ": " << reason;
  }
  EXPECT_EQ(vt::RegistryRead(kCu, kKey + "\\Not\\There", "x", "DEF"), "DEF");
  EXPECT_FALSE(KeyExists(kKey + "\\Not")) << "a read creates no key";
  for (const std::string text : {"", "11", "\xA0 caf\xE9 \\\\"}) {
    EXPECT_TRUE(vt::RegistryWrite(kCu, kKey + "\\A\\B", "v", text));
    DWORD type = 0;
    EXPECT_EQ(RawValue(kCu, kKey + "\\A\\B", "v", &type), text + '\0') << "1 byte for \"\"";
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  }
  EXPECT_TRUE(vt::RegistryWrite(kCu, kKey, "*", "dv"));
  EXPECT_EQ(RawValue(kCu, kKey, nullptr), std::string("dv", 3));
  EXPECT_EQ(vt::RegistryRead(kCu, kKey, "*", "DEF"), "dv");
  EXPECT_TRUE(vt::RegistryDelete(kCu, kKey, "*") && !RawValue(kCu, kKey, nullptr));
  // An empty name deletes the key itself, but never one right under the root.
  vt::test::DialogWatcher box("Vel-Tarrow");
  EXPECT_TRUE(vt::RegistryDelete(kCu, kTop, ""));
  box.Wait();
  EXPECT_EQ(box.text, "Carefull You don't want to delete that!");
  EXPECT_TRUE(box.buttons == std::vector<std::string>{"OK"} && !box.shownIcon && KeyExists(kKey));
  RegDeleteTreeA(kCu, kTop.c_str());
}

// Key paths from its version information; its path whole however short the buffer.
TEST(ProgramFile, GivesTheKeyPathsAndItsOwnPath) {
  const std::string probe = "Software\\Probe Works\\Key Probe";  // probe_version.rc
  EXPECT_EQ(vt::SettingsKey(), probe + "\\Settings");
  EXPECT_EQ(vt::ListKey(), probe + "\\List");
  char ansi[8192] = {};
  GetModuleFileNameA(nullptr, ansi, sizeof ansi);
  for (std::size_t first : {1, 8, 260}) EXPECT_EQ(vt::ProgramFilePath(first), ansi) << first;
}

}  // namespace
