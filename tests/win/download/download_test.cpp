// The download dialog against the loopback server: every case checks the
// result, the message box (title, text, buttons) and the file left on disk,
// byte for byte.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
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
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7919 + i / 251);
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

const std::string kBody = Pattern(100000), kIncomplete = "Download Incomplete";

class Download : public testing::Test {
 protected:
  void SetUp() override {
    CreateDirectoryA(dir_.c_str(), nullptr);
    DeleteFileA(dest_.c_str());
    ASSERT_TRUE(server_.ok());
  }
  void TearDown() override {
    DeleteFileA(dest_.c_str());
    RemoveDirectoryA(dir_.c_str());
    EXPECT_EQ(FindWindowA(vt::kDownloadClass, nullptr), nullptr) << "the dialog is unloaded";
  }
  bool Run(std::string url, std::string dest = "") {
    std::string user, password;
    if (dest.empty()) dest = dest_;
    vt::frmDownload form(GetModuleHandleA(nullptr), nullptr);
    form.SetReceiveTimeout(2000);
    // A box nobody expected is cancelled after a while: the test fails, not hangs.
    DialogWatcher unexpected("(unexpected)", {}, IDCANCEL, 40000);
    return form.DownloadFile(url, dest, user, password);
  }
  std::vector<std::string> Ranges() const {
    std::vector<std::string> r;
    for (const auto& q : server_.Requests()) r.push_back(q.range);
    return r;
  }

  LoopbackServer server_;
  const std::string dir_ =
      vt::test::TempPath("vt_download_" + std::to_string(GetCurrentProcessId()) + "\\");
  const std::string dest_ = dir_ + "file.bin", url_ = server_.Url("/file.bin");
};

TEST_F(Download, WholeFileAndPartialFirstReplyAreSaved) {
  for (bool ranged : {false, true}) {
    SCOPED_TRACE(ranged ? "206 on the first pass" : "200");
    server_.Serve("/file.bin", {.body = kBody, .honourRange = ranged});
    EXPECT_TRUE(Run(url_));
    EXPECT_TRUE(ReadFile(dest_) == kBody);
  }
  EXPECT_EQ(Ranges(), (std::vector<std::string>{"bytes=0-", "bytes=0-"}))
      << "the range header goes out on the first pass too";
}

TEST_F(Download, DropThenRetryResumesFromFourKilobytesBack) {
  server_.ServeInTurn("/file.bin",
                      {{.body = kBody, .dropAfter = 10000}, {.body = kBody, .honourRange = true}});
  DialogWatcher retry(kIncomplete, {}, IDRETRY, 20000);
  EXPECT_TRUE(Run(url_));
  retry.Wait();
  EXPECT_EQ(retry.buttons, (std::vector<std::string>{"&Retry", "Cancel"}));
  EXPECT_EQ(retry.text.rfind("The connection with the server was reset.\r\rClick \"Retry\" to "
                             "resume downloading the file.\r(Approximate time remaining: ",
                             0),
            0u)
      << retry.text;
  EXPECT_EQ(Ranges(), (std::vector<std::string>{"bytes=0-", "bytes=5904-"}));
  EXPECT_TRUE(ReadFile(dest_) == kBody) << "the rewound tail is written over, not appended";
}

TEST_F(Download, WholeFileOnAResumeAsksFirst) {
  for (int answer : {IDYES, IDNO}) {
    SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
    server_.ServeInTurn("/file.bin", {{.body = kBody, .dropAfter = 10000}, {.body = kBody}});
    DialogWatcher retry(kIncomplete, {}, IDRETRY, 20000);
    DialogWatcher resume("Unable to Resume Download", {}, answer, 20000);
    EXPECT_EQ(Run(url_), answer == IDYES);
    retry.Wait(), resume.Wait();
    EXPECT_EQ(resume.text,
              "The server is unable to resume this download.\r\rDo you want to continue anyway?");
    EXPECT_EQ(resume.buttons, (std::vector<std::string>{"&Yes", "&No"}));
    EXPECT_EQ(Exists(dest_), answer == IDYES);
    EXPECT_TRUE(answer == IDNO || ReadFile(dest_) == kBody) << "started again from byte 0";
  }
}

