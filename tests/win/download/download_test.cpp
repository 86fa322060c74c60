// The download dialog against the loopback server: every row of the fault
// matrix checks the result, the message box (title, text, buttons) and the
// file left on disk, byte for byte.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <iterator>

#include "controls/xp_progress_bar.h"
#include "dialog_watcher.h"
#include "download/frm_download.h"
#include "loopback_server.h"
#include "test_support.h"

namespace {

using vt::test::DialogWatcher;
using vt::test::HttpReply;
using vt::test::LoopbackServer;

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7919 + i / 251) & 0xFF);
  return s;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Text(HWND w) {
  char buf[1024] = {};
  GetWindowTextA(w, buf, sizeof buf);
  return buf;
}

const std::string kBody = Pattern(100000);

class Download : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = vt::test::TempPath("vt_download_" + std::to_string(GetCurrentProcessId()) + "\\");
    CreateDirectoryA(dir_.c_str(), nullptr);
    dest_ = dir_ + "file.bin";
    DeleteFileA(dest_.c_str());
    ASSERT_TRUE(server_.ok());
  }
  void TearDown() override {
    DeleteFileA(dest_.c_str());
    RemoveDirectoryA(dir_.c_str());
    EXPECT_EQ(FindWindowA(vt::kDownloadClass, nullptr), nullptr) << "the dialog is unloaded";
  }
  bool Run(const std::string& url, std::string dest = "") {
    std::string u = url, d = dest.empty() ? dest_ : dest, user, password;
    vt::frmDownload form(GetModuleHandleA(nullptr), nullptr);
    form.SetReceiveTimeout(2000);
    // A box nobody expected is cancelled after a while, so it fails the test
    // instead of hanging it.
    DialogWatcher unexpected("(unexpected)", {}, IDCANCEL, 40000);
    return form.DownloadFile(u, d, user, password);
  }
  std::vector<std::string> Ranges() const {
    std::vector<std::string> r;
    for (const auto& q : server_.Requests()) r.push_back(q.range);
    return r;
  }

  LoopbackServer server_;
  std::string dir_, dest_;
};

const std::string kIncomplete = "Download Incomplete";
const std::vector<std::string> kRetryCancel = {"&Retry", "Cancel"};

TEST_F(Download, WholeFileAndPartialFirstReplyAreSaved) {
  for (bool ranged : {false, true}) {
    SCOPED_TRACE(ranged ? "206 on the first pass" : "200");
    server_.Serve("/file.bin", {.body = kBody, .honourRange = ranged});
    EXPECT_TRUE(Run(server_.Url("/file.bin")));
    EXPECT_TRUE(ReadFile(dest_) == kBody);
  }
  EXPECT_EQ(Ranges(), (std::vector<std::string>{"bytes=0-", "bytes=0-"}))
      << "the range header goes out on the first pass too";
}

TEST_F(Download, DropThenRetryResumesFromFourKilobytesBack) {
  server_.ServeInTurn("/file.bin",
                      {{.body = kBody, .dropAfter = 10000}, {.body = kBody, .honourRange = true}});
  DialogWatcher retry(kIncomplete, {}, IDRETRY, 20000);
  EXPECT_TRUE(Run(server_.Url("/file.bin")));
  retry.Wait();
  ASSERT_TRUE(retry.found);
  EXPECT_EQ(retry.buttons, kRetryCancel);
  EXPECT_EQ(retry.text.rfind("The connection with the server was reset.\r\rClick \"Retry\" to "
                             "resume downloading the file.\r(Approximate time remaining: ",
                             0),
            0u)
      << retry.text;
  EXPECT_EQ(Ranges(), (std::vector<std::string>{"bytes=0-", "bytes=5904-"}));
  EXPECT_TRUE(ReadFile(dest_) == kBody) << "the rewound tail is written over, not appended";
}

TEST_F(Download, DropThenCancelLeavesNoFile) {
  server_.Serve("/file.bin", {.body = kBody, .dropAfter = 3000});
  DialogWatcher cancel(kIncomplete, {}, IDCANCEL, 20000);
  EXPECT_FALSE(Run(server_.Url("/file.bin")));
  cancel.Wait();
  EXPECT_TRUE(cancel.found);
  EXPECT_FALSE(Exists(dest_));
}

