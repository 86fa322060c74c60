// Key paths from this exe's version information, and the settings table.
#include "settings/keys.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "settings/full_registry.h"
#include "version.h"

namespace {

std::string OwnPath() {
  char buf[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, buf, MAX_PATH);
  return buf;
}

TEST(Keys, PathsComeFromTheVersionResource) {
  // The test exe carries the program's version resource.
  EXPECT_EQ(vt::VersionString(OwnPath(), "CompanyName"), VT_COMPANY_NAME);
  EXPECT_EQ(vt::VersionString(OwnPath(), "ProductName"), "Vel-Tarrow");
  EXPECT_EQ(vt::ProductKey(), "Software\\Larkspur Lane Software\\Vel-Tarrow");
  EXPECT_EQ(vt::SettingsKey(), "Software\\Larkspur Lane Software\\Vel-Tarrow\\Settings");
  EXPECT_EQ(vt::ListKey(), "Software\\Larkspur Lane Software\\Vel-Tarrow\\List");
}

class Settings : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, vt::ProductKey().c_str()); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, vt::ProductKey().c_str()); }
};

TEST_F(Settings, FreshAccountReadsTheDefaults) {
  namespace s = vt::settings;
  struct Row {
    vt::Setting setting;
    const char* want;
  } rows[] = {
      {s::kTime, "2"},         {s::kCover, "True"},
      {s::kCloseNow, "False"}, {s::kStartWithWindows, "True"},
      {s::kClosed, "0"},
  };
  for (const Row& r : rows) EXPECT_EQ(vt::ReadSetting(r.setting), r.want) << r.setting.name;
}

TEST_F(Settings, WriteReadDeleteInTheSettingsKey) {
  const vt::Setting& closed = vt::settings::kClosed;
  EXPECT_TRUE(vt::WriteSetting(closed, "12"));
  // Where it landed, seen from outside the layer.
  EXPECT_EQ(
      vt::RegistryRead(HKEY_CURRENT_USER, "Software\\Larkspur Lane Software\\Vel-Tarrow\\Settings",
                       "Closed", ""),
      "12");
  EXPECT_EQ(vt::ReadSetting(closed), "12");
  EXPECT_TRUE(vt::DeleteSetting(closed));
  EXPECT_EQ(vt::ReadSetting(closed), "0") << "deleted: back to the default";
  EXPECT_FALSE(vt::DeleteSetting(vt::settings::kCloseNow)) << "nothing to delete";
}

}  // namespace
