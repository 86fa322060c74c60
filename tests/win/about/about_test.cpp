// The About box, the manifest check, the file check and the update offer,
// in-process under Wine: a loopback server serves manifests, a fake download
// writes the setup file, the dialog watcher answers the message boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
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

const std::string kPath = TempPath("vt_about_file.bin");

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::optional<Sha256Digest> DigestOf(const std::string& bytes) {
  Write(kPath, bytes);
  UniqueKernelHandle f(
      CreateFileA(kPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  return Sha256OfFile(f.get());
}

std::string HashOf(const std::string& bytes) {
  std::string hex;
  for (auto b : DigestOf(bytes).value_or(Sha256Digest{}))
    hex += "0123456789abcdef"[b >> 4], hex += "0123456789abcdef"[b & 15];
  return hex;
}

TEST(Verify, KnownHashesAndTheMatchingFileHeldOpen) {
  EXPECT_EQ(HashOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(HashOf(std::string(1000000, 'a')),  // spans many reads
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  UniqueKernelHandle held = OpenIfMatches(kPath, 3, *DigestOf("abc"));
  ASSERT_TRUE(held);
  EXPECT_FALSE(DeleteFileA(kPath.c_str())) << "held against deletion until started";
  held.reset();
  EXPECT_TRUE(DeleteFileA(kPath.c_str()));
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
                      result_ = std::make_unique<DialogWatcher>("Vel-Tarrow");  // the box after it
                      if (body_) Write(path, *body_);
                      return ++downloads_, body_.has_value();
                    },
                    [this] { ++exits_; }};
    hooks.fetch = [this](const std::string& url) {
      if (++fetches_, block_) WaitForSingleObject(block_, 20000);
      return FetchSmallText(url, kMaxManifestBytes);
    };
    about_ = std::make_unique<frmAbout>(GetModuleHandleA(nullptr), nullptr, std::move(hooks));
    about_->Show(nullptr);
    ASSERT_TRUE(server_.ok());
    WriteValue(SettingsKey(), "UpdateURL", server_.Url("/update.txt"));
  }
  void TearDown() override {
    about_.reset();
    RemoveDirectoryA(folder_.c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, ProductKey().c_str());
  }
  HWND Item(int id) const { return GetDlgItem(about_->hwnd(), id); }
  // Clicks "Check for Updates..." and answers the first box; its text.
  std::string Check(HttpReply manifest, int answer = IDOK) {
    server_.Serve("/update.txt", std::move(manifest));
    DialogWatcher box("Vel-Tarrow", {}, answer, 15000);
    SendMessageA(about_->hwnd(), WM_COMMAND, kAboutCheck, 0);
    WaitFor([&] { return IsWindowEnabled(Item(kAboutCheck)) != FALSE; }, std::chrono::seconds(20));
    box.Wait();
    return box.text;
  }

  LoopbackServer server_;
  std::string folder_ = TempPath("vt_about_test"),
              setup_ = folder_ + "\\Vel-Tarrow-Setup-9.0.0.exe";
  std::unique_ptr<frmAbout> about_;
  std::optional<std::string> body_;
  std::unique_ptr<DialogWatcher> result_;
  HANDLE block_ = nullptr;
  std::atomic<int> fetches_{0};
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

TEST_F(AboutTest, NothingOfferedWithoutANewerValidManifestReadInTime) {
  const std::string same = "Vel-Tarrow is up to date (Version " VT_VERSION_TEXT ").",
                    bad = "The update information could not be read.",
                    tail =
                        "\nurl=" + server_.Url("/s.exe") + "\nsize=1\nsha256=" + HashOf("x") + "\n",
                    newer = "version=9.0.0" + tail;
  server_.Serve("/newer", {.body = newer});
  const std::tuple<HttpReply, std::string, const char*> rows[] = {
      {{.body = "version=" VT_VERSION_TEXT + tail}, same, "the same version"},
      {{.body = "version=1.0.2" + tail}, same, "an older version is never offered"},
      {{.body = "version=0.99.99" + tail}, same, "older by its major part"},
      {{.body = newer.substr(0, newer.find("\nsha256"))}, bad, "no hash"},
      {{.body = newer + "#" + std::string(kMaxManifestBytes, 'x')},
       bad,
       "too large: not cut short"},
      {{.status = 302, .extraHeaders = {"Location: /newer"}}, bad, "redirects are not followed"},
      {{.status = 404, .body = newer}, bad, "not found"},
      {{.body = newer, .headerDelayMs = 60000}, bad, "a silent server: the time-out ends the wait"},
  };
  for (const auto& [reply, expected, why] : rows) EXPECT_EQ(Check(reply), expected) << why;
  server_.Stop();
  EXPECT_EQ(Check({}), bad) << "unreachable";
  const int fetches = fetches_;
  WriteValue(SettingsKey(), "UpdateURL", "http://updates.example.test/update.txt");
  EXPECT_EQ(Check({}),
            "The update information could not be read: its address must begin with https://.");
  EXPECT_EQ(fetches_, fetches) << "refused before any request";
  EXPECT_EQ(std::string(settings::kUpdateUrl.defaultValue).rfind("https://", 0), 0u);
  EXPECT_EQ(downloads_, 0);
}

TEST_F(AboutTest, AnswersWhileCheckingAndClosingAbandonsTheCheck) {
  block_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  server_.Serve("/update.txt", {.body = "garbage"});
  SendMessageA(about_->hwnd(), WM_COMMAND, kAboutCheck, 0);
  char status[64] = {};
  GetWindowTextA(Item(kAboutStatus), status, sizeof status);
  EXPECT_STREQ(status, "Checking for updates...");
  EXPECT_FALSE(IsWindowEnabled(Item(kAboutCheck)));
  SendMessageA(about_->hwnd(), WM_COMMAND, IDOK, 0);  // the box answers: it closes
  EXPECT_FALSE(IsWindowVisible(about_->hwnd()));
  DialogWatcher none("Vel-Tarrow", {}, IDOK, 3000);
  SetEvent(block_);
  WaitFor([] { return false; }, std::chrono::milliseconds(2500));  // the late result arrives
  none.Wait();
  EXPECT_FALSE(none.found) << "an abandoned check says nothing";
  EXPECT_EQ(server_.Requests().size(), 1u);
  CloseHandle(block_);
}

TEST_F(AboutTest, DeclinedFailedOrDamagedUpdateIsNeverRun) {
  const std::string good = "MZ setup bytes",
                    manifest = "version=9.0.0\nurl=" + server_.Url("/s.exe") +
                               "\nsize=14\nsha256=" + HashOf(good) + "\n";
  EXPECT_EQ(Check({.body = manifest}, IDNO),
            "Version 9.0.0 of Vel-Tarrow is available; you have Version " VT_VERSION_TEXT
            ".\n\nDownload and install it now?");
  EXPECT_EQ(downloads_, 0) << "No";
  const std::string damaged =
      "The downloaded update was damaged and has been deleted. Nothing was installed.";
  const std::tuple<std::optional<std::string>, std::string> rows[] = {
      {std::nullopt, "Downloading the update failed."},
      {"MZ setup bytez", damaged},  // same size
      {good + "!", damaged},
  };
  for (const auto& [body, message] : rows) {
    body_ = body;
    Check({.body = manifest}, IDYES);
    ASSERT_TRUE(result_);
    result_->Wait();
    EXPECT_EQ(result_->text, message);
    EXPECT_FALSE(GetFileAttributesA(setup_.c_str()) != INVALID_FILE_ATTRIBUTES) << message;
  }
  EXPECT_EQ(exits_, 0);
}

}  // namespace
}  // namespace vt
