// The registry layer against the real registry of the test prefix. Values
// the layer never writes itself are set up with raw Reg* calls.
#include "settings/full_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_watcher.h"

namespace {

constexpr char kScratch[] = "Software\\VtTest\\FullRegistry";

bool KeyExists(const std::string& path) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
    return false;
  RegCloseKey(k);
  return true;
}

struct Raw {
  bool found = false;
  DWORD type = 0;
  std::vector<unsigned char> bytes;
};

Raw RawRead(const std::string& path, const char* name) {
  Raw r;
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return r;
  DWORD size = 0;
  if (RegQueryValueExA(k, name, nullptr, &r.type, nullptr, &size) == ERROR_SUCCESS) {
    r.found = true;
    r.bytes.resize(size);
    RegQueryValueExA(k, name, nullptr, &r.type, r.bytes.data(), &size);
    r.bytes.resize(size);
  }
  RegCloseKey(k);
  return r;
}

void RawSet(const char* name, DWORD type, const void* data, DWORD size) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                            nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(k, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  RegCloseKey(k);
}

std::vector<unsigned char> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

class FullRegistry : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VtTest"); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VtTest"); }
};

TEST_F(FullRegistry, ReadsStoredBytesLessTheLast) {
  RawSet("sz", REG_SZ, "abc", 4);
  RawSet("nul only", REG_SZ, "", 1);
  RawSet("size 0", REG_SZ, "", 0);
  // Three bytes of "abcd": the platform adds no NUL when the next byte is none.
  RawSet("no nul", REG_SZ, "abcd", 3);
  const DWORD dword = 0x64636261;  // "abcd" in memory order
  RawSet("dword", REG_DWORD, &dword, sizeof dword);
  RawSet("binary", REG_BINARY, "xyz!", 4);
  RawSet(nullptr, REG_SZ, "unnamed", 8);

  struct Row {
    const char* name;
    const char* want;
    const char* reason;
  } rows[] = {
      {"sz", "abc", "text with its NUL"},
      {"nul only", "", "an empty string is stored text, not a missing value"},
      {"size 0", "DEF", "a value of size 0 gives the default"},
      {"no nul", "ab", "a REG_SZ stored without NUL loses its last character"},
      {"dword", "abc", "other types come back as raw bytes less the last"},
      {"binary", "xyz", "other types come back as raw bytes less the last"},
      {"missing", "DEF", "missing value gives the default"},
      {"*", "unnamed", "\"*\" is the key's default value"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(vt::RegistryRead(HKEY_CURRENT_USER, kScratch, r.name, "DEF"), r.want)
        << r.name << ": " << r.reason;
  }
}

TEST_F(FullRegistry, ReadOfMissingKeyLeavesNoKeyBehind) {
  const std::string path = std::string(kScratch) + "\\Not\\There";
  EXPECT_EQ(vt::RegistryRead(HKEY_CURRENT_USER, path, "x", "fallback"), "fallback");
  EXPECT_FALSE(KeyExists(path));
  EXPECT_FALSE(KeyExists("Software\\VtTest")) << "no part of the path may be created";
}

TEST_F(FullRegistry, WriteStoresRegSzWithItsNul) {
  struct Row {
    const char* name;
    std::string data;
    const char* reason;
  } rows[] = {
      {"empty", "", "one byte: the NUL alone"},
      {"count", "11", "three bytes, NUL counted"},
      {"ansi", "\xA0 caf\xE9 \\\\ //", "bytes of the ANSI code page survive"},
  };
  for (const Row& r : rows) {
    EXPECT_TRUE(vt::RegistryWrite(HKEY_CURRENT_USER, kScratch, r.name, r.data)) << r.reason;
    const Raw raw = RawRead(kScratch, r.name);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ)) << r.reason;
    std::vector<unsigned char> want = Bytes(r.data);
    want.push_back(0);
    EXPECT_EQ(raw.bytes, want) << r.reason;
    EXPECT_EQ(vt::RegistryRead(HKEY_CURRENT_USER, kScratch, r.name, "DEF"), r.data)
        << "reads back unchanged: " << r.reason;
  }
}

