// Shared by the installer tests: files, child processes run to their end,
// the settings as a whole, and the running program whoever started it.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <set>

#include "e2e_support.h"

namespace vt::e2e {

inline constexpr int kIdmAbout = 1005, kAboutCheck = 102, kAboutStatus = 103;

inline std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::set<std::string> FilesIn(const std::string& dir) {
  std::set<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &fd)) {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(fd.cFileName);
  }
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
  return names;
}

inline DWORD RunToEnd(const std::string& commandLine) {
  Process p(commandLine);
  p.WaitExit(120000);
  return p.ExitCode();
}

// Every value under the product key, as "reg export" writes it.
inline std::string Settings() {
  const std::string file = TempPath("vt_install_settings.reg");
  DeleteFileA(file.c_str());
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

inline std::optional<Running> FindProgram(milliseconds wait = seconds(30)) {
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

}  // namespace vt::e2e