// Failures end the download with one message and no file, also when a file
// of that name was there before. Texts are checked up to their variable part.
TEST_F(Download, FailuresShowOneMessageAndLeaveNoFile) {
  LoopbackServer gone;
  gone.Stop();
  const struct {
    HttpReply reply;
    std::string title, text, url, dest;
  } rows[] = {
      {{.status = 204}, "No Content", "Nothing to download!"},
      {{.status = 401}, "Unauthorized", "Authorization failed!"},
      {{.status = 404}, "File Not Found", "The file, \"" + url_ + "\" was not found!"},
      {{.status = 500, .body = "x"},
       "Error Downloading File",
       "The server returned the following response:\r\rHTTP/1.1 500 Failed\r"},
      {{.body = kBody, .lengthOverride = "4294967296"}, "File Too Large", ""},
      {{},
       "Cannot Establish Connection",
       "Cannot establish connection.\r\rCheck your Internet connection and try again.",
       gone.Url("/f.bin")},
      // Two missing folder levels: only one is created, so the file cannot be.
      {{.body = kBody},
       "Error Downloading File",
       "Cannot write file to disk.\r\rError 3: ",
       url_,
       dir_ + "missing\\deeper\\file.bin"},
      // A drive that reports no free space (none at all here).
      {{.body = kBody},
       "Insufficient Disk Space",
       "There is not enough free space on disk for this file.\r\rPlease free up some disk space "
       "and try again.",
       url_,
       "Q:\\vt\\file.bin"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.title + ": " + r.text);
    server_.Serve("/file.bin", r.reply);
    const std::string dest = r.dest.empty() ? dest_ : r.dest;
    std::ofstream(dest) << "old";
    DialogWatcher box(r.title, {}, IDOK, 30000);
    EXPECT_FALSE(Run(r.url.empty() ? url_ : r.url, dest));
    box.Wait();
    EXPECT_EQ(box.text.substr(0, r.text.size()), r.text);
    EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
    EXPECT_FALSE(Exists(dest)) << "the file that was there before is deleted";
  }
  EXPECT_FALSE(Exists(dir_ + "missing"));
}

TEST_F(Download, NoContentLengthCompletesWithNothingWritten) {
  server_.Serve("/file.bin", {.body = kBody, .contentLength = false});
  EXPECT_TRUE(Run(url_));
  EXPECT_FALSE(Exists(dest_));
}

