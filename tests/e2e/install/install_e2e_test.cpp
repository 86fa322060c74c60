// The installer and the MSI under Wine, from install through the About box's
// update offer and upgrades over a running copy to a silent uninstall.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

#include "dialog_watcher.h"
#include "e2e_support.h"
#include "https_support.h"
#include "loopback_server.h"

namespace vt::e2e {
namespace {

constexpr int kIdmAbout = 1005, kAboutCheck = 102, kAboutStatus = 103;
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
  std::error_code none;
  for (const auto& f : std::filesystem::directory_iterator(dir, none))
    if (f.is_regular_file()) names.insert(f.path().filename().string());
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
  const std::string key = Quoted("HKCU\\" + std::string(kProductKey));
  EXPECT_EQ(RunToEnd("reg export " + key + " " + Quoted(file) + " /y"), 0u)
      << "the settings are there";
  std::string text = FileBytes(file);
  std::erase(text, '\0');  // UTF-16 of ASCII names and values: readable in a failure
  return text;
}

// A running Vel-Tarrow whose start-up is complete, whoever started it.
struct Running {
  HWND main = nullptr;
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
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          std::shared_ptr<void> h(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid),
                                  CloseHandle);
          if (!h || WaitForSingleObject(h.get(), 0) != WAIT_TIMEOUT) continue;  // a dead one's
          r = Running{w, h};
          return true;
        }
        return false;
      },
      wait);
  return r;
}

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }

  // Nothing of ours: no program running, no files, no keys.
  void Clean() {
    while (auto r = FindProgram(milliseconds(0))) {
      PostMessageA(r->main, WM_COMMAND, kIdmExit, 0);
      if (!r->Gone(10000)) TerminateProcess(r->process.get(), 9);
    }
    for (const char* msi : {"VT_MSI", "VT_MSI_NEXT"})
      RunToEnd("msiexec /x " + Quoted(Env(msi)) + " /qn");
    RunToEnd("cmd /c rmdir /s /q " + Quoted(dir_));
    DeleteFileA(shortcut_.c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, kUninstallKey);
    ResetSettings();
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
  DWORD kb = 0, bytes = sizeof kb;
  RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, "EstimatedSize", RRF_RT_REG_DWORD, nullptr, &kb,
               &bytes);
  EXPECT_GE(kb, FileBytes(exe_).size() / 1024) << "the size in KB covers the exe";
  // Started at the end; its first start writes its settings and the Run value.
  auto running = FindProgram();
  ASSERT_TRUE(running);
  EXPECT_EQ(ReadValue(kRunKey, "Vel-Tarrow"), Quoted(exe_));

  // The installed program's update offer: signed manifests over https from a loopback server.
  LoopbackServer server;
  ASSERT_TRUE(server.ok());
  const auto https = HttpsFront(server.port());
  ASSERT_EQ(https.size(), 5u) << "the TLS front runs";
  const std::string base = https.at("good"), update = base + "/update.txt";
  WriteValue(kSettingsKey, "UpdateURL", update);
  WriteValue(kSettingsKey, "Unknown", "a value the program does not know");
  const std::string before = Settings(), version = Env("VT_VERSION");
  PostMessageA(running->main, WM_COMMAND, kIdmAbout, 0);
  HWND about = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (about = VisibleWindow("VelTarrowAbout")) != nullptr; }));
  std::string texts;
  for (HWND c = GetWindow(about, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    texts += TextOf(c) + "|";
  EXPECT_EQ(texts, "|Vel-Tarrow|Version " + version +
                       "|Closes pop-up windows by their titles.|"
                       "Copyright (C) 2026 Larkspur Lane Software||&Help|Check for Updates...|OK|");
  SendMessageA(running->main, WM_COMMAND, kIdmAbout, 0);
  EXPECT_EQ(FindWindowA("VelTarrowAbout", nullptr), about) << "one box only";
  const HWND button = GetDlgItem(about, kAboutCheck);
  const std::string rest = "\nsize=14\nsha256=" + std::string(64, 'a') + "\n",
                    tail = "\nurl=" + base + "/s.exe" + rest, newer = "version=9.0.0" + tail,
                    signedNewer = Signed(newer);
  // A slow reply: the box answers meanwhile; Escape closes it and abandons the check.
  server.Serve("/update.txt", {.body = signedNewer, .headerDelayMs = 1000});
  PostMessageA(about, WM_COMMAND, kAboutCheck, 0);
  EXPECT_TRUE(WaitFor(
      [&] { return TextOf(GetDlgItem(about, kAboutStatus)) == "Checking for updates..."; }));
  EXPECT_FALSE(IsWindowEnabled(button));
  DialogWatcher none("Vel-Tarrow", {}, IDOK, 4000);
  PostMessageA(GetDlgItem(about, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
  none.Wait();
  EXPECT_FALSE(IsWindowVisible(about)) << "Escape closes it";
  EXPECT_FALSE(none.found) << "an abandoned check says nothing";

  // Clicks the button and answers the box: its text, or after Yes the download's box's.
  auto check = [&](HttpReply manifest, int answer = IDOK) {
    server.Serve("/update.txt", std::move(manifest));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(button) != FALSE; }, seconds(30)));
    DialogWatcher box("Vel-Tarrow", {}, answer, 30000);
    PostMessageA(about, WM_COMMAND, kAboutCheck, 0);
    box.Wait();
    if (answer != IDYES) return box.text;
    WaitFor([] { return !IsWindowVisible(FindWindowA("#32770", "Vel-Tarrow")); });
    DialogWatcher result("Vel-Tarrow", {}, IDOK, 30000);
    result.Wait();
    return result.text;
  };
  // The setup: none, then the right size but not the hash; slow enough to tell boxes apart.
  server.ServeInTurn("/s.exe", {{.status = 404, .headerDelayMs = 500},
                                {.body = "MZ setup bytez", .headerDelayMs = 500}});
  const auto redirect = [](int status, const std::string& to) {
    return HttpReply{.status = status, .extraHeaders = {"Location: " + to}};
  };
  server.Serve("/r.exe", redirect(302, server.Url("/s.exe")));
  DialogWatcher notFound("File Not Found", {}, IDOK, 120000);  // the download's own boxes
  DialogWatcher refused("Redirect Refused", {}, IDOK, 120000);
  const std::string bad = "The update information could not be read.",
                    unreadable = "The update information could not be read: ",
                    unverified = "The update information could not be verified.",
                    same = "Vel-Tarrow is up to date (Version " + version + ").";
  std::string changed = signedNewer;
  changed[changed.find("9.0.0")] = '8';
  const std::tuple<HttpReply, int, std::string, const char*> checks[] = {
      {{.body = Signed("version=" + version + tail)}, IDOK, same, "the same version"},
      {{.body = Signed("version=0.9.99" + tail)}, IDOK, same, "an older version is never offered"},
      {{.body = signedNewer + "#" + std::string(4096, 'x')}, IDOK, bad, "too large: not cut short"},
      {{.body = newer}, IDOK, unverified, "unsigned"},
      {{.body = Signed(newer, true)}, IDOK, unverified, "signed by another key"},
      {{.body = changed}, IDOK, unverified, "a byte changed after signing"},
      {{.body = Signed("version=9.0.0\nurl=" + base + "/" + std::string(3500, 'a') + rest)},
       IDOK,
       unreadable + "the setup file's address is longer than 2048 characters.",
       "too long"},
      {redirect(302, server.Url("/n")), IDOK,
       unreadable + "it was redirected to " + server.Url("/n") +
           ", whose address must stay on https.",
       "https to http"},
      {redirect(301, "/update.txt"), IDOK,
       unreadable + "it was redirected to " + update +
           ", whose address is past the limit of 5 "
           "redirects.",
       "a redirect loop"},
      {{.status = 404, .body = signedNewer}, IDOK, bad, "not found"},
      {{.body = signedNewer, .headerDelayMs = 60000}, IDOK, bad, "a silent server: the time-out"},
      {{.body = Signed(newer + "note=Fixes the tray icon.\n")},
       IDNO,
       "Version 9.0.0 of Vel-Tarrow is available; you have Version " + version +
           ".\n\nFixes the tray icon.\n\nDownload and install it now?",
       "No"},
      {{.body = signedNewer}, IDYES, "Downloading the update failed.", "no file"},
      {{.body = signedNewer},
       IDYES,
       "The downloaded update was damaged and has been deleted. Nothing was installed.",
       "the size, not the hash"},
      {{.body = Signed("version=9.0.0\nurl=" + base + "/r.exe" + rest)},
       IDYES,
       "Downloading the update failed.",
       "the setup's redirect to plain http"},
  };
  for (const auto& [reply, answer, expected, why] : checks)
    ASSERT_EQ(check(reply, answer), expected) << why;
  EXPECT_EQ(refused.text, "The download was redirected to\r\r" + server.Url("/s.exe") +
                              "\r\rwhose address must stay on https. Nothing was downloaded.");
  EXPECT_EQ(FilesIn(dir_).count("Vel-Tarrow-Setup-9.0.0.exe"), 0u) << "the damaged file deleted";
  // Certificates that are not good enough: nothing reaches the server.
  const std::size_t requests = server.Requests().size();
  for (const auto& [front, problem] : {std::pair{"untrusted", "is not trusted"},
                                       {"othername", "is for another name"},
                                       {"expired", "has expired or is not valid yet"}}) {
    WriteValue(kSettingsKey, "UpdateURL", https.at(front) + "/update.txt");
    EXPECT_EQ(check({.body = signedNewer}),
              unreadable + "the server's certificate " + problem + ".");
  }
  EXPECT_EQ(server.Requests().size(), requests);
  WriteValue(kSettingsKey, "UpdateURL", "http://updates.example.test/update.txt");
  EXPECT_EQ(check({}), unreadable + "its address must begin with https://.");
  WriteValue(kSettingsKey, "UpdateURL", update);

  // The newer installer as a release host serves it: both addresses lead to another server.
  const std::string nextSetup = Env("VT_SETUP_NEXT").substr(2), other = https.at("good2");
  server.Serve("/setup.exe", {.bodyFile = nextSetup});
  server.Serve("/latest/setup.exe", redirect(302, other + "/setup.exe"));
  server.Serve(
      "/latest/update.txt",
      {.body = Signed("version=" + next_ + "\nurl=" + base + "/latest/setup.exe" +
                      "\nsize=" + std::to_string(FileBytes(nextSetup).size()) +
                      "\nsha256=" + FileBytes(nextSetup + ".sha256").substr(0, 64) + "\n")});
  server.Serve("/update.txt", redirect(302, other + "/latest/update.txt"));
  DialogWatcher offer("Vel-Tarrow", {}, IDYES, 20000);
  PostMessageA(about, WM_COMMAND, kAboutCheck, 0);
  offer.Wait();
  ASSERT_TRUE(offer.found);
  EXPECT_TRUE(running->Gone(60000)) << "verified, setup started, program ended";
  // The default button throughout, Finish with "Start Vel-Tarrow now" ticked.
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
  ASSERT_TRUE(running = FindProgram()) << "the newer version runs";
  EXPECT_TRUE(FileBytes(exe_) == FileBytes(Env("VT_EXE_VT_NEXT_VERSION")));
  EXPECT_EQ(ReadValue(kUninstallKey, "DisplayVersion"), next_);
  EXPECT_TRUE(WaitFor([&] { return !FilesIn(dir_).count("Vel-Tarrow-Setup-" + next_ + ".exe"); },
                      seconds(60)))
      << "the setup that ran is removed by the version it installed";
  EXPECT_EQ(Settings(), before) << "settings and close list untouched";

  // The newer installer again, silently, over the running copy.
  ASSERT_EQ(RunToEnd(Quoted(Env("VT_SETUP_NEXT")) + " /S /NORUN"), 0u);
  EXPECT_TRUE(running->Gone(0)) << "the installer waits until the running copy has gone";
  EXPECT_FALSE(FindProgram(seconds(3))) << "/NORUN";
  EXPECT_EQ(Settings(), before) << "no exit request left";

  // As the installed-programs list runs it, over a running copy: the folder goes last.
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

// The MSI's entries under installed programs, each the values a user sees as "name=value|".
std::vector<std::string> MachineEntries() {
  std::vector<std::string> found;
  const std::string root = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  HKEY key = nullptr;
  RegOpenKeyExA(HKEY_LOCAL_MACHINE, root.c_str(), 0, KEY_READ, &key);
  char name[256];
  for (DWORD i = 0, n = sizeof name;
       key && !RegEnumKeyExA(key, i, name, &n, nullptr, nullptr, nullptr, nullptr);
       ++i, n = sizeof name) {
    std::string lines;
    for (const char* value : {"DisplayName", "DisplayVersion", "Publisher", "DisplayIcon"}) {
      const std::string v = RawValue(HKEY_LOCAL_MACHINE, root + name, value).value_or("");
      lines.append(value).append("=").append(v.substr(0, v.find('\0'))).append("|");
    }
    if (lines.starts_with("DisplayName=Vel-Tarrow|")) found.push_back(lines);
  }
  if (key) RegCloseKey(key);
  return found;
}

TEST_F(InstallTest, MsiInstallsUpgradesOverARunningCopyAndUninstallsSilently) {
  const std::string dir = Folder(CSIDL_PROGRAM_FILES) + "\\Vel-Tarrow",
                    exe = dir + "\\Vel-Tarrow.exe";
  // In the all-users Start menu; Wine's msiexec puts it into the installing user's.
  auto shortcuts = [] {
    std::string found;
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS})
      found += FileBytes(Folder(csidl) + "\\Vel-Tarrow.lnk");
    return found;
  };
  auto entry = [&](const std::string& version) {
    return "DisplayName=Vel-Tarrow|DisplayVersion=" + version +
           "|Publisher=Larkspur Lane Software|DisplayIcon=" + exe + ",0|";
  };
  ASSERT_EQ(RunToEnd("msiexec /i " + Quoted(Env("VT_MSI")) + " /qn"), 0u);
  EXPECT_EQ(FilesIn(dir),
            (std::set<std::string>{"LICENSE.txt", "Vel-Tarrow-Help.htm", "Vel-Tarrow.exe"}));
  EXPECT_NE(shortcuts().find(exe + '\0'), std::string::npos) << "a shortcut starts the exe";
  EXPECT_EQ(MachineEntries(), std::vector{entry(Env("VT_VERSION"))});

  // From Program Files it scans as ever, but offers no self-update: it could not write there.
  Process start(Quoted(exe));
  auto running = FindProgram();
  ASSERT_TRUE(running);
  Popups ad("\"Ad - Microsoft Internet Explorer\"");
  EXPECT_TRUE(ad.ok() && ad.process().WaitExit(20000)) << "closed by a scan";
  PostMessageA(running->main, WM_COMMAND, kIdmAbout, 0);
  HWND about = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (about = VisibleWindow("VelTarrowAbout")) != nullptr; }));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(about, kAboutCheck)));
  EXPECT_EQ(TextOf(GetDlgItem(about, kAboutStatus)),
            "Updates are not offered: you cannot write to this program's folder.");
  const std::string before = Settings();

  // The newer MSI asks the running copy to end, then replaces the older one.
  ASSERT_EQ(RunToEnd("msiexec /i " + Quoted(Env("VT_MSI_NEXT")) + " /qn"), 0u);
  EXPECT_TRUE(running->Gone(0)) << "the running copy was ended first";
  EXPECT_TRUE(FileBytes(exe) == FileBytes(Env("VT_EXE_VT_NEXT_VERSION")));
  EXPECT_EQ(MachineEntries(), std::vector{entry(next_)}) << "the older entry has gone";
  EXPECT_EQ(Settings(), before) << "no exit request left, settings kept";

  // Uninstalled over a running copy: the program goes, the settings stay.
  Process again(Quoted(exe));
  ASSERT_TRUE(running = FindProgram());
  ASSERT_EQ(ReadValue(kRunKey, "Vel-Tarrow"), Quoted(exe)) << "written at its start";
  ASSERT_EQ(RunToEnd("msiexec /x " + Quoted(Env("VT_MSI_NEXT")) + " /qn"), 0u);
  EXPECT_TRUE(running->Gone(0)) << "the running copy was ended first";
  EXPECT_EQ(GetFileAttributesA(dir.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(shortcuts(), "");
  EXPECT_TRUE(MachineEntries().empty());
  EXPECT_FALSE(ReadValue(kRunKey, "Vel-Tarrow")) << "no start with Windows of a removed program";
  EXPECT_EQ(Settings(), before);
}

}  // namespace
}  // namespace vt::e2e
