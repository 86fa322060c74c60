// The MSI under Wine's msiexec, as an administrator deploys it: a silent
// install into Program Files, the program started from there with the About
// box of a managed copy, a newer MSI over a running copy, and a silent
// uninstall that leaves every user's settings.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "install_support.h"

namespace vt::e2e {
namespace {

constexpr char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kPolicyKey[] = "Software\\Policies\\Larkspur Lane Software\\Vel-Tarrow";

std::optional<std::string> MachineValue(const std::string& key, const char* name) {
  auto v = RawValue(HKEY_LOCAL_MACHINE, key, name);
  if (v && !v->empty() && v->back() == '\0') v->pop_back();
  return v;
}

// The installed-programs entries named Vel-Tarrow (the MSI's are named by product code).
std::vector<std::string> Entries() {
  std::vector<std::string> found;
  HKEY root = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallRoot, 0, KEY_READ, &root) != ERROR_SUCCESS)
    return found;
  char name[256];
  for (DWORD i = 0, n = sizeof name; RegEnumKeyExA(root, i, name, &n, nullptr, nullptr, nullptr,
                                                   nullptr) == ERROR_SUCCESS;
       ++i, n = sizeof name) {
    const std::string key = std::string(kUninstallRoot) + "\\" + name;
    if (MachineValue(key, "DisplayName") == "Vel-Tarrow") found.push_back(key);
  }
  RegCloseKey(root);
  return found;
}

class MsiTest : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }

  void Clean() {
    while (auto r = FindProgram(milliseconds(0))) {
      PostMessageA(r->main, WM_COMMAND, kIdmExit, 0);
      if (!r->Gone(10000)) TerminateProcess(r->process.get(), 9);
    }
    for (const std::string& msi : {msi_, next_}) RunToEnd("msiexec /x " + Quoted(msi) + " /qn");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPolicyKey);
    ResetSettings();
  }

  // Windows Installer puts a per-machine shortcut into the all-users Start
  // menu; Wine's msiexec into the installing user's.
  static std::vector<std::string> Shortcuts() {
    std::vector<std::string> found;
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
      const std::string path = Folder(csidl) + "\\Vel-Tarrow.lnk";
      if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) found.push_back(path);
    }
    return found;
  }

  // The status line of the program's About box, opened afresh; empty while
  // the update button shows.
  static std::string AboutStatus(HWND main) {
    if (HWND open = FindWindowA("VelTarrowAbout", nullptr)) SendMessageA(open, WM_CLOSE, 0, 0);
    PostMessageA(main, WM_COMMAND, kIdmAbout, 0);
    HWND about = nullptr;
    if (!WaitFor([&] { return (about = VisibleWindow("VelTarrowAbout")) != nullptr; }))
      return "no About box";
    const bool button = IsWindowVisible(GetDlgItem(about, kAboutCheck));
    const std::string status = TextOf(GetDlgItem(about, kAboutStatus));
    return button == status.empty() ? status : "button and status disagree: " + status;
  }

  const std::string msi_ = Env("VT_MSI"), next_ = Env("VT_MSI_NEXT");
  const std::string dir_ = Folder(CSIDL_PROGRAM_FILES) + "\\Vel-Tarrow",
                    exe_ = dir_ + "\\Vel-Tarrow.exe";
};

TEST_F(MsiTest, InstallsUpgradesOverARunningCopyAndUninstallsSilently) {
  ASSERT_EQ(RunToEnd("msiexec /i " + Quoted(msi_) + " /qn"), 0u);
  EXPECT_EQ(FilesIn(dir_),
            (std::set<std::string>{"LICENSE.txt", "Vel-Tarrow-Help.htm", "Vel-Tarrow.exe"}));
  const auto shortcuts = Shortcuts();
  ASSERT_EQ(shortcuts.size(), 1u);
  EXPECT_NE(FileBytes(shortcuts[0]).find(exe_ + '\0'), std::string::npos)
      << "the Start menu shortcut starts the installed exe";
  auto entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  const std::pair<const char*, std::string> rows[] = {
      {"DisplayVersion", Env("VT_VERSION")},
      {"Publisher", "Larkspur Lane Software"},
      {"DisplayIcon", exe_ + ",0"},
  };
  for (const auto& [name, value] : rows) EXPECT_EQ(MachineValue(entries[0], name), value) << name;

  // Started from Program Files it scans as ever; a self-update could not
  // replace its files, so none is offered, and the policy is read each time
  // the About box opens.
  Process start(Quoted(exe_));
  auto running = FindProgram();
  ASSERT_TRUE(running);
  Popups ad("\"Ad - Microsoft Internet Explorer\"");
  ASSERT_TRUE(ad.ok());
  EXPECT_TRUE(ad.process().WaitExit(20000)) << "closed by a scan";
  EXPECT_EQ(AboutStatus(running->main),
            "Updates are not offered: you cannot write to this program's folder.");
  const DWORD off = 1;
  RegSetKeyValueA(HKEY_LOCAL_MACHINE, kPolicyKey, "DisableUpdateCheck", REG_DWORD, &off,
                  sizeof off);
  EXPECT_EQ(AboutStatus(running->main), "Updates are managed by your administrator.");
  const std::string before = Settings();

  // The newer MSI asks the running copy to end, then replaces the older one.
  ASSERT_EQ(RunToEnd("msiexec /i " + Quoted(next_) + " /qn"), 0u);
  EXPECT_TRUE(running->Gone(0)) << "the running copy was ended first";
  EXPECT_TRUE(FileBytes(exe_) == FileBytes(Env("VT_EXE_VT_NEXT_VERSION")));
  entries = Entries();
  ASSERT_EQ(entries.size(), 1u) << "the older entry has gone";
  EXPECT_EQ(MachineValue(entries[0], "DisplayVersion"), Env("VT_VERSION_NEXT"));
  EXPECT_EQ(Settings(), before) << "no exit request left, settings kept";

  // Uninstalled over a running copy: the program goes, the settings stay.
  Process again(Quoted(exe_));
  ASSERT_TRUE(running = FindProgram());
  ASSERT_EQ(RunToEnd("msiexec /x " + Quoted(next_) + " /qn"), 0u);
  EXPECT_TRUE(running->Gone(0)) << "the running copy was ended first";
  EXPECT_EQ(GetFileAttributesA(dir_.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(Shortcuts().empty());
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(Settings(), before);
}

}  // namespace
}  // namespace vt::e2e