// Cancel on the retry question leaves no partial file.
TEST_F(Download, StalledBodyTimesOutIntoTheRetryQuestion) {
  server_.Serve("/file.bin", {.body = kBody, .stallAfter = 20000});
  DialogWatcher cancel(kIncomplete, {}, IDCANCEL, 30000);
  const DWORD start = GetTickCount();
  EXPECT_FALSE(Run(url_));
  cancel.Wait();
  EXPECT_TRUE(cancel.found);
  EXPECT_LT(GetTickCount() - start, 20000u) << "the receive time-out ends the pass";
  EXPECT_FALSE(Exists(dest_));
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
// and the thread's other timers keep running meanwhile.
TEST_F(Download, CancelAndEscapeAnswerAtOnce) {
  static std::atomic<int> ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
  const HttpReply phases[] = {
      {.body = kBody, .headerDelayMs = 15000},
      {.body = Pattern(4 * 1048576), .bytesPerSecond = 200000},
  };
  for (const auto& phase : phases) {
    for (bool escape : {false, true}) {
      const bool body = phase.headerDelayMs == 0;
      SCOPED_TRACE(testing::Message()
                   << phase.headerDelayMs << " ms delay, " << phase.bytesPerSecond << " B/s, "
                   << (escape ? "Escape" : "Cancel"));
      server_.Serve("/file.bin", phase);
      std::atomic<bool> pressed = false;
      Observer press([&](HWND d) {
        const std::string status = Text(GetDlgItem(d, vt::kIdStatusLabel));
        if (status != (body ? "Saving:" : "Getting file information...")) return false;
        if (body && Text(d).find("% of file.bin Completed") == std::string::npos) return false;
        if (ticks < 5) return false;  // the thread's timer keeps ticking meanwhile
        HWND button = GetDlgItem(d, vt::kIdCancelButton);
        PostMessageA(button, escape ? WM_KEYDOWN : BM_CLICK, escape ? VK_ESCAPE : 0, 0);
        return pressed = true;
      });
      ticks = 0;
      const DWORD start = GetTickCount();
      EXPECT_FALSE(Run(url_));
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
  // A destination too long for its label, in a folder level that is created.
  const std::string folder = dir_ + std::string(100, 'd'), dest = folder + "\\file.bin";
  std::atomic<bool> seen = false;
  Observer watch([&](HWND d) {
    const std::string caption = Text(d);
    if (caption.find("% of file.bin Completed") == std::string::npos) return false;
    if (std::atoi(caption.c_str()) < 10) return false;  // past the first chunks' rates
    EXPECT_EQ(Text(GetDlgItem(d, vt::kIdStatusLabel)), "Saving:");
    EXPECT_EQ(Text(GetDlgItem(d, vt::kIdSourceLabel)), "file.bin from 127.0.0.1");
    const std::string time = Text(GetDlgItem(d, vt::kIdTimeLabel));
    EXPECT_NE(time.find(" of 1.5 MB copied)"), std::string::npos) << time;
    EXPECT_NE(Text(GetDlgItem(d, vt::kIdRateLabel)).find("KB/Sec"), std::string::npos);
    // The path keeps as many characters of its beginning as of its end, and fits.
    HWND toLabel = GetDlgItem(d, vt::kIdToLabel);
    const std::string to = Text(toLabel);
    const std::size_t dots = std::min(to.find("..."), to.size() / 2);
    EXPECT_EQ(to, dest.substr(0, dots) + "..." + dest.substr(dest.size() - dots));
    HDC dc = GetDC(toLabel);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(toLabel, WM_GETFONT, 0, 0)));
    SIZE size{};
    RECT room{};
    GetTextExtentPoint32A(dc, to.c_str(), static_cast<int>(to.size()), &size);
    GetClientRect(toLabel, &room);
    EXPECT_LE(size.cx, room.right) << to;
    SelectObject(dc, old);
    ReleaseDC(toLabel, dc);
    auto* bar = vt::Xp_ProgressBar::FromWindow(GetDlgItem(d, vt::kIdProgressBar1));
    EXPECT_TRUE(bar);
    if (!bar) return seen = true;
    EXPECT_GT(bar->Value(), 0);
    EXPECT_EQ(bar->Max(), static_cast<long>(body.size()));
    EXPECT_EQ(bar->Style(), 2) << "one continuous bar";
    EXPECT_EQ(bar->ProgressLook(), 1);
    RECT place{};
    GetWindowRect(d, &place);
    const int w = place.right - place.left, h = place.bottom - place.top;
    EXPECT_EQ(place.left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2) << "centred";
    EXPECT_EQ(place.top, (GetSystemMetrics(SM_CYSCREEN) - h) / 2);
    // The clip is drawn from the resources: its globe is blue.
    HWND clip = GetDlgItem(d, vt::kIdAnimation1);
    dc = GetDC(clip);
    bool blue = false;
    for (int x = 10; x < 70; x += 3) {
      const COLORREF c = GetPixel(dc, x, 30);
      blue = blue || GetBValue(c) > GetRValue(c) + 60;
    }
    ReleaseDC(clip, dc);
    EXPECT_TRUE(blue) << "the clip opened from the resources";
    return seen = true;
  });
  EXPECT_TRUE(Run(url_, dest));
  EXPECT_TRUE(seen);
  EXPECT_TRUE(ReadFile(dest) == body);
  DeleteFileA(dest.c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
