// The download dialog against the loopback server: what DownloadFile returns,
// the boxes it shows and the file it leaves, byte for byte.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

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

// VT_SHOT_STOP=FILE makes the 400 KB/s scene into the temporary folder the
// README's picture (scripts/screenshot-download.sh): at 40 % the dialog's
// place is printed, "rect x y w h", and the scene holds until FILE exists.
bool Pictured(HWND d, const std::string& stop) {
  static bool printed = false;
  if (!printed && std::atoi(Text(d).c_str()) >= 40) {
    RECT r;
    GetWindowRect(d, &r);
    std::printf("rect %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    std::fflush(stdout);
    printed = true;
  }
  return printed && Exists(stop);
}

const std::string kBody = Pattern(100000);

class Download : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.ok());
    TearDown();  // what an earlier run left
  }
  void TearDown() override {
    DeleteFileA(dest_.c_str());
    RemoveDirectoryA(dir_.c_str());
  }
  bool Run(std::string url, std::string dest, DWORD receiveTimeoutMs = 2000) {
    std::string user, password;
    vt::frmDownload form(GetModuleHandleA(nullptr), nullptr);
    form.SetReceiveTimeout(receiveTimeoutMs);
    // A box nobody expected is cancelled after a while: the test fails, not hangs.
    DialogWatcher unexpected("(unexpected)", {}, IDCANCEL, 40000);
    const bool ok = form.DownloadFile(url, dest, user, password);
    EXPECT_EQ(FindWindowA(vt::kDownloadClass, nullptr), nullptr) << "the dialog is unloaded";
    return ok;
  }

  // In the middle of a download: the labels, the bar, the clip and the place.
  void CheckProgress(HWND d, const std::string& caption, std::size_t size) const {
    EXPECT_NE(caption.find("% of setup.exe Completed"), std::string::npos) << caption;
    EXPECT_EQ(Text(GetDlgItem(d, vt::kIdSourceLabel)), "setup.exe from 127.0.0.1");
    const std::string time = Text(GetDlgItem(d, vt::kIdTimeLabel));
    EXPECT_NE(time.find(" of 8.0 MB copied)"), std::string::npos) << time;
    EXPECT_NE(Text(GetDlgItem(d, vt::kIdRateLabel)).find("KB/Sec"), std::string::npos);
    // The path is shortened to fit its label.
    HWND toLabel = GetDlgItem(d, vt::kIdToLabel);
    const std::string to = Text(toLabel);
    EXPECT_NE(to.find("..."), std::string::npos) << to;
    HDC dc = GetDC(toLabel);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(toLabel, WM_GETFONT, 0, 0)));
    SIZE extent{};
    RECT room{};
    GetTextExtentPoint32A(dc, to.c_str(), static_cast<int>(to.size()), &extent);
    GetClientRect(toLabel, &room);
    EXPECT_LE(extent.cx, room.right) << to;
    SelectObject(dc, old);
    ReleaseDC(toLabel, dc);
    auto* bar = vt::Xp_ProgressBar::FromWindow(GetDlgItem(d, vt::kIdProgressBar1));
    EXPECT_TRUE(bar && bar->Value() > 0 && bar->Max() == static_cast<long>(size) &&
                bar->Style() == 2 && bar->ProgressLook() == 1)
        << "one continuous bar of look 1 up to the file's size";
    RECT place{};
    GetWindowRect(d, &place);
    EXPECT_NEAR(place.left + place.right, GetSystemMetrics(SM_CXSCREEN), 1) << "centred";
    EXPECT_NEAR(place.top + place.bottom, GetSystemMetrics(SM_CYSCREEN), 1);
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
  }

  LoopbackServer server_;
  // A folder level the first download creates, its name too long for a label.
  const std::string dir_ = vt::test::TempPath(
      "vt_download_" + std::to_string(GetCurrentProcessId()) + std::string(100, 'd') + "\\");
  const std::string dest_ = dir_ + "setup.exe", url_ = server_.Url("/setup.exe");
};

