// The About box by keyboard, the update-check policies and the offer's file check.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <tuple>

#include "about/frm_about.h"
#include "about/verify.h"
#include "dialog_watcher.h"
#include "settings/keys.h"
#include "test_support.h"
#include "version.h"

namespace vt {
namespace {

// Real keys through the box's PreTranslate: the default style follows the focus.
// Then one policy value per row over the user's address; the button is clicked, even hidden.
TEST(About, KeyboardAndPoliciesOverTheUpdateCheck) {
  int helps = 0;
  std::mutex m;
  std::string fetched;
  AboutHooks hooks;
  hooks.openHelp = [&] { ++helps; };
  hooks.fetch = [&](const std::string& url) {
    std::lock_guard lock(m);
    fetched = url;
    return FetchResult{};  // unreadable: the box then says so
  };
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

  auto dword = [](DWORD v) { return std::string(reinterpret_cast<const char*>(&v), sizeof v); };
  const std::string user = "https://user.example/u.txt", admin = "https://admin.example/a.txt",
                    plain = "http://admin.example/a.txt", huge(65536, 'a');
  const std::string refused = UnreadableText("its address " + UrlProblem(plain));
  ASSERT_TRUE(WriteSetting(settings::kUpdateUrl, user));
  const std::tuple<const char*, DWORD, std::string, std::string, const char*> rows[] = {
      {"", 0, "", user, "no policy: the user's address"},
      {"DisableUpdateCheck", REG_DWORD, dword(1), kManagedText, "turned off"},
      {"DisableUpdateCheck", REG_DWORD, dword(0), user, "0 leaves it on"},
      {"DisableUpdateCheck", REG_SZ, "1", user, "the wrong type is ignored"},
      {"UpdateURL", REG_SZ, admin, admin, "the policy's address first"},
      {"UpdateURL", REG_SZ, plain, refused, "the same address rule"},
      {"UpdateURL", REG_SZ, "", user, "empty: ignored"},
      {"UpdateURL", REG_DWORD, dword(1), user, "the wrong type is ignored"},
      {"UpdateURL", REG_SZ, admin + huge, user, "64 KB: ignored"},
  };
  for (const auto& [name, type, bytes, expected, why] : rows) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPolicyKey);
    const std::string data = type == REG_SZ ? bytes + '\0' : bytes;
    if (*name)
      RegSetKeyValueA(HKEY_LOCAL_MACHINE, kPolicyKey, name, type, data.data(),
                      static_cast<DWORD>(data.size()));
    about.Show(nullptr);  // read as the box opens
    const HWND button = GetDlgItem(about.hwnd(), kAboutCheck);
    char status[256] = {};
    GetDlgItemTextA(about.hwnd(), kAboutStatus, status, sizeof status);
    const bool off = expected == kManagedText;
    EXPECT_EQ((IsWindowVisible(button) ? "button" : "") + std::string(status),
              off ? expected : "button")
        << why;
    test::DialogWatcher message(VT_PRODUCT_NAME, {}, IDOK, 20000);
    fetched.clear();
    SendMessageA(about.hwnd(), WM_COMMAND, kAboutCheck, 0);
    // Enabled again once the check's box has been answered.
    EXPECT_TRUE(
        test::WaitFor([&] { return IsWindowEnabled(button) != FALSE; }, std::chrono::seconds(30)));
    message.Stop();
    EXPECT_EQ(message.found, !off) << why;
    std::lock_guard lock(m);
    EXPECT_EQ(expected == refused ? message.text : fetched, off ? "" : expected) << why;
  }
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPolicyKey);
  DeleteSetting(settings::kUpdateUrl);
}

// The setup file is saved only where the user may write, and held until started.
TEST(Verify, AWritableFolderHoldsTheMatchingFileAgainstDeletion) {
  std::string temp = test::TempPath("");
  temp.pop_back();
  EXPECT_TRUE(FolderWritable(temp));
  EXPECT_FALSE(FolderWritable(temp + "\\no such folder")) << "nothing can be made there";
  const std::string path = temp + "\\vt_about_file.bin";
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
