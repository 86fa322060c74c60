// The real installer under Wine, as a user runs it: a silent install and the
// program's first start, an upgrade by a newer installer over a running copy,
// and a silent uninstall.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

#include "about/verify.h"
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

struct Installed {
  std::string dir = Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Vel-Tarrow";
  std::string exe = dir + "\\Vel-Tarrow.exe";
  std::string uninstaller = dir + "\\Uninstall.exe";
  std::string shortcut = Folder(CSIDL_PROGRAMS) + "\\Vel-Tarrow.lnk";
};

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

// "major.minor.revision" of a file's fixed version information.
std::string FileVersion(std::string path) {
  for (char& c : path) c = c == '/' ? '\\' : c;
  std::string info(GetFileVersionInfoSizeA(path.c_str(), nullptr), '\0');
  VS_FIXEDFILEINFO* f = nullptr;
  UINT size = 0;
  if (info.empty() || !GetFileVersionInfoA(path.c_str(), 0, DWORD(info.size()), info.data()) ||
      !VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&f), &size)) {
    return "";
  }
  return std::to_string(HIWORD(f->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(f->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(f->dwFileVersionLS));
}

// Every value under the product key and its subkeys, with its type, byte for byte.
using RegDump = std::map<std::string, std::string>;
void Dump(const std::string& key, const std::string& prefix, RegDump& out) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return;
  char name[16384];
  DWORD len = sizeof name, type = 0;
  for (DWORD i = 0; RegEnumValueA(k, i, name, &len, nullptr, &type, nullptr, nullptr) == 0; ++i) {
    out[prefix + name] =
        std::to_string(type) + ":" + RawValue(HKEY_CURRENT_USER, key, name).value_or("");
    len = sizeof name;
  }
  for (DWORD i = 0; len = sizeof name, RegEnumKeyExA(k, i, name, &len, 0, 0, 0, 0) == 0; ++i) {
    Dump(key + "\\" + name, prefix + name + "\\", out);
  }
  RegCloseKey(k);
}
RegDump Settings() {
  RegDump out;
  Dump(kProductKey, "", out);
  return out;
}

DWORD RunToEnd(const std::string& commandLine) {
  Process p(commandLine);
  p.WaitExit(120000);
  return p.ExitCode();
}

// A running Vel-Tarrow whose start-up is complete, whoever started it.
struct Running {
  HWND main = nullptr;
  std::string image;
  std::shared_ptr<void> process;
  bool Gone(DWORD ms) const { return WaitForSingleObject(process.get(), ms) == WAIT_OBJECT_0; }
};

std::optional<Running> FindProgram() {
  for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "VelTarrowMain", "Vel-Tarrow"));) {
    HWND bar = FindWindowExA(w, nullptr, "msctls_statusbar32", nullptr);
    if (!bar || TextOf(bar).rfind("Total POP-UP", 0) != 0) continue;
    DWORD pid = 0, size = MAX_PATH;
    GetWindowThreadProcessId(w, &pid);
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid);
    if (!h) continue;
    Running r{w, std::string(MAX_PATH, '\0'), std::shared_ptr<void>(h, CloseHandle)};
    r.image.resize(QueryFullProcessImageNameA(h, 0, r.image.data(), &size) ? size : 0);
    return r;
  }
  return std::nullopt;
}

std::optional<Running> WaitForProgram() {
  std::optional<Running> found;
  WaitFor([&] { return (found = FindProgram()).has_value(); }, seconds(30));
  return found;
}

bool SamePath(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
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
    while (auto r = FindProgram()) {
      PostMessageA(r->main, WM_COMMAND, kIdmExit, 0);
      if (!r->Gone(10000)) TerminateProcess(r->process.get(), 9);
    }
    for (const std::string& f : FilesIn(at_.dir)) DeleteFileA((at_.dir + "\\" + f).c_str());
    RemoveDirectoryA(at_.dir.c_str());
    DeleteFileA(at_.shortcut.c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, kUninstallKey);
    ResetSettings();
  }

  const std::string setup_ = Env("VT_SETUP"), version_ = Env("VT_VERSION");
  const Installed at_;
};

