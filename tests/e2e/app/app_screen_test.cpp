// What a user sees and types in the real program: its windows on the screen
// at 96, 144 and 192 dpi, and real keys in the boxes it opens.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e_support.h"

namespace vt::e2e {
namespace {

struct AppScreenTest : ::testing::Test {
  void SetUp() override { ResetSettings(); }
  void TearDown() override { SetDpi(96), ResetSettings(); }
  static void SetDpi(DWORD dpi) {  // read by each program as it starts
    RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD, &dpi,
                    sizeof dpi);
  }
};

// The screen's pixels under a window, 0xRRGGBB, once two looks agree.
class Shot {
 public:
  explicit Shot(HWND window) {
    GetWindowRect(window, &r_);
    for (int i = 0; i < 25 && (px_.empty() || px_ != Grab()); ++i) px_ = Grab(), Sleep(200);
  }
  DWORD At(int x, int y) const { return px_.at(std::size_t(y - r_.top) * Width() + x - r_.left); }
  // Whether every opaque pixel of an icon image (0xAARRGGBB, top row first) shows somewhere.
  bool Shows(const std::vector<DWORD>& icon, int size) const {
    for (int y = r_.top; icon.size() == std::size_t(size) * size && y + size <= r_.bottom; ++y)
      for (int x = r_.left; x + size <= r_.right; ++x) {
        int i = 0;
        while (i < size * size &&
               (icon[i] >> 24 < 0xFF || At(x + i % size, y + i / size) == (icon[i] & 0xFFFFFF)))
          ++i;
        if (i == size * size) return true;
      }
    return false;
  }

 private:
  int Width() const { return r_.right - r_.left; }
  std::vector<DWORD> Grab() const {
    const int w = Width(), h = r_.bottom - r_.top;
    HDC screen = GetDC(nullptr), mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r_.left, r_.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFOHEADER bi{sizeof bi, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> px(std::size_t(w) * h);
    GetDIBits(mem, bmp, 0, h, px.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
    DeleteObject(bmp), DeleteDC(mem), ReleaseDC(nullptr, screen);
    for (DWORD& p : px) p &= 0xFFFFFF;
    return px;
  }
  RECT r_{};
  std::vector<DWORD> px_;
};

// The exe's own 32-bit icon image of a size, top row first; empty if it has none.
std::vector<DWORD> IconImage(int size) {
  HMODULE exe = LoadLibraryExA(App::ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  auto data = [exe](int id, LPCSTR type) {
    HRSRC r = FindResourceA(exe, MAKEINTRESOURCEA(id), type);
    return static_cast<const BYTE*>(r ? LockResource(LoadResource(exe, r)) : nullptr);
  };
  std::vector<DWORD> px;
  const BYTE* dir = data(1, RT_GROUP_ICON);  // 6 bytes, then 14 per image
  for (int i = 0; dir && i < dir[4]; ++i) {
    const BYTE* e = dir + 6 + 14 * i;  // width, height, colours, 0, planes, bits, bytes, id
    if ((e[0] ? e[0] : 256) != size || e[6] != 32) continue;
    const auto* rows = reinterpret_cast<const DWORD*>(data(e[12] | e[13] << 8, RT_ICON) + 40);
    for (int y = size - 1; y >= 0; --y) px.insert(px.end(), rows + y * size, rows + (y + 1) * size);
  }
  FreeLibrary(exe);
  return px;
}

// At each dpi: the icon drawn for the size asked for, on the title bar and in About; labels
// that paint nothing over the controls they reach. At 96 dpi About, the Edit box and a
// message box, opened and closed by keys, give the focus back to "&Edit".
TEST_F(AppScreenTest, IconsBordersAndFocusAtEveryDpi) {
  for (int dpi : {96, 144, 192}) {
    SetDpi(dpi);
    App app;
    ASSERT_TRUE(app.Start());
    app.Show();
    const int small = MulDiv(16, dpi, 96), large = MulDiv(32, dpi, 96);
    EXPECT_TRUE(Shot(app.Main()).Shows(IconImage(small), small)) << dpi << " dpi: title bar";
    for (auto [id, labelId] : {std::pair{kIdcList1, 2005}, {kIdcText1, 2008}, {2007, 2011}}) {
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
      EXPECT_EQ(changed, 0) << dpi << " dpi: \"" << TextOf(label) << "\" paints over " << id;
    }
    HWND main = app.Main(), edit = app.Control(2007);
    auto focusOnEdit = [&] {
      GUITHREADINFO info{};
      info.cbSize = sizeof info;
      GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info);
      return info.hwndFocus == edit;
    };
    if (dpi == 96) {
      app.Select(kIdcList1, 0);
      ASSERT_TRUE(StaysInFront(main));
      ASSERT_TRUE(WaitFor([&] { return focusOnEdit() || (PressKey(VK_TAB), Sleep(150), false); },
                          seconds(10)));
    }
    app.Command(1005);  // Help > About; Escape closes it
    HWND about = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (about = VisibleWindow("VelTarrowAbout")) != nullptr; }));
    EXPECT_TRUE(Shot(about).Shows(IconImage(large), large)) << dpi << " dpi: About";
    if (dpi != 96) continue;
    auto shown = [](const char* title) {
      return WaitFor([=] { return IsWindowVisible(FindWindowA("#32770", title)) != FALSE; });
    };
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitFor(focusOnEdit)) << "after About";
    PressKey(VK_SPACE);  // "&Edit"; Escape cancels the box
    ASSERT_TRUE(shown("Edit Window to close list"));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitFor(focusOnEdit)) << "after the Edit box";
    PressKey(VK_SPACE);  // OK on the entry unchanged: "That listing already exists"
    ASSERT_TRUE(shown("Edit Window to close list"));
    PressKey(VK_RETURN);
    ASSERT_TRUE(shown("Vel-Tarrow"));
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor(focusOnEdit)) << "after a message";
  }
}

}  // namespace
}  // namespace vt::e2e
