// The whole update road with the real program: About, the check against a
// loopback manifest, the download dialog, the file check, the stand-in setup
// started and the program gone.
#include <windows.h>

#include <gtest/gtest.h>

#include "about/verify.h"
#include "dialog_watcher.h"
#include "e2e_support.h"
#include "loopback_server.h"

namespace vt::e2e {
namespace {

constexpr int kIdmAbout = 1005, kAboutCheck = 102;

TEST(UpdateRoad, VerifiedSetupIsStartedAndTheProgramEnds) {
  ResetSettings();
  LoopbackServer server;
  ASSERT_TRUE(server.ok());
  const std::string standin = Env("VT_EXE_VT_SETUP_STANDIN").substr(2),
                    dir = TempPath("vt_update_e2e"), exe = dir + "\\Vel-Tarrow.exe",
                    setup = dir + "\\Vel-Tarrow-Setup-9.0.0.exe";
  UniqueKernelHandle file(CreateFileA(standin.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size{};
  GetFileSizeEx(file.get(), &size);
  std::string hex;
  const auto digest = Sha256OfFile(file.get());
  ASSERT_TRUE(digest);
  for (auto b : *digest)
    hex += "0123456789abcdef"[b >> 4], hex += "0123456789abcdef"[b & 15];
  server.Serve("/setup.exe", {.bodyFile = standin});
  server.Serve("/update.txt",
               {.body = "version=9.0.0\nurl=" + server.Url("/setup.exe") +
                        "\nsize=" + std::to_string(size.QuadPart) + "\nsha256=" + hex + "\n"});
  WriteValue(kSettingsKey, "UpdateURL", server.Url("/update.txt"));
  // A copy of the program in a folder of its own: the setup file lands beside it.
  CreateDirectoryA(dir.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA(App::ExePath().c_str(), exe.c_str(), FALSE));
  const int icons = CountTrayIcons();
  {
    App app;
    ASSERT_TRUE(app.Start(exe));
    app.Command(kIdmAbout);
    HWND about = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (about = VisibleWindow("VelTarrowAbout")) != nullptr; }));
    DialogWatcher offer("Vel-Tarrow", {}, IDYES, 20000);
    PostMessageA(about, WM_COMMAND, kAboutCheck, 0);
    offer.Wait();
    EXPECT_EQ(offer.text.rfind("Version 9.0.0 of Vel-Tarrow is available", 0), 0u) << offer.text;
    EXPECT_TRUE(app.process().WaitExit(60000)) << "the program ends through Exit";
  }
  EXPECT_TRUE(WaitFor(
      [&] { return GetFileAttributesA((setup + ".ran").c_str()) != INVALID_FILE_ATTRIBUTES; },
      seconds(20)))
      << "the downloaded setup was started";
  EXPECT_TRUE(WaitFor([&] { return CountTrayIcons() == icons; })) << "its tray icon went too";
  for (const std::string& f : {exe, setup, setup + ".ran"}) DeleteFileA(f.c_str());
  RemoveDirectoryA(dir.c_str());
  ResetSettings();
}

}  // namespace
}  // namespace vt::e2e