TEST_F(InstallTest, SilentInstallPlacesEverythingAndStartsTheProgram) {
  EXPECT_EQ(FileVersion(setup_), version_) << "the installer's own version information";
  ASSERT_EQ(RunToEnd(Quoted(setup_) + " /S"), 0u);

  EXPECT_EQ(FilesIn(at_.dir), (std::set<std::string>{"LICENSE.txt", "Uninstall.exe",
                                                     "Vel-Tarrow-Help.htm", "Vel-Tarrow.exe"}));
  EXPECT_TRUE(FileBytes(at_.exe) == FileBytes(App::ExePath())) << "the exe that was built";
  EXPECT_NE(FileBytes(at_.shortcut).find(at_.exe + '\0'), std::string::npos)
      << "the Start menu shortcut starts the installed exe";

  struct Row {
    const char* name;
    std::string value;
    const char* why;
  } rows[] = {
      {"DisplayName", "Vel-Tarrow", "the name in the installed-programs list"},
      {"DisplayVersion", version_, "the version of the version header"},
      {"Publisher", "Larkspur Lane Software", "the company of the version information"},
      {"DisplayIcon", at_.exe + ",0", "the program's own icon"},
      {"InstallLocation", at_.dir, "where an upgrade goes"},
      {"UninstallString", Quoted(at_.uninstaller), "what Remove runs"},
      {"QuietUninstallString", Quoted(at_.uninstaller) + " /S", "silent removal"},
  };
  for (const Row& r : rows) EXPECT_EQ(ReadValue(kUninstallKey, r.name), r.value) << r.why;
  DWORD type = 0;
  const std::string size =
      RawValue(HKEY_CURRENT_USER, kUninstallKey, "EstimatedSize", &type).value_or("");
  ASSERT_TRUE(size.size() == 4 && type == REG_DWORD);
  EXPECT_GE(*reinterpret_cast<const DWORD*>(size.data()), FileBytes(at_.exe).size() / 1024)
      << "the size in KB covers the exe";

  // Started at the end, from the installed file; its first start writes its
  // settings and the Run value with the installed path.
  auto running = WaitForProgram();
  ASSERT_TRUE(running);
  EXPECT_TRUE(SamePath(running->image, at_.exe)) << running->image;
  EXPECT_EQ(ReadValue(kRunKey, "Vel-Tarrow"), Quoted(at_.exe));
  EXPECT_EQ(ReadValue(kSettingsKey, "Time"), "2");
  EXPECT_EQ(ReadValue(kListKey, "Count"), "11");
}

TEST_F(InstallTest, UpgradeOverARunningCopyEndsItKeepsTheSettingsAndStartsTheNewVersion) {
  ASSERT_EQ(RunToEnd(Quoted(setup_) + " /S /NORUN"), 0u);
  EXPECT_FALSE(WaitFor([] { return FindProgram().has_value(); }, seconds(3))) << "/NORUN";

  // A user's own settings, one value the program does not know among them.
  for (auto [name, value] : {std::pair{"Time", "7"},
                             {"Cover", "False"},
                             {"Closed", "42"},
                             {"MainTop", "1500"},
                             {"MainLeft", "1200"},
                             {"Unknown", "as is"}}) {
    WriteValue(kSettingsKey, name, value);
  }
  WriteValue(kListKey, "Count", "2");
  WriteValue(kListKey, "List1", "Win a * - Microsoft Internet Explorer");
  WriteValue(kListKey, "List2", "Survey ##");
  Process old(Quoted(at_.exe));
  ASSERT_TRUE(WaitForProgram());
  const RegDump before = Settings();

  ASSERT_EQ(RunToEnd(Quoted(Env("VT_SETUP_NEXT")) + " /S"), 0u);
  EXPECT_FALSE(old.Running()) << "the installer waits until the running copy has gone";
  EXPECT_EQ(FileVersion(at_.exe), Env("VT_VERSION_NEXT"));
  EXPECT_TRUE(FileBytes(at_.exe) == FileBytes(Env("VT_EXE_VT_NEXT_VERSION")));
  EXPECT_EQ(ReadValue(kUninstallKey, "DisplayVersion"), Env("VT_VERSION_NEXT"));

  auto running = WaitForProgram();
  ASSERT_TRUE(running) << "the new version starts";
  EXPECT_TRUE(SamePath(running->image, at_.exe)) << running->image;
  EXPECT_EQ(Settings(), before) << "settings and close list untouched, no exit request left";
}

