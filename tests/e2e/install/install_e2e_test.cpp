// The real installer under Wine, as a user meets it: a silent install and the
// program's first start, the update offer's road to a newer installer and its
// wizard, that installer again silently over a running copy, and a silent
// uninstall, each time with the program running.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "dialog_watcher.h"
#include "e2e_support.h"
#include "loopback_server.h"

namespace vt::e2e {
namespace {

constexpr int kIdmAbout = 1005, kAboutCheck = 102;
constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vel-Tarrow";

std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> FilesIn(const std::string& dir) {
  std::set<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &fd)) {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(fd.cFileName);
  }
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
  return names;
}

DWORD RunToEnd(const std::string& commandLine) {
  Process p(commandLine);
  p.WaitExit(120000);
  return p.ExitCode();
}

// Every value under the product key, as "reg export" writes it.
std::string Settings() {
  const std::string file = TempPath("vt_install_settings.reg");
  DeleteFileA(file.c_str());
  const std::string key = Quoted("HKCU\\" + std::string(kProductKey));
  EXPECT_EQ(RunToEnd("reg export " + key + " " + Quoted(file)), 0u) << "the settings are there";
  std::string text = FileBytes(file);
  std::erase(text, '\0');  // UTF-16 of ASCII names and values: readable in a failure
  return text;
}

// A running Vel-Tarrow whose start-up is complete, whoever started it.
struct Running {
  HWND main = nullptr;
  std::string image;
  std::shared_ptr<void> process;
  bool Gone(DWORD ms) const { return WaitForSingleObject(process.get(), ms) == WAIT_OBJECT_0; }
};

std::optional<Running> FindProgram(milliseconds wait = seconds(30)) {
  std::optional<Running> r;
  WaitFor(
      [&] {
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "VelTarrowMain", "Vel-Tarrow"));) {
          HWND bar = FindWindowExA(w, nullptr, "msctls_statusbar32", nullptr);
          if (!bar || TextOf(bar).rfind("Total POP-UP", 0) != 0) continue;
          DWORD pid = 0, size = MAX_PATH;
          GetWindowThreadProcessId(w, &pid);
          std::shared_ptr<void> h(
              OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid),
              CloseHandle);
          if (!h || WaitForSingleObject(h.get(), 0) != WAIT_TIMEOUT) continue;  // a dead one's
          r = Running{w, std::string(MAX_PATH, '\0'), h};
          r->image.resize(QueryFullProcessImageNameA(h.get(), 0, r->image.data(), &size) ? size
                                                                                         : 0);
          return true;
        }
        return false;
      },
      wait);
  return r;
}

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(setup_.empty());
    Clean();
  }
  void TearDown() override { Clean(); }

  // Nothing of ours: no program running, no files, no keys.
  void Clean() {
    while (auto r = FindProgram(milliseconds(0))) {
      PostMessageA(r->main, WM_COMMAND, kIdmExit, 0);
      if (!r->Gone(10000)) TerminateProcess(r->process.get(), 9);
    }
    for (const std::string& f : FilesIn(dir_)) DeleteFileA((dir_ + "\\" + f).c_str());
    RemoveDirectoryA(dir_.c_str());
    DeleteFileA(shortcut_.c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, kUninstallKey);
    ResetSettings();
  }

  // The program started from the installed file.
  std::optional<Running> Started() {
    auto r = FindProgram();
    EXPECT_TRUE(r && lstrcmpiA(r->image.c_str(), exe_.c_str()) == 0) << (r ? r->image : "none");
    return r;
  }

  const std::string setup_ = Env("VT_SETUP"), next_ = Env("VT_VERSION_NEXT");
  const std::string dir_ = Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Vel-Tarrow",
                    exe_ = dir_ + "\\Vel-Tarrow.exe", uninstaller_ = dir_ + "\\Uninstall.exe",
                    shortcut_ = Folder(CSIDL_PROGRAMS) + "\\Vel-Tarrow.lnk";
};