// Every road through DownloadFile: the replies given in turn, the boxes shown
// (title, a part of the text, the answer) and the file left. From the second
// row on, a file of that name is there before the call.
TEST_F(Download, RepliesBoxesAndTheFileLeft) {
  LoopbackServer gone;
  gone.Stop();
  struct Box {
    std::string title;
    int answer = IDOK;
    std::string part = "";  // of its text
  };
  const HttpReply whole{.body = kBody}, ranged{.body = kBody, .honourRange = true},
      drop{.body = kBody, .dropAfter = 10000},
      stall{.body = kBody, .dropAfter = 20000, .holdMs = 60000};
  const std::string incomplete = "Download Incomplete", resume = "Unable to Resume Download",
                    error = "Error Downloading File";
  const Box retry{incomplete, IDRETRY}, tooMany{"Redirect Refused", IDOK, "the limit of 5 "};
  for (int i = 1; i <= 6; ++i) {  // /r1 -> /r2 ... /r6 -> /setup.exe
    const std::string to = i < 6 ? "/r" + std::to_string(i + 1) : "/setup.exe";
    server_.Serve("/r" + std::to_string(i), {.status = 302, .extraHeaders = {"Location: " + to}});
  }
  const struct {
    std::string why;
    std::vector<HttpReply> replies;
    std::vector<Box> boxes;
    std::string left;  // the file afterwards, "" for none; True exactly when one is left
    std::string url = "", dest = "";  // when not the usual ones
  } rows[] = {
      {"200, into a new folder level", {whole}, {}, kBody},
      {"206 on the first pass", {ranged}, {}, kBody},
      {"a drop, Retry, 206 from 4 KB back", {drop, ranged}, {retry}, kBody},
      {"a drop, Retry, 200, Yes: from 0", {drop, whole}, {retry, {resume, IDYES}}, kBody},
      {"a drop, Retry, 200, No", {drop, whole}, {retry, {resume, IDNO}}, ""},
      {"no Content-Length: nothing written", {{.body = kBody, .contentLength = false}}, {}, "old"},
      {"stalled: time-out, Cancel", {stall}, {{incomplete, IDCANCEL}}, ""},
      {"204", {{.status = 204}}, {{"No Content"}}, ""},
      {"401", {{.status = 401}}, {{"Unauthorized"}}, ""},
      {"404", {{.status = 404}}, {{"File Not Found", IDOK, '"' + url_ + '"'}}, ""},
      {"500", {{.status = 500}}, {{error, IDOK, ":\r\rHTTP/1.1 500 Failed\r"}}, ""},
      {"a length beyond 32 bits, named in lower case",
       {{.body = kBody, .contentLength = false, .extraHeaders = {"content-length: 4294967296"}}},
       {{"File Too Large", IDOK, " 4294967296 bytes"}},
       ""},
      {"a refused connection", {}, {{"Cannot Establish Connection"}}, "", gone.Url("/f")},
      {"5 redirects", {whole}, {}, kBody, server_.Url("/r2")},
      {"6 redirects", {whole}, {tooMany}, "", server_.Url("/r1")},
      {"two missing levels", {whole}, {{error, IDOK, "Error 3: "}}, "", "", dir_ + "a\\b\\f"},
      {"no free space", {whole}, {{"Insufficient Disk Space"}}, "", "", "Q:\\setup.exe"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    server_.ServeInTurn("/setup.exe", r.replies);
    const std::string dest = r.dest.empty() ? dest_ : r.dest;
    if (Exists(dir_)) std::ofstream(dest) << "old";
    std::vector<std::unique_ptr<DialogWatcher>> boxes;
    for (const Box& b : r.boxes)
      boxes.push_back(std::make_unique<DialogWatcher>(b.title, std::nullopt, b.answer, 30000));
    const DWORD start = GetTickCount();
    EXPECT_EQ(Run(r.url.empty() ? url_ : r.url, dest), !r.left.empty());
    EXPECT_LT(GetTickCount() - start, 20000u) << "a silent server is given up on";
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const Box& want = r.boxes[i];
      boxes[i]->Wait();
      EXPECT_NE(boxes[i]->text.find(want.part), std::string::npos) << boxes[i]->text;
      EXPECT_EQ(boxes[i]->buttons.size(), want.answer == IDOK ? 1u : 2u) << want.title << " shown";
    }
    EXPECT_TRUE(r.left.empty() ? !Exists(dest) : ReadFile(dest) == r.left) << "the file left";
    ASSERT_FALSE(HasFailure()) << "later rows build on this one";
  }
}

// Cancel while the reply is awaited; Escape while the body flows, once the
// progress shown is checked; the close box on a slow link. A timer of this
// thread presses: the dialog's wait keeps the thread's messages flowing.
TEST_F(Download, CancelEscapeAndTheCloseBoxAnswerAtOnce) {
  const std::string big = Pattern(8 * 1048576), shot = vt::test::Env("VT_SHOT_STOP");
  static std::function<bool(HWND)> press;  // true once it pressed
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND d = FindWindowA(vt::kDownloadClass, nullptr);
    if (press && d && IsWindowVisible(d) && press(d)) press = nullptr;
  });
  // A slow link's first kilobytes show at once, not after a whole read-ahead piece.
  for (int rate : {0, 400000, 12000}) {
    const bool body = rate > 0, slow = rate < 100000;
    SCOPED_TRACE(!body ? "Cancel while the reply is awaited" : slow ? "the close box" : "Escape");
    server_.Serve("/setup.exe", body ? HttpReply{.body = slow ? kBody : big, .bytesPerSecond = rate}
                                     : HttpReply{.body = kBody, .headerDelayMs = 15000});
    press = [&](HWND d) {
      const std::string status = Text(GetDlgItem(d, vt::kIdStatusLabel)), caption = Text(d);
      if (status != (body ? "Saving:" : "Getting file information...")) return false;
      // A settled rate; on the slow link, the first progress.
      if (body &&
          (slow ? caption.find('%') == std::string::npos : std::atoi(caption.c_str()) < 10)) {
        return false;
      }
      if (body && !slow && !shot.empty() && !Pictured(d, shot)) return false;
      if (body && !slow) CheckProgress(d, caption, big.size());
      // Keys to the focused control: Cancel has the focus from the start.
      if (slow) PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0);
      if (!slow) PostMessageA(GetFocus(), body ? WM_KEYDOWN : BM_CLICK, body ? VK_ESCAPE : 0, 0);
      return true;
    };
    const DWORD start = GetTickCount();
    // The server's delay does not end the wait.
    EXPECT_FALSE(Run(url_, shot.empty() ? dest_ : vt::test::TempPath("setup.exe"), 30000));
    EXPECT_FALSE(press) << "not pressed: the timer did not run while waiting";
    EXPECT_LT(GetTickCount() - start, body && slow ? 4000u : 10000u) << "did not wait";
    EXPECT_FALSE(Exists(dest_));
  }
  KillTimer(nullptr, timer);
}

}  // namespace