TEST_F(InstallTest, SilentUninstallRemovesAllButTheSettings) {
  ASSERT_EQ(RunToEnd(Quoted(setup_) + " /S"), 0u);
  auto running = WaitForProgram();
  ASSERT_TRUE(running && ReadValue(kRunKey, "Vel-Tarrow"));
  std::ofstream(at_.dir + "\\Vel-Tarrow-Setup-9.9.9.exe") << "left by the update offer";
  const RegDump before = Settings();

  // As the installed-programs list runs it; the uninstaller goes on from a
  // copy of itself and removes the folder last.
  ASSERT_EQ(RunToEnd(ReadValue(kUninstallKey, "QuietUninstallString").value_or("")), 0u);
  EXPECT_TRUE(WaitFor(
      [&] { return GetFileAttributesA(at_.dir.c_str()) == INVALID_FILE_ATTRIBUTES; }, seconds(60)))
      << FilesIn(at_.dir).size() << " files left";
  EXPECT_TRUE(running->Gone(0)) << "the running copy was ended first";
  EXPECT_EQ(GetFileAttributesA(at_.shortcut.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(KeyExists(kUninstallKey));
  EXPECT_FALSE(ReadValue(kRunKey, "Vel-Tarrow")) << "no start with Windows of a removed program";
  EXPECT_EQ(Settings(), before) << "silent mode keeps the settings as they were";
}

TEST_F(InstallTest, UpdateOfferInstallsTheNewerVersion) {
  ASSERT_EQ(RunToEnd(Quoted(setup_) + " /S /NORUN"), 0u);
  // The release channel, on the loopback address: the newer installer.
  const std::string next = Env("VT_VERSION_NEXT"), nextSetup = Env("VT_SETUP_NEXT").substr(2);
  UniqueKernelHandle file(CreateFileA(nextSetup.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
  const auto digest = Sha256OfFile(file.get());
  ASSERT_TRUE(digest);
  std::string hex;
  for (auto b : *digest) hex += "0123456789abcdef"[b >> 4], hex += "0123456789abcdef"[b & 15];
  LoopbackServer server;
  ASSERT_TRUE(server.ok());
  server.Serve("/setup.exe", {.bodyFile = nextSetup});
  server.Serve("/update.txt", {.body = "version=" + next + "\nurl=" + server.Url("/setup.exe") +
                                       "\nsize=" + std::to_string(FileBytes(nextSetup).size()) +
                                       "\nsha256=" + hex + "\n"});
  WriteValue(kSettingsKey, "UpdateURL", server.Url("/update.txt"));

  // About, "Check for Updates...", Yes to the offer.
  Process old(Quoted(at_.exe));
  auto running = WaitForProgram();
  ASSERT_TRUE(running);
  PostMessageA(running->main, WM_COMMAND, kIdmAbout, 0);
  HWND about = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (about = VisibleWindow("VelTarrowAbout")) != nullptr; }));
  DialogWatcher offer("Vel-Tarrow", {}, IDYES, 20000);
  PostMessageA(about, WM_COMMAND, kAboutCheck, 0);
  offer.Wait();
  ASSERT_TRUE(offer.found);
  EXPECT_TRUE(old.WaitExit(60000)) << "verified, setup started, program ended";

  // The user goes through the wizard with the default button: Next, I Agree,
  // Install, then Finish with "Start Vel-Tarrow now" ticked.
  HWND wizard = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        wizard = FindWindowA("#32770", "Vel-Tarrow Setup");
        return wizard && IsWindowVisible(wizard);
      },
      seconds(30)));
  EXPECT_TRUE(WaitFor(
      [&] {
        HWND button = GetDlgItem(wizard, IDOK);
        if (IsWindowVisible(button) && IsWindowEnabled(button))
          SendMessageA(button, BM_CLICK, 0, 0);
        return !IsWindow(wizard);
      },
      seconds(90)));

  running = WaitForProgram();
  ASSERT_TRUE(running) << "the newer version runs";
  EXPECT_TRUE(SamePath(running->image, at_.exe)) << running->image;
  EXPECT_EQ(FileVersion(at_.exe), next);
  EXPECT_EQ(ReadValue(kUninstallKey, "DisplayVersion"), next);
  EXPECT_TRUE(FileBytes(at_.dir + "\\Vel-Tarrow-Setup-" + next + ".exe") == FileBytes(nextSetup))
      << "the download sits beside the program";
  EXPECT_EQ(ReadValue(kSettingsKey, "UpdateURL"), server.Url("/update.txt")) << "settings kept";
}

}  // namespace
}  // namespace vt::e2e