TEST_F(InstallTest, InstallUpgradesAndUninstallAsAUserMeetsThem) {
  ASSERT_EQ(RunToEnd(Quoted(setup_) + " /S"), 0u);
  EXPECT_EQ(FilesIn(dir_), (std::set<std::string>{"LICENSE.txt", "Uninstall.exe",
                                                  "Vel-Tarrow-Help.htm", "Vel-Tarrow.exe"}));
  EXPECT_TRUE(FileBytes(exe_) == FileBytes(App::ExePath())) << "the exe that was built";
  EXPECT_NE(FileBytes(shortcut_).find(exe_ + '\0'), std::string::npos)
      << "the Start menu shortcut starts the installed exe";
  const std::pair<const char*, std::string> rows[] = {
      {"DisplayName", "Vel-Tarrow"},
      {"DisplayVersion", Env("VT_VERSION")},
      {"Publisher", "Larkspur Lane Software"},
      {"DisplayIcon", exe_ + ",0"},
      {"InstallLocation", dir_},
      {"UninstallString", Quoted(uninstaller_)},
      {"QuietUninstallString", Quoted(uninstaller_) + " /S"},
  };
  for (const auto& [name, value] : rows) EXPECT_EQ(ReadValue(kUninstallKey, name), value) << name;
  DWORD type = 0;
  const auto size = RawValue(HKEY_CURRENT_USER, kUninstallKey, "EstimatedSize", &type);
  EXPECT_TRUE(type == REG_DWORD && size->size() == 4 &&
              *reinterpret_cast<const DWORD*>(size->data()) >= FileBytes(exe_).size() / 1024)
      << "the size in KB covers the exe";
  // Started at the end; its first start writes its settings and the Run value.
  auto running = Started();
  ASSERT_TRUE(running);
  EXPECT_EQ(ReadValue(kRunKey, "Vel-Tarrow"), Quoted(exe_));

  // The update offer's road: the newer installer on a loopback server.
  const std::string nextSetup = Env("VT_SETUP_NEXT").substr(2);
  LoopbackServer server;
  ASSERT_TRUE(server.ok());
  server.Serve("/setup.exe", {.bodyFile = nextSetup});
  server.Serve("/update.txt",
               {.body = "version=" + next_ + "\nurl=" + server.Url("/setup.exe") +
                        "\nsize=" + std::to_string(FileBytes(nextSetup).size()) +
                        "\nsha256=" + FileBytes(nextSetup + ".sha256").substr(0, 64)});
  WriteValue(kSettingsKey, "UpdateURL", server.Url("/update.txt"));
  WriteValue(kSettingsKey, "Unknown", "a value the program does not know");
  const std::string before = Settings();
  // About, "Check for Updates...", Yes to the offer.
  PostMessageA(running->main, WM_COMMAND, kIdmAbout, 0);
  HWND about = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (about = VisibleWindow("VelTarrowAbout")) != nullptr; }));
  DialogWatcher offer("Vel-Tarrow", {}, IDYES, 20000);
  PostMessageA(about, WM_COMMAND, kAboutCheck, 0);
  offer.Wait();
  ASSERT_TRUE(offer.found);
  EXPECT_TRUE(running->Gone(60000)) << "verified, setup started, program ended";
  // The default button throughout: Next, I Agree, Install, then Finish with
  // "Start Vel-Tarrow now" ticked.
  HWND wizard = nullptr;
  ASSERT_TRUE(
      WaitFor([&] { return IsWindowVisible(wizard = FindWindowA("#32770", "Vel-Tarrow Setup")); },
              seconds(30)));
  EXPECT_TRUE(WaitFor(
      [&] {
        HWND button = GetDlgItem(wizard, IDOK);
        if (IsWindowVisible(button) && IsWindowEnabled(button))
          SendMessageA(button, BM_CLICK, 0, 0);
        return !IsWindow(wizard);
      },
      seconds(90)));
  EXPECT_TRUE(running = Started()) << "the newer version runs";
  EXPECT_TRUE(FileBytes(exe_) == FileBytes(Env("VT_EXE_VT_NEXT_VERSION")));
  EXPECT_EQ(ReadValue(kUninstallKey, "DisplayVersion"), next_);
  EXPECT_TRUE(FileBytes(dir_ + "\\Vel-Tarrow-Setup-" + next_ + ".exe") == FileBytes(nextSetup))
      << "the download sits beside the program";
  EXPECT_EQ(Settings(), before) << "settings and close list untouched";

  // The newer installer again, silently, over the running copy.
  ASSERT_TRUE(running);
  ASSERT_EQ(RunToEnd(Quoted(Env("VT_SETUP_NEXT")) + " /S /NORUN"), 0u);
  EXPECT_TRUE(running->Gone(0)) << "the installer waits until the running copy has gone";
  EXPECT_FALSE(FindProgram(seconds(3))) << "/NORUN";
  EXPECT_EQ(Settings(), before) << "no exit request left";

  // As the installed-programs list runs it, over a running copy; it goes on
  // from a copy of itself and removes the folder, with the download, last.
  Process again(Quoted(exe_));
  ASSERT_TRUE(running = FindProgram());
  ASSERT_EQ(RunToEnd(ReadValue(kUninstallKey, "QuietUninstallString").value_or("")), 0u);
  EXPECT_TRUE(WaitFor([&] { return GetFileAttributesA(dir_.c_str()) == INVALID_FILE_ATTRIBUTES; },
                      seconds(60)))
      << FilesIn(dir_).size() << " files left";
  EXPECT_TRUE(running->Gone(0)) << "the running copy was ended first";
  EXPECT_EQ(GetFileAttributesA(shortcut_.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(KeyExists(kUninstallKey));
  EXPECT_FALSE(ReadValue(kRunKey, "Vel-Tarrow")) << "no start with Windows of a removed program";
  EXPECT_EQ(Settings(), before) << "silent mode keeps the settings as they were";
}

}  // namespace
}  // namespace vt::e2e
