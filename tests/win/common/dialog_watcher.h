// Answers a modal dialog (message box, input box) that the code under test
// shows on this thread: a second thread waits for a visible top-level window
// of class "#32770" with the given title, records its texts, optionally types
// into its first edit control, then presses a button.
//
//   vt::test::DialogWatcher box("Vel-Tarrow");            // presses IDOK
//   CallThatShowsAMessageBox();
//   box.Wait();
//   EXPECT_EQ(box.Text(), "Carefull You don't want to delete that!");
//
//   vt::test::DialogWatcher input("Edit Window to close list",
//                                 vt::test::DialogWatcher::Options().Type("new text"));
//
// A call that must show nothing: construct, call, then Stop(); the call could
// not have returned while a box of that title was open, because only the
// watcher closes it.
//
// When the wanted box does not appear in time, any other visible dialog of
// this process is cancelled (its title goes to StrayTitles()), so a wrong
// title fails the test instead of hanging it in a modal loop.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vt::test {

class DialogWatcher {
 public:
  // DialogWatcher::Options().Press(IDCANCEL).Type("text").Within(300ms)
  struct Options {
    int button = IDOK;                    // IDOK, IDCANCEL, IDYES, ...
    std::optional<std::string> editText;  // typed into the first Edit child first
    std::chrono::milliseconds timeout{5000};

    Options& Press(int id) {
      button = id;
      return *this;
    }
    Options& Type(std::string text) {
      editText = std::move(text);
      return *this;
    }
    Options& Within(std::chrono::milliseconds t) {
      timeout = t;
      return *this;
    }
  };

  explicit DialogWatcher(std::string title) : DialogWatcher(std::move(title), Options()) {}
  DialogWatcher(std::string title, int button)
      : DialogWatcher(std::move(title), Options().Press(button)) {}
  DialogWatcher(std::string title, Options options)
      : title_(std::move(title)), options_(std::move(options)), thread_([this] { Run(); }) {}
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;
  ~DialogWatcher() { Stop(); }

  // Blocks until the box was answered or the time ran out.
  void Wait() {
    if (thread_.joinable()) thread_.join();
  }
  // Ends the watch now (after a call that should have shown nothing).
  void Stop() {
    stop_ = true;
    Wait();
  }

  // Valid after Wait() or Stop().
  bool Found() const { return found_; }
  // Texts of the box's static controls that have any, joined by '\n'.
  const std::string& Text() const { return text_; }
  // Captions of its buttons in creation order ("OK" alone for MB_OK).
  const std::vector<std::string>& Buttons() const { return buttons_; }
  // Whether a static control shows an icon (message boxes with MB_ICON*).
  bool HasIcon() const { return hasIcon_; }
  // Text of the first edit control as the box showed it, before editText.
  const std::string& EditText() const { return editBefore_; }
  const std::vector<std::string>& StrayTitles() const { return strays_; }

 private:
  static std::string TextOf(HWND w) {
    char buf[1024] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
  }
  static std::string ClassOf(HWND w) {
    char buf[64] = {};
    GetClassNameA(w, buf, sizeof buf);
    return buf;
  }

  HWND FindBox() const {
    HWND w = FindWindowA("#32770", title_.c_str());
    return w && IsWindowVisible(w) ? w : nullptr;
  }

  void Record(HWND box) {
    HWND edit = nullptr;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      const std::string cls = ClassOf(c);
      const LONG style = GetWindowLongA(c, GWL_STYLE);
      if (_stricmp(cls.c_str(), "Static") == 0) {
        // A message box may keep an empty icon control: only a shown image counts.
        if ((style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(c) &&
            SendMessageA(c, STM_GETICON, 0, 0) != 0) {
          hasIcon_ = true;
        }
        const std::string t = TextOf(c);
        if (!t.empty()) text_ += (text_.empty() ? "" : "\n") + t;
      } else if (_stricmp(cls.c_str(), "Button") == 0) {
        buttons_.push_back(TextOf(c));
      } else if (_stricmp(cls.c_str(), "Edit") == 0 && !edit) {
        edit = c;
      }
    }
    if (edit) {
      editBefore_ = TextOf(edit);
      if (options_.editText)
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(options_.editText->c_str()));
    }
  }

  // Cancels visible dialogs of this process that nobody is waiting for.
  void CancelStrays() {
    struct Ctx {
      DialogWatcher* self;
      DWORD pid;
    } ctx{this, GetCurrentProcessId()};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
          auto* c = reinterpret_cast<Ctx*>(p);
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          if (pid == c->pid && IsWindowVisible(w) && ClassOf(w) == "#32770") {
            c->self->strays_.push_back(TextOf(w));
            PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
  }

  void Run() {
    const auto deadline = std::chrono::steady_clock::now() + options_.timeout;
    while (!stop_ && std::chrono::steady_clock::now() < deadline) {
      if (HWND box = FindBox()) {
        Record(box);
        found_ = true;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(options_.button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, options_.button)));
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!stop_) CancelStrays();
  }

  std::string title_;
  Options options_;
  std::atomic<bool> stop_{false};
  bool found_ = false;
  std::string text_;
  std::vector<std::string> buttons_;
  bool hasIcon_ = false;
  std::string editBefore_;
  std::vector<std::string> strays_;
  std::thread thread_;  // last: starts once everything above is ready
};

}  // namespace vt::test
