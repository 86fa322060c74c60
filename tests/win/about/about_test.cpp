// The About box, the manifest fetch, the file check and the update offer,
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
using std::chrono::seconds;

constexpr char kTitle[] = "Vel-Tarrow";

bool WriteBytes(const std::string& path, const std::string& bytes) {
  UniqueKernelHandle f(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD n = 0;
  return f && WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
         n == bytes.size();
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Hex(const Sha256Digest& d) {
  std::string s;
  for (auto b : d) s += "0123456789abcdef"[b >> 4], s += "0123456789abcdef"[b & 15];
  return s;
}

std::string HashOf(const std::string& bytes) {
  const std::string path = TempPath("vt_about_hash.bin");
  WriteBytes(path, bytes);
  UniqueKernelHandle f(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  const auto d = Sha256OfFile(f.get());
  f.reset();
  DeleteFileA(path.c_str());
  return d ? Hex(*d) : "";
}

TEST(Sha256, KnownAnswersAndTheHeldFile) {
  const std::pair<std::string, const char*> rows[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      // Spans many reads of the file.
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& [bytes, hex] : rows) EXPECT_EQ(HashOf(bytes), hex) << bytes.size() << " bytes";

  const std::string path = TempPath("vt_about_held.bin"), bytes = "abc";
  ASSERT_TRUE(WriteBytes(path, bytes));
  Sha256Digest d{};
  for (std::size_t i = 0; i < 32; ++i)
    d[i] =
        static_cast<std::uint8_t>(std::stoi(std::string(rows[1].second + 2 * i, 2), nullptr, 16));
  EXPECT_FALSE(OpenIfMatches(path, 4, d)) << "size differs";
  Sha256Digest flipped = d;
  flipped[31] ^= 1;
  EXPECT_FALSE(OpenIfMatches(path, 3, flipped)) << "hash differs";
  {
    UniqueKernelHandle held = OpenIfMatches(path, 3, d);
    ASSERT_TRUE(held);
    EXPECT_FALSE(DeleteFileA(path.c_str())) << "no one deletes the checked file";
    EXPECT_FALSE(UniqueKernelHandle(CreateFileA(path.c_str(), GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, 0, nullptr)))
        << "or writes to it";
    EXPECT_TRUE(UniqueKernelHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                               OPEN_EXISTING, 0, nullptr)))
        << "but it can be read, so it can be started";
  }
  EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST(FetchSmallText, OnlyAWholeSmallOkReply) {
  LoopbackServer server;
  ASSERT_TRUE(server.ok());
  server.Serve("/ok", {.body = "version=1.0.0\n"});
  server.Serve("/limit", {.body = std::string(kMaxManifestBytes, 'x')});
  server.Serve("/over", {.body = std::string(kMaxManifestBytes + 1, 'x')});
  server.Serve("/moved", {.status = 302, .body = "", .extraHeaders = {"Location: /ok"}});
  server.Serve("/error", {.status = 500, .body = "version=1.0.0\n"});
  server.Serve("/slow", {.body = "version=1.0.0\n", .headerDelayMs = 30000});

  EXPECT_EQ(FetchSmallText(server.Url("/ok"), kMaxManifestBytes), "version=1.0.0\n");
  EXPECT_EQ(FetchSmallText(server.Url("/limit"), kMaxManifestBytes)->size(), kMaxManifestBytes);
  EXPECT_EQ(FetchSmallText(server.Url("/over"), kMaxManifestBytes), std::nullopt)
      << "not cut short";
  EXPECT_EQ(FetchSmallText(server.Url("/moved"), kMaxManifestBytes), std::nullopt);
  EXPECT_EQ(FetchSmallText(server.Url("/error"), kMaxManifestBytes), std::nullopt);
  EXPECT_EQ(FetchSmallText(server.Url("/missing"), kMaxManifestBytes), std::nullopt);
  const std::string refused =
      "http://127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort()) + "/u";
  EXPECT_EQ(FetchSmallText(refused, kMaxManifestBytes), std::nullopt);
  const DWORD start = GetTickCount();
  EXPECT_EQ(FetchSmallText(server.Url("/slow"), kMaxManifestBytes, 1000), std::nullopt);
  EXPECT_LT(GetTickCount() - start, 10000u) << "the time-out ends a silent server";

  int okRequests = 0;
  for (const auto& r : server.Requests()) okRequests += r.path == "/ok";
  EXPECT_EQ(okRequests, 1) << "a redirect is not followed";
}

class AboutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, ProductKey().c_str());
    folder_ = TempPath("vt_about_" + std::to_string(GetCurrentProcessId()));
    CreateDirectoryA(folder_.c_str(), nullptr);
    setup_ = folder_ + "\\Vel-Tarrow-Setup-9.0.0.exe";
    AboutHooks hooks;
    hooks.openHelp = [this] { ++helps_; };
    hooks.update.programFolder = folder_;
    hooks.update.exitProgram = [this] { ++exits_; };
    hooks.update.download = [this](std::string& url, std::string& path) {
      ++downloads_, url_ = url, path_ = path, leftover_ = Exists(path);
      result_ = std::make_unique<DialogWatcher>(kTitle);  // the box that follows, if any
      if (body_) WriteBytes(path, *body_);
      return body_.has_value();
    };
    hooks.fetch = fetch_;
    about_ = std::make_unique<frmAbout>(GetModuleHandleA(nullptr),
                                        LoadIconA(nullptr, IDI_APPLICATION), std::move(hooks));
    about_->Show(nullptr);
    ASSERT_TRUE(server_.ok());
  }
  void TearDown() override {
    about_.reset();
    for (const std::string& f : {setup_, setup_ + ".ran"}) DeleteFileA(f.c_str());
    RemoveDirectoryA(folder_.c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, ProductKey().c_str());
  }

  HWND Item(int id) const { return GetDlgItem(about_->hwnd(), id); }
  std::string Text(int id) const {
    char buf[256] = {};
    GetWindowTextA(Item(id), buf, sizeof buf);
    return buf;
  }
  void UseManifest(const std::string& text) {
    server_.Serve("/update.txt", {.body = text});
    WriteValue(SettingsKey(), "UpdateURL", server_.Url("/update.txt"));
  }
  std::string Manifest(const std::string& version, const std::string& bytes, std::size_t size) {
    return "version=" + version + "\nurl=" + server_.Url("/setup.exe") +
           "\nsize=" + std::to_string(size) + "\nsha256=" + HashOf(bytes) +
           "\nnote=New tray menu.\n";
  }
  // Clicks "Check for Updates..." and pumps until the check and all it opened have ended.
  void Check() {
    SendMessageA(about_->hwnd(), WM_COMMAND, kAboutCheck, 0);
    EXPECT_TRUE(
        WaitFor([&] { return IsWindowEnabled(Item(kAboutCheck)) && Text(kAboutStatus).empty(); },
                seconds(30)));
  }

  LoopbackServer server_;
  std::function<std::optional<std::string>(const std::string&)> fetch_;
  std::unique_ptr<frmAbout> about_;
  std::string folder_, setup_, url_, path_;
  std::optional<std::string> body_;
  std::unique_ptr<DialogWatcher> result_;
  int helps_ = 0, exits_ = 0, downloads_ = 0;
  bool leftover_ = false;
};

