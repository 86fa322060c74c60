// What a user sees and types in the real program: its windows on the screen
// at 96, 144 and 192 dpi, and real keys in the boxes it opens.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "e2e_support.h"

namespace vt::e2e {
namespace {

class AppScreenTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSettings(); }
  void TearDown() override {
    SetDpi(96);
    ResetSettings();
  }
  // Read by each program as it starts.
  static void SetDpi(DWORD dpi) {
    RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD, &dpi,
                    sizeof dpi);
  }
};

// The screen's pixels under a window, 0xRRGGBB, once two looks agree.
class Shot {
 public:
  explicit Shot(HWND window) {
    GetWindowRect(window, &r_);
    w_ = r_.right - r_.left, h_ = r_.bottom - r_.top;
    for (int i = 0; i < 25 && (px_.empty() || px_ != Grab()); ++i) {
      px_ = Grab();
      Sleep(200);
    }
  }
  DWORD At(int x, int y) const {
    return px_.at(static_cast<std::size_t>(y - r_.top) * w_ + x - r_.left);
  }
  // Whether every opaque pixel of an icon image (0xAARRGGBB, top row first) shows somewhere.
  bool Shows(const std::vector<DWORD>& icon, int size) const {
    if (icon.size() != static_cast<std::size_t>(size) * size) return false;
    for (int y = r_.top; y + size <= r_.bottom; ++y)
      for (int x = r_.left; x + size <= r_.right; ++x) {
        int i = 0;
        for (; i < size * size; ++i)
          if (icon[i] >> 24 == 0xFF && At(x + i % size, y + i / size) != (icon[i] & 0xFFFFFF))
            break;
        if (i == size * size) return true;
      }
    return false;
  }

 private:
  std::vector<DWORD> Grab() const {
    HDC screen = GetDC(nullptr), mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, w_, -h_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w_, h_, screen, r_.left, r_.top, SRCCOPY);
    GdiFlush();
    std::vector<DWORD> px(static_cast<std::size_t>(w_) * h_);
    std::memcpy(px.data(), bits, px.size() * sizeof(DWORD));
    for (DWORD& p : px) p &= 0xFFFFFF;
    SelectObject(mem, old), DeleteObject(bmp), DeleteDC(mem), ReleaseDC(nullptr, screen);
    return px;
  }
  RECT r_{};
  int w_ = 0, h_ = 0;
  std::vector<DWORD> px_;
};

