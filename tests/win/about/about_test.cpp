// The About box by keyboard and the file check of the update offer, in
// process under Wine; the installer test drives the rest of the box and the
// offer in the installed program.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "about/frm_about.h"
#include "about/verify.h"
#include "dialog_watcher.h"
#include "settings/keys.h"
#include "test_support.h"

namespace vt {
namespace {

// Real keys through the box's own PreTranslate: the default style follows the
// focus, Enter presses the focused button (OK when it is on none), the focus
// comes back after a message, Escape closes. Updates come from https by default.
TEST(About, KeyboardHelpAndUpdateDefault) {
  EXPECT_EQ(std::string(settings::kUpdateUrl.defaultValue).rfind("https://", 0), 0u);
  int helps = 0;
  AboutHooks hooks;
  hooks.openHelp = [&] { ++helps; };
  frmAbout about(GetModuleHandleA(nullptr), nullptr, std::move(hooks));
  about.Show(nullptr);
  HWND box = about.hwnd(), help = GetDlgItem(box, kAboutHelp), ok = GetDlgItem(box, kAboutOk);
  auto pump = [&](int ms) {  // the program's message loop
    for (const DWORD end = GetTickCount() + ms; LONG(end - GetTickCount()) > 0; Sleep(10))
      for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);)
        if (!about.PreTranslate(m)) TranslateMessage(&m), DispatchMessageA(&m);
  };
  auto press = [&](WORD vk) { test::PressKey(vk), pump(300); };
  auto isDefault = [](HWND b) {
    return (GetWindowLongA(b, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  };
  ASSERT_TRUE(test::StaysInFront(box));
  ASSERT_EQ(GetFocus(), ok);
  press(VK_TAB);
  ASSERT_EQ(GetFocus(), help);
  EXPECT_TRUE(isDefault(help) && !isDefault(ok)) << "the default moves with the focus";
  press(VK_RETURN);
  EXPECT_EQ(helps, 1) << "Enter presses the focused button";
  WriteSetting(settings::kUpdateUrl, "http://example.com/");  // refused with a message, no fetch
  press(VK_TAB);
  {
    test::DialogWatcher message("Vel-Tarrow");
    press(VK_RETURN);  // "Check for Updates..."
  }
  pump(300);
  EXPECT_EQ(GetFocus(), GetDlgItem(box, kAboutCheck)) << "the focus comes back after the message";
  DeleteSetting(settings::kUpdateUrl);
  press(VK_ESCAPE);
  EXPECT_FALSE(IsWindowVisible(box));
  about.Show(nullptr);
  pump(300);
  EXPECT_TRUE(isDefault(ok) && !isDefault(help));
  press(VK_RETURN);
  EXPECT_FALSE(IsWindowVisible(box)) << "Enter on OK closes";
  EXPECT_EQ(helps, 1);
}

TEST(Verify, TheMatchingFileIsHeldAgainstDeletionUntilStarted) {
  const std::string path = test::TempPath("vt_about_file.bin");
  std::ofstream(path, std::ios::binary) << "MZ";
  UniqueKernelHandle file(
      CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  const auto digest = Sha256OfFile(file.get());
  file.reset();
  UniqueKernelHandle held = OpenIfMatches(path, 2, digest.value_or(Sha256Digest{}));
  ASSERT_TRUE(held);
  EXPECT_FALSE(DeleteFileA(path.c_str()));
  held.reset();
  EXPECT_TRUE(DeleteFileA(path.c_str()));
}

}  // namespace
}  // namespace vt