TEST_F(AboutTest, OneNonModalBoxThatEscapeCloses) {
  HWND box = about_->hwnd();
  ASSERT_TRUE(box);
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
  EXPECT_EQ(about_->hwnd(), box) << "a second request shows the same box";
  EXPECT_EQ(FindWindowExA(nullptr, box, "VelTarrowAbout", nullptr), nullptr) << "and no other";

  SendMessageA(box, WM_COMMAND, kAboutHelp, 0);
  EXPECT_EQ(helps_, 1);

  // Escape reaches the box through the message loop's dialog handling.
  PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageA(GetFocus(), WM_KEYUP, VK_ESCAPE, 0);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!about_->PreTranslate(msg)) TranslateMessage(&msg), DispatchMessageA(&msg);
  }
  EXPECT_FALSE(IsWindowVisible(box));
  about_->Show(nullptr);
  EXPECT_TRUE(IsWindowVisible(box)) << "kept for the next time";
}

TEST_F(AboutTest, NothingOfferedWithoutANewerValidManifest) {
  const std::string upToDate = "Vel-Tarrow is up to date (Version " VT_VERSION_TEXT ").";
  const std::string unreadable = "The update information could not be read.";
  const std::string big =
      Manifest("9.0.0", "x", 1) + "#" + std::string(kMaxManifestBytes, 'x') + "\n";
  const std::tuple<std::string, std::string, const char*> rows[] = {
      {Manifest(VT_VERSION_TEXT, "x", 1), upToDate, "the same version"},
      {Manifest("1.0.2", "x", 1), upToDate, "an older version is never offered"},
      {Manifest("0.99.99", "x", 1), upToDate, "older by its major part"},
      {"version=9.0.0\nurl=" + server_.Url("/setup.exe") + "\nsize=1\n", unreadable, "no hash"},
      {big, unreadable, "larger than a manifest may be"},
      {"", unreadable, "empty reply"},
  };
  for (const auto& [manifest, expected, why] : rows) {
    UseManifest(manifest);
    DialogWatcher box(kTitle);
    Check();
    box.Wait();
    EXPECT_TRUE(box.found) << why;
    EXPECT_EQ(box.text, expected) << why;
  }
  server_.Stop();  // nothing listens now
  DialogWatcher box(kTitle);
  Check();
  box.Wait();
  EXPECT_EQ(box.text, unreadable) << "unreachable";
  EXPECT_EQ(downloads_, 0);
}