// The exe's own icon image of a size, 0xAARRGGBB top row first; empty if it has none.
std::vector<DWORD> IconImage(int size) {
  HMODULE exe = LoadLibraryExA(App::ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  auto data = [exe](LPCSTR id, LPCSTR type) {
    HRSRC r = FindResourceA(exe, id, type);
    return static_cast<BYTE*>(r ? LockResource(LoadResource(exe, r)) : nullptr);
  };
  const BYTE* dir = data(MAKEINTRESOURCEA(1), RT_GROUP_ICON);  // 6 bytes, then 14 per image
  const BITMAPINFOHEADER* bih = nullptr;
  for (int i = 0; dir && i < (dir[4] | dir[5] << 8); ++i) {
    const BYTE* e = dir + 6 + 14 * i;  // width, height, colours, 0, planes, bits, bytes, id
    if ((e[0] ? e[0] : 256) == size && e[6] == 32)
      bih = reinterpret_cast<const BITMAPINFOHEADER*>(
          data(MAKEINTRESOURCEA(e[12] | e[13] << 8), RT_ICON));
  }
  std::vector<DWORD> px;
  if (bih) {
    const auto* rows = reinterpret_cast<const DWORD*>(bih + 1);
    for (int y = size - 1; y >= 0; --y) px.insert(px.end(), rows + y * size, rows + (y + 1) * size);
  }
  FreeLibrary(exe);
  return px;
}

// At each dpi the title bar and the About box show the icon images drawn for
// the sizes the system asks for, and the labels leave the borders of the
// controls they reach over whole.
TEST_F(AppScreenTest, IconsAndBordersAtEveryDpi) {
  for (int dpi : {96, 144}) {  // at 192 the window is taller than the test screen
    SetDpi(dpi);
    App app;
    ASSERT_TRUE(app.Start());
    app.Show();
    const Shot main(app.Main());
    const int small = MulDiv(16, dpi, 96), large = MulDiv(32, dpi, 96);
    EXPECT_TRUE(main.Shows(IconImage(small), small)) << dpi << " dpi: title bar icon " << small;
    // Each control with the label that reaches over it: the label shown or
    // hidden changes nothing inside the control.
    const std::pair<int, int> covered[] = {{kIdcList1, 2005}, {kIdcText1, 2008}, {2007, 2011}};
    for (auto [id, labelId] : covered) {
      HWND control = app.Control(id), label = app.Control(labelId);
      ShowWindow(label, SW_HIDE);
      RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
      const Shot without(app.Main());
      ShowWindow(label, SW_SHOWNA);
      const Shot with(app.Main());
      RECT r{};
      GetWindowRect(control, &r);
      int changed = 0;
      for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) changed += with.At(x, y) != without.At(x, y);
      EXPECT_EQ(changed, 0) << dpi << " dpi: \"" << TextOf(label) << "\" paints over control "
                            << id;
    }
    app.Command(1005);  // Help > About
    HWND about = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (about = VisibleWindow("VelTarrowAbout")) != nullptr; }));
    EXPECT_TRUE(Shot(about).Shows(IconImage(large), large)) << dpi << " dpi: About icon " << large;
  }
}

void Press(WORD vk) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

// With the focus on "&Edit": About, the Edit box and a message box, each
// opened and closed from the keyboard, give the focus back to the button.
TEST_F(AppScreenTest, FocusComesBackToItsControlAfterEveryBox) {
  App app;
  ASSERT_TRUE(app.Start());
  app.Show();
  app.Select(kIdcList1, 0);
  HWND main = app.Main(), edit = app.Control(2007);
  int steady = 0;  // focus events come late under X: wait until it stays in front
  ASSERT_TRUE(WaitFor(
      [&] {
        if (GetForegroundWindow() == main) return ++steady > 25;
        SetForegroundWindow(main);
        steady = 0;
        return false;
      },
      seconds(10)));
  ASSERT_TRUE(WaitFor(
      [&] {
        if (FocusOf(main) == edit) return true;
        Press(VK_TAB);
        Sleep(150);
        return false;
      },
      seconds(10)));
  auto box = [](const char* cls, const char* title) {
    HWND w = nullptr;
    return WaitFor([&] { return (w = FindWindowA(cls, title)) && IsWindowVisible(w); }) ? w
                                                                                        : nullptr;
  };
  app.Command(1005);  // Help > About; Escape closes it
  ASSERT_TRUE(box("VelTarrowAbout", nullptr));
  Press(VK_ESCAPE);
  ASSERT_TRUE(WaitFor([&] { return FocusOf(main) == edit; })) << "after About";
  Press(VK_SPACE);  // "&Edit"; Escape cancels the box
  ASSERT_TRUE(box("#32770", "Edit Window to close list"));
  Press(VK_ESCAPE);
  ASSERT_TRUE(WaitFor([&] { return FocusOf(main) == edit; })) << "after the Edit box";
  Press(VK_SPACE);  // OK on the entry unchanged: "That listing already exists"
  ASSERT_TRUE(box("#32770", "Edit Window to close list"));
  Press(VK_RETURN);
  ASSERT_TRUE(box("#32770", "Vel-Tarrow"));
  Press(VK_RETURN);
  EXPECT_TRUE(WaitFor([&] { return FocusOf(main) == edit; })) << "after a message";
}

}  // namespace
}  // namespace vt::e2e