TEST_F(FullRegistry, WriteCreatesTheWholePath) {
  const std::string path = std::string(kScratch) + "\\A\\B\\C";
  EXPECT_TRUE(vt::RegistryWrite(HKEY_CURRENT_USER, path, "v", "deep"));
  EXPECT_EQ(RawRead(path, "v").bytes, Bytes(std::string("deep", 5)));
}

TEST_F(FullRegistry, StarWritesAndDeletesTheDefaultValue) {
  EXPECT_TRUE(vt::RegistryWrite(HKEY_CURRENT_USER, kScratch, "*", "unnamed"));
  EXPECT_EQ(RawRead(kScratch, nullptr).bytes, Bytes(std::string("unnamed", 8)));
  EXPECT_FALSE(RawRead(kScratch, "*").found) << "no value literally named \"*\"";
  EXPECT_TRUE(vt::RegistryDelete(HKEY_CURRENT_USER, kScratch, "*"));
  EXPECT_FALSE(RawRead(kScratch, nullptr).found);
}

TEST_F(FullRegistry, WriteFailsWhenTheKeyCannotBeMade) {
  EXPECT_FALSE(vt::RegistryWrite(reinterpret_cast<HKEY>(0x1234), "x", "v", "d"));
}

TEST_F(FullRegistry, DeleteValue) {
  ASSERT_TRUE(vt::RegistryWrite(HKEY_CURRENT_USER, kScratch, "gone", "1"));
  ASSERT_TRUE(vt::RegistryWrite(HKEY_CURRENT_USER, kScratch, "kept", "2"));

  vt::test::DialogWatcher box("Vel-Tarrow");
  EXPECT_TRUE(vt::RegistryDelete(HKEY_CURRENT_USER, kScratch, "gone"));
  EXPECT_FALSE(vt::RegistryDelete(HKEY_CURRENT_USER, kScratch, "gone")) << "already deleted";
  EXPECT_FALSE(vt::RegistryDelete(HKEY_CURRENT_USER, std::string(kScratch) + "\\Nope", "gone"))
      << "missing key";
  box.Stop();
  EXPECT_FALSE(box.Found()) << "a failed value delete says nothing";

  EXPECT_FALSE(RawRead(kScratch, "gone").found);
  EXPECT_TRUE(RawRead(kScratch, "kept").found) << "only the named value goes";
}

TEST_F(FullRegistry, EmptyNameDeletesTheLastKeyOfThePath) {
  const std::string parent = std::string(kScratch) + "\\Parent";
  ASSERT_TRUE(vt::RegistryWrite(HKEY_CURRENT_USER, parent + "\\Child", "v", "1"));
  EXPECT_TRUE(vt::RegistryDelete(HKEY_CURRENT_USER, parent + "\\Child", ""));
  EXPECT_FALSE(KeyExists(parent + "\\Child"));
  EXPECT_TRUE(KeyExists(parent)) << "the parent stays";
  EXPECT_FALSE(vt::RegistryDelete(HKEY_CURRENT_USER, parent + "\\Child", "")) << "already gone";
}

TEST_F(FullRegistry, KeyRightUnderTheRootIsGuarded) {
  constexpr char kTop[] = "VtGuardProbe";
  HKEY k = nullptr;
  ASSERT_EQ(
      RegCreateKeyExA(HKEY_CURRENT_USER, kTop, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
      ERROR_SUCCESS);
  RegCloseKey(k);

  vt::test::DialogWatcher box("Vel-Tarrow");
  EXPECT_TRUE(vt::RegistryDelete(HKEY_CURRENT_USER, kTop, ""));
  box.Wait();
  EXPECT_TRUE(box.Found());
  EXPECT_EQ(box.Text(), "Carefull You don't want to delete that!");
  EXPECT_EQ(box.Buttons(), std::vector<std::string>{"OK"});
  EXPECT_FALSE(box.HasIcon());
  EXPECT_TRUE(box.StrayTitles().empty());
  EXPECT_TRUE(KeyExists(kTop)) << "the guard deletes nothing";
  RegDeleteKeyA(HKEY_CURRENT_USER, kTop);
}

}  // namespace