TEST_F(AboutTest, PlainHttpElsewhereIsRefusedBeforeAnyRequest) {
  int fetches = 0;
  about_.reset();
  fetch_ = [&](const std::string&) { return ++fetches, std::optional<std::string>(); };
  SetUp();
  for (const char* url : {"http://updates.example.test/update.txt", "ftp://127.0.0.1/u", ""}) {
    WriteValue(SettingsKey(), "UpdateURL", url);
    DialogWatcher box(kTitle);
    Check();
    box.Wait();
    EXPECT_EQ(box.text,
              "The update information could not be read: its address must begin with https://.");
  }
  EXPECT_EQ(fetches, 0);
  EXPECT_EQ(std::string(settings::kUpdateUrl.defaultValue).rfind("https://", 0), 0u);
}

TEST_F(AboutTest, BoxAnswersWhileCheckingAndClosingAbandonsTheCheck) {
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> returned{false};
  about_.reset();
  fetch_ = [&](const std::string&) {
    WaitForSingleObject(release, 20000);
    returned = true;
    return std::optional<std::string>("version=9.9.9");  // would be "could not be read"
  };
  SetUp();
  WriteValue(SettingsKey(), "UpdateURL", server_.Url("/update.txt"));
  SendMessageA(about_->hwnd(), WM_COMMAND, kAboutCheck, 0);
  EXPECT_EQ(Text(kAboutStatus), "Checking for updates...");
  EXPECT_FALSE(IsWindowEnabled(Item(kAboutCheck)));
  SendMessageA(about_->hwnd(), WM_COMMAND, kAboutCheck, 0);  // ignored while one runs
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutA(about_->hwnd(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer));
  SendMessageA(about_->hwnd(), WM_COMMAND, kAboutOk, 0);
  EXPECT_FALSE(IsWindowVisible(about_->hwnd()));
  EXPECT_EQ(Text(kAboutStatus), "");
  DialogWatcher none(kTitle, {}, IDOK, 1500);
  SetEvent(release);
  WaitFor([&] { return returned.load(); });
  WaitFor([] { return false; }, std::chrono::milliseconds(500));  // deliver the late result
  none.Wait();
  EXPECT_FALSE(none.found) << "an abandoned check says nothing";
  CloseHandle(release);
}

TEST_F(AboutTest, NoDownloadsNothing) {
  UseManifest(Manifest("9.0.0", "x", 1));
  DialogWatcher offer(kTitle, {}, IDNO);
  Check();
  offer.Wait();
  EXPECT_EQ(offer.text,
            "Version 9.0.0 of Vel-Tarrow is available; you have Version " VT_VERSION_TEXT
            ".\n\nNew tray menu.\n\nDownload and install it now?");
  EXPECT_EQ(offer.buttons, (std::vector<std::string>{"&Yes", "&No"}));
  EXPECT_EQ(downloads_, 0);
  EXPECT_FALSE(Exists(setup_));
}

TEST_F(AboutTest, FailedOrDamagedDownloadIsNeverRun) {
  const std::string good = ReadBytes(Env("VT_EXE_VT_SETUP_STANDIN").substr(2));
  ASSERT_FALSE(good.empty());
  std::string damaged = good;
  damaged[damaged.size() / 2] ^= 0x20;
  const std::tuple<std::optional<std::string>, std::string, const char*> rows[] = {
      {std::nullopt, "Downloading the update failed.", "the download said no"},
      {damaged, "The downloaded update was damaged and has been deleted. Nothing was installed.",
       "one byte changed"},
      {good + "x", "The downloaded update was damaged and has been deleted. Nothing was installed.",
       "one byte more"},
  };
  for (const auto& [body, message, why] : rows) {
    body_ = body;
    UseManifest(Manifest("9.0.0", good, good.size()));
    DialogWatcher offer(kTitle, {}, IDYES);
    Check();
    offer.Wait();
    ASSERT_TRUE(result_) << why;
    result_->Wait();
    EXPECT_EQ(result_->text, message) << why;
    EXPECT_FALSE(Exists(setup_)) << why;
    WaitFor([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_FALSE(Exists(setup_ + ".ran")) << why;
    result_.reset();
  }
  EXPECT_EQ(exits_, 0);
}

TEST_F(AboutTest, VerifiedSetupIsStartedAndTheProgramEnds) {
  const std::string good = ReadBytes(Env("VT_EXE_VT_SETUP_STANDIN").substr(2));
  body_ = good;
  ASSERT_TRUE(WriteBytes(setup_, "stale"));  // an earlier attempt's file is not reused
  UseManifest(Manifest("9.0.0", good, good.size()));
  DialogWatcher offer(kTitle, {}, IDYES);
  Check();
  offer.Wait();
  EXPECT_EQ(url_, server_.Url("/setup.exe"));
  EXPECT_EQ(path_, setup_) << "our name in the program's folder";
  EXPECT_FALSE(leftover_);
  EXPECT_EQ(exits_, 1);
  EXPECT_TRUE(WaitFor([&] { return Exists(setup_ + ".ran"); }, seconds(15)));
  EXPECT_EQ(ReadBytes(setup_ + ".ran"), folder_) << "started in the program's folder";
  result_->Stop();
  EXPECT_FALSE(result_->found) << "no message after a good start";
}

}  // namespace
}  // namespace vt