TEST_F(Download, WholeFileOnAResumeAsksFirst) {
  for (int answer : {IDYES, IDNO}) {
    SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
    server_.ServeInTurn("/file.bin", {{.body = kBody, .dropAfter = 3000}, {.body = kBody}});
    DialogWatcher retry(kIncomplete, {}, IDRETRY, 20000);
    DialogWatcher resume("Unable to Resume Download", {}, answer, 20000);
    EXPECT_EQ(Run(server_.Url("/file.bin")), answer == IDYES);
    retry.Wait(), resume.Wait();
    ASSERT_TRUE(resume.found);
    EXPECT_EQ(resume.text,
              "The server is unable to resume this download.\r\rDo you want to continue anyway?");
    EXPECT_EQ(resume.buttons, (std::vector<std::string>{"&Yes", "&No"}));
    if (answer == IDYES) {
      EXPECT_TRUE(ReadFile(dest_) == kBody) << "started again from byte 0";
    } else {
      EXPECT_FALSE(Exists(dest_));
    }
  }
}

// Replies that end the download with one message and no file, also when a
// file of that name was there before.
TEST_F(Download, RefusedRepliesShowTheirMessageAndLeaveNoFile) {
  const std::string url = server_.Url("/file.bin");
  const struct {
    HttpReply reply;
    std::string title, text, why;
  } rows[] = {
      {{.status = 204}, "No Content", "Nothing to download!", "204"},
      {{.status = 401}, "Unauthorized", "Authorization failed!", "401"},
      {{.status = 404},
       "File Not Found",
       "The file, \"" + url + "\" was not found!",
       "404: the URL between double quotes"},
      {{.status = 500, .body = "x"},
       "Error Downloading File",
       "The server returned the following response:\r\rHTTP/1.1 500 Internal Server Error\r",
       "500: its status line up to the CR"},
      {{.body = kBody, .lengthOverride = "4294967296"}, "File Too Large", "", "beyond 32 bits"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    server_.Serve("/file.bin", r.reply);
    std::ofstream(dest_) << "old";
    DialogWatcher box(r.title, {}, IDOK, 20000);
    EXPECT_FALSE(Run(url));
    box.Wait();
    EXPECT_TRUE(box.found);
    if (!r.text.empty()) {
      EXPECT_EQ(box.text, r.text);
    }
    EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
    EXPECT_FALSE(Exists(dest_)) << "the file that was there before is deleted";
  }
}

TEST_F(Download, NoContentLengthCompletesWithNothingWritten) {
  server_.Serve("/file.bin", {.body = kBody, .contentLength = false});
  EXPECT_TRUE(Run(server_.Url("/file.bin")));
  EXPECT_FALSE(Exists(dest_));
}

TEST_F(Download, StalledBodyTimesOutIntoTheRetryQuestion) {
  server_.Serve("/file.bin", {.body = kBody, .stallAfter = 20000});
  DialogWatcher cancel(kIncomplete, {}, IDCANCEL, 30000);
  const DWORD start = GetTickCount();
  EXPECT_FALSE(Run(server_.Url("/file.bin")));
  cancel.Wait();
  EXPECT_TRUE(cancel.found);
  EXPECT_LT(GetTickCount() - start, 20000u) << "the receive time-out ends the pass";
  EXPECT_FALSE(Exists(dest_));
}

TEST_F(Download, UnreachableServerAndUnwritablePath) {
  DialogWatcher refused("Cannot Establish Connection", {}, IDOK, 30000);
  EXPECT_FALSE(Run("http://127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort()) + "/f.bin"));
  refused.Wait();
  EXPECT_EQ(refused.text,
            "Cannot establish connection.\r\rCheck your Internet connection and try again.");
  EXPECT_FALSE(Exists(dest_));

  // Two missing folder levels: only one is created, so the file cannot be.
  server_.Serve("/file.bin", {.body = kBody});
  const std::string deep = dir_ + "missing\\deeper\\file.bin";
  DialogWatcher error("Error Downloading File", {}, IDOK, 20000);
  EXPECT_FALSE(Run(server_.Url("/file.bin"), deep));
  error.Wait();
  EXPECT_EQ(error.text.rfind("Cannot write file to disk.\r\rError 3: ", 0), 0u) << error.text;
  EXPECT_FALSE(Exists(dir_ + "missing"));

  // A drive that reports no free space (none at all here) is refused before
  // anything is written.
  DialogWatcher space("Insufficient Disk Space", {}, IDOK, 20000);
  EXPECT_FALSE(Run(server_.Url("/file.bin"), "Q:\\vt\\file.bin"));
  space.Wait();
  EXPECT_EQ(space.text,
            "There is not enough free space on disk for this file.\r\rPlease free up "
            "some disk space and try again.");

  // One missing level is created.
  const std::string one = dir_ + "made\\file.bin";
  EXPECT_TRUE(Run(server_.Url("/file.bin"), one));
  EXPECT_TRUE(ReadFile(one) == kBody);
  DeleteFileA(one.c_str());
  RemoveDirectoryA((dir_ + "made").c_str());
}

// Watches the dialog from another thread while the download runs on this one.
class Observer {
 public:
  explicit Observer(std::function<bool(HWND dialog)> step)
      : thread_([this, step] {
          for (const DWORD end = GetTickCount() + 20000; !stop_ && GetTickCount() < end;
               Sleep(20)) {
            HWND d = FindWindowA(vt::kDownloadClass, nullptr);
            if (d && IsWindowVisible(d) && step(d)) return;
          }
        }) {}
  ~Observer() { stop_ = true, thread_.join(); }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Cancel and Escape work while the reply is awaited and while the body flows,
// slowly or at full speed, and the thread's other timers keep running meanwhile.
TEST_F(Download, CancelAndEscapeAnswerAtOnce) {
  static std::atomic<int> ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
  const std::string big = Pattern(48 * 1048576);
  const struct {
    const char* phase;
    HttpReply reply;
  } phases[] = {
      {"awaiting reply", {.body = kBody, .headerDelayMs = 15000}},
      {"slow body", {.body = big, .bytesPerSecond = 200000}},
      {"full-speed body", {.body = big}},
  };
  for (const auto& phase : phases) {
    for (bool escape : {false, true}) {
      SCOPED_TRACE(std::string(phase.phase) + (escape ? ", Escape" : ", Cancel"));
      const bool body = phase.reply.headerDelayMs == 0;
      server_.Serve("/file.bin", phase.reply);
      std::atomic<bool> pressed = false;
      Observer press([&](HWND d) {
        const std::string status = Text(GetDlgItem(d, vt::kIdStatusLabel));
        if (status != (body ? "Saving:" : "Getting file information...")) return false;
        if (body && Text(d).find("% of file.bin Completed") == std::string::npos) return false;
        if (ticks < 5) return false;  // the thread's timer keeps ticking meanwhile
        HWND button = GetDlgItem(d, vt::kIdCancelButton);
        if (escape) {
          PostMessageA(button, WM_KEYDOWN, VK_ESCAPE, 0);
        } else {
          PostMessageA(button, BM_CLICK, 0, 0);
        }
        return pressed = true;
      });
      ticks = 0;
      const DWORD start = GetTickCount();
      EXPECT_FALSE(Run(server_.Url("/file.bin")));
      EXPECT_TRUE(pressed) << "the message loop ran while waiting";
      EXPECT_LT(GetTickCount() - start, 10000u) << "did not wait for the server";
      EXPECT_FALSE(Exists(dest_));
    }
  }
  KillTimer(nullptr, timer);
}

// In the middle of a download: the labels, the bar, the clip and the place.
TEST_F(Download, ShowsProgressWhileReceiving) {
  const std::string body = Pattern(3 * 1048576 / 2);  // 1.5 MB
  server_.Serve("/file.bin", {.body = body, .bytesPerSecond = 400000});
  // A destination too long for its label: one new folder level with a long name.
  const std::string folder = dir_ + std::string(100, 'd'), dest = folder + "\\file.bin";
  struct Seen {
    std::string status, source, to, time, rate, caption;
    long value = -1, max = -1, style = -1, look = -1;
    RECT place{};
    int clipColours = 0;
    bool toFits = false;
  } seen;
  Observer watch([&](HWND d) {
    seen.caption = Text(d);
    if (seen.caption.find("% of file.bin Completed") == std::string::npos) return false;
    if (std::atoi(seen.caption.c_str()) < 10) return false;  // past the first chunks' rates
    seen.status = Text(GetDlgItem(d, vt::kIdStatusLabel));
    seen.source = Text(GetDlgItem(d, vt::kIdSourceLabel));
    HWND to = GetDlgItem(d, vt::kIdToLabel);
    seen.to = Text(to);
    HDC toDc = GetDC(to);
    HGDIOBJ old = SelectObject(toDc, reinterpret_cast<HFONT>(SendMessageA(to, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(toDc, seen.to.c_str(), static_cast<int>(seen.to.size()), &size);
    SelectObject(toDc, old);
    ReleaseDC(to, toDc);
    RECT toRect{};
    GetClientRect(to, &toRect);
    seen.toFits = size.cx <= toRect.right;
    seen.time = Text(GetDlgItem(d, vt::kIdTimeLabel));
    seen.rate = Text(GetDlgItem(d, vt::kIdRateLabel));
    if (auto* bar = vt::Xp_ProgressBar::FromWindow(GetDlgItem(d, vt::kIdProgressBar1))) {
      seen.value = bar->Value(), seen.max = bar->Max(), seen.style = bar->Style();
      seen.look = bar->ProgressLook();
    }
    GetWindowRect(d, &seen.place);
    // The clip is drawn: the globe brings several colours, blue among them.
    HWND clip = GetDlgItem(d, vt::kIdAnimation1);
    HDC dc = GetDC(clip);
    std::vector<COLORREF> colours;
    for (int x = 10; x < 70; x += 3) {
      const COLORREF c = GetPixel(dc, x, 30);
      if (std::find(colours.begin(), colours.end(), c) == colours.end()) colours.push_back(c);
      if (GetBValue(c) > GetRValue(c) + 60) seen.clipColours = 1000;
    }
    ReleaseDC(clip, dc);
    seen.clipColours += static_cast<int>(colours.size());
    return true;
  });
  EXPECT_TRUE(Run(server_.Url("/file.bin"), dest));
  EXPECT_TRUE(ReadFile(dest) == body);
  DeleteFileA(dest.c_str());
  RemoveDirectoryA(folder.c_str());
  EXPECT_EQ(seen.status, "Saving:");
  EXPECT_EQ(seen.source, "file.bin from 127.0.0.1");
  // The path keeps its beginning and its end, and fits its label.
  const std::size_t dots = seen.to.find("...");
  ASSERT_NE(dots, std::string::npos) << seen.to;
  EXPECT_EQ(seen.to.substr(0, dots), dest.substr(0, dots));
  EXPECT_EQ(dots, seen.to.size() - dots - 3) << "as many characters on each side";
  EXPECT_EQ(dest.substr(dest.size() - dots), seen.to.substr(dots + 3));
  EXPECT_TRUE(seen.toFits);
  EXPECT_NE(seen.time.find(" of 1.5 MB copied)"), std::string::npos) << seen.time;
  EXPECT_NE(seen.rate.find("KB/Sec"), std::string::npos) << seen.rate;
  EXPECT_GT(seen.value, 0);
  EXPECT_EQ(seen.max, static_cast<long>(body.size()));
  EXPECT_EQ(seen.style, 2) << "one continuous bar";
  EXPECT_EQ(seen.look, 1);
  const int w = seen.place.right - seen.place.left, h = seen.place.bottom - seen.place.top;
  EXPECT_EQ(seen.place.left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2) << "centred";
  EXPECT_EQ(seen.place.top, (GetSystemMetrics(SM_CYSCREEN) - h) / 2);
  EXPECT_GE(seen.clipColours, 1003) << "the clip opened from the resources and plays";
}

}  // namespace
