// The About box, the manifest fetch, the file check and the update offer,
// in-process under Wine: a loopback server serves manifests, a fake download
// writes the setup file, the dialog watcher answers the message boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <tuple>

#include "about/frm_about.h"
#include "about/update_fetch.h"
#include "about/verify.h"
#include "dialog_watcher.h"
#include "loopback_server.h"
#include "settings/keys.h"
#include "test_support.h"
#include "version.h"

namespace vt {
namespace {

using namespace vt::test;

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  UniqueKernelHandle f(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD n = 0;
  WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
}

std::string HashOf(const std::string& bytes) {
  const std::string path = TempPath("vt_about_hash.bin");
  WriteBytes(path, bytes);
  UniqueKernelHandle f(
      CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  const auto d = Sha256OfFile(f.get());
  f.reset();
  DeleteFileA(path.c_str());
  std::string hex;
  for (auto b : d.value_or(Sha256Digest{}))
    hex += "0123456789abcdef"[b >> 4], hex += "0123456789abcdef"[b & 15];
  return hex;
}

TEST(Verify, KnownHashesAndTheCheckedFileHeldOpen) {
  EXPECT_EQ(HashOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(HashOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(HashOf(std::string(1000000, 'a')),  // spans many reads
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  const std::string path = TempPath("vt_about_held.bin");
  WriteBytes(path, "abc");
  const Sha256Digest abc{0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea, 0x41, 0x41, 0x40,
                         0xde, 0x5d, 0xae, 0x22, 0x23, 0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17,
                         0x7a, 0x9c, 0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad};
  Sha256Digest flipped = abc;
  flipped[31] ^= 1;
  EXPECT_FALSE(OpenIfMatches(path, 4, abc)) << "size differs";
  EXPECT_FALSE(OpenIfMatches(path, 3, flipped)) << "hash differs";
  UniqueKernelHandle held = OpenIfMatches(path, 3, abc);
  ASSERT_TRUE(held);
  EXPECT_FALSE(DeleteFileA(path.c_str())) << "held against deletion until started";
  held.reset();
  EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST(FetchSmallText, OnlyAWholeSmallOkReply) {
  LoopbackServer server;
  ASSERT_TRUE(server.ok());
  server.Serve("/ok", {.body = "version=1.0.0\n"});
  server.Serve("/limit", {.body = std::string(kMaxManifestBytes, 'x')});
  server.Serve("/over", {.body = std::string(kMaxManifestBytes + 1, 'x')});
  server.Serve("/moved", {.status = 302, .extraHeaders = {"Location: /ok"}});
  server.Serve("/slow", {.body = "version=1.0.0\n", .headerDelayMs = 30000});
  auto fetch = [&](const char* path) {
    return FetchSmallText(server.Url(path), kMaxManifestBytes, 1000);
  };
  EXPECT_EQ(fetch("/ok"), "version=1.0.0\n");
  EXPECT_EQ(fetch("/limit")->size(), kMaxManifestBytes);
  EXPECT_EQ(fetch("/over"), std::nullopt) << "refused, not cut short";
  EXPECT_EQ(fetch("/moved"), std::nullopt) << "redirects are not followed";
  EXPECT_EQ(fetch("/missing"), std::nullopt);
  const DWORD start = GetTickCount();
  EXPECT_EQ(fetch("/slow"), std::nullopt);
  EXPECT_LT(GetTickCount() - start, 8000u) << "the time-out ends a silent server";
  EXPECT_EQ(server.Requests().size(), 6u) << "one request each";
}

class AboutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, ProductKey().c_str());
    CreateDirectoryA(folder_.c_str(), nullptr);
    AboutHooks hooks;
    hooks.openHelp = [this] { ++helps_; };
    hooks.update = {folder_,
                    [this](std::string&, std::string& path) {
                      ++downloads_;
                      result_ = std::make_unique<DialogWatcher>("Vel-Tarrow");  // the box after it
                      if (body_) WriteBytes(path, *body_);
                      return body_.has_value();
                    },
                    [this] { ++exits_; }};
    hooks.fetch = fetch_;
    about_ = std::make_unique<frmAbout>(GetModuleHandleA(nullptr), nullptr, std::move(hooks));
    about_->Show(nullptr);
    ASSERT_TRUE(server_.ok());
  }
  void TearDown() override {
    about_.reset();
    RemoveDirectoryA(folder_.c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, ProductKey().c_str());
  }
  HWND Item(int id) const { return GetDlgItem(about_->hwnd(), id); }
  // Serves the manifest, clicks "Check for Updates..." and answers the first box.
  std::string Check(const std::string& manifest, int answer = IDOK) {
    server_.Serve("/update.txt", {.body = manifest});
    WriteValue(SettingsKey(), "UpdateURL", server_.Url("/update.txt"));
    DialogWatcher box("Vel-Tarrow", {}, answer);
    SendMessageA(about_->hwnd(), WM_COMMAND, kAboutCheck, 0);
    WaitFor([&] { return IsWindowEnabled(Item(kAboutCheck)) != FALSE; }, std::chrono::seconds(20));
    box.Wait();
    return box.text;
  }

  LoopbackServer server_;
  std::string folder_ = TempPath("vt_about_test"),
              setup_ = folder_ + "\\Vel-Tarrow-Setup-9.0.0.exe";
  std::function<std::optional<std::string>(const std::string&)> fetch_;
  std::unique_ptr<frmAbout> about_;
  std::optional<std::string> body_;
  std::unique_ptr<DialogWatcher> result_;
  int helps_ = 0, exits_ = 0, downloads_ = 0;
};

TEST_F(AboutTest, OneBoxWithHelpThatEscapeCloses) {
  HWND box = about_->hwnd();
  EXPECT_EQ(FindWindowA("VelTarrowAbout", "About Vel-Tarrow"), box);
  std::string texts;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char buf[128] = {};
    GetWindowTextA(c, buf, sizeof buf);
    texts += std::string(buf) + "|";
  }
  EXPECT_EQ(texts, "|Vel-Tarrow|Version " VT_VERSION_TEXT
                   "|Closes pop-up windows by their titles.|"
                   "Copyright (C) 2026 Larkspur Lane Software||&Help|Check for Updates...|OK|");
  about_->Show(nullptr);
  EXPECT_EQ(FindWindowExA(nullptr, box, "VelTarrowAbout", nullptr), nullptr) << "one box only";
  SendMessageA(box, WM_COMMAND, kAboutHelp, 0);
  EXPECT_EQ(helps_, 1);
  PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
  for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);)
    if (!about_->PreTranslate(msg)) DispatchMessageA(&msg);
  EXPECT_FALSE(IsWindowVisible(box)) << "Escape closes it";
}

TEST_F(AboutTest, NothingOfferedWithoutANewerValidManifest) {
  const std::string same = "Vel-Tarrow is up to date (Version " VT_VERSION_TEXT ").",
                    bad = "The update information could not be read.",
                    tail =
                        "\nurl=" + server_.Url("/s.exe") + "\nsize=1\nsha256=" + HashOf("x") + "\n";
  const std::tuple<std::string, std::string, const char*> rows[] = {
      {"version=" VT_VERSION_TEXT + tail, same, "the same version"},
      {"version=1.0.2" + tail, same, "an older version is never offered"},
      {"version=0.99.99" + tail, same, "older by its major part"},
      {"version=9.0.0" + tail.substr(0, tail.find("\nsha256")), bad, "no hash"},
      {"version=9.0.0" + tail + "#" + std::string(kMaxManifestBytes, 'x'), bad, "too large"},
  };
  for (const auto& [manifest, expected, why] : rows) EXPECT_EQ(Check(manifest), expected) << why;
  server_.Stop();
  EXPECT_EQ(Check(""), bad) << "unreachable";
  EXPECT_EQ(downloads_, 0);
}

TEST_F(AboutTest, PlainHttpElsewhereIsRefusedBeforeAnyRequest) {
  std::atomic<int> fetches{0};
  about_.reset();
  fetch_ = [&](const std::string&) { return ++fetches, std::optional<std::string>(); };
  SetUp();
  WriteValue(SettingsKey(), "UpdateURL", "http://updates.example.test/update.txt");
  DialogWatcher box("Vel-Tarrow");
  SendMessageA(about_->hwnd(), WM_COMMAND, kAboutCheck, 0);
  box.Wait();
  EXPECT_EQ(box.text,
            "The update information could not be read: its address must begin with https://.");
  EXPECT_EQ(fetches, 0);
  EXPECT_EQ(std::string(settings::kUpdateUrl.defaultValue).rfind("https://", 0), 0u);
}

TEST_F(AboutTest, AnswersWhileCheckingAndClosingAbandonsTheCheck) {
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> returned{false};
  about_.reset();
  fetch_ = [&](const std::string&) {
    WaitForSingleObject(release, 20000);
    return returned = true, std::optional<std::string>("garbage");
  };
  SetUp();
  WriteValue(SettingsKey(), "UpdateURL", server_.Url("/update.txt"));
  SendMessageA(about_->hwnd(), WM_COMMAND, kAboutCheck, 0);
  char status[64] = {};
  GetWindowTextA(Item(kAboutStatus), status, sizeof status);
  EXPECT_STREQ(status, "Checking for updates...");
  EXPECT_FALSE(IsWindowEnabled(Item(kAboutCheck)));
  SendMessageA(about_->hwnd(), WM_COMMAND, IDOK, 0);  // the box answers: it closes
  EXPECT_FALSE(IsWindowVisible(about_->hwnd()));
  DialogWatcher none("Vel-Tarrow", {}, IDOK, 1500);
  SetEvent(release);
  WaitFor([&] { return returned.load(); });
  WaitFor([] { return false; }, std::chrono::milliseconds(500));  // the late result arrives
  none.Wait();
  EXPECT_FALSE(none.found) << "an abandoned check says nothing";
  CloseHandle(release);
}

TEST_F(AboutTest, DeclinedFailedOrDamagedUpdateIsNeverRun) {
  const std::string good = "MZ setup bytes",
                    manifest = "version=9.0.0\nurl=" + server_.Url("/s.exe") +
                               "\nsize=14\nsha256=" + HashOf(good) + "\n";
  EXPECT_EQ(Check(manifest, IDNO),
            "Version 9.0.0 of Vel-Tarrow is available; you have Version " VT_VERSION_TEXT
            ".\n\nDownload and install it now?");
  EXPECT_EQ(downloads_, 0) << "No";
  const std::tuple<std::optional<std::string>, std::string> rows[] = {
      {std::nullopt, "Downloading the update failed."},
      {"MZ setup bytez",
       "The downloaded update was damaged and has been deleted. Nothing was installed."},
      {good + "!",
       "The downloaded update was damaged and has been deleted. Nothing was installed."},
  };
  for (const auto& [body, message] : rows) {
    body_ = body;
    Check(manifest, IDYES);
    ASSERT_TRUE(result_);
    result_->Wait();
    EXPECT_EQ(result_->text, message);
    EXPECT_FALSE(Exists(setup_)) << message;
  }
  EXPECT_EQ(exits_, 0);
}

}  // namespace
}  // namespace vt
