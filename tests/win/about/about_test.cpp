// The About box's help button and the file check of the update offer, in
// process under Wine; the installer test drives the rest of the box and the
// offer in the installed program.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "about/frm_about.h"
#include "about/verify.h"
#include "test_support.h"

namespace vt {
namespace {

TEST(About, HelpOpensThePage) {
  int helps = 0;
  AboutHooks hooks;
  hooks.openHelp = [&] { ++helps; };
  frmAbout about(GetModuleHandleA(nullptr), nullptr, std::move(hooks));
  about.Show(nullptr);
  SendMessageA(about.hwnd(), WM_COMMAND, kAboutHelp, 0);
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
