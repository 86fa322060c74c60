// The program's own path, read whole however short the first buffer.
#include <windows.h>

#include <gtest/gtest.h>

#include "settings/keys.h"

namespace {

TEST(ProgramFilePath, GrowsItsBufferUntilThePathFits) {
  wchar_t wide[4096] = {};
  const DWORD n = GetModuleFileNameW(nullptr, wide, 4096);
  char ansi[8192] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(n), ansi, sizeof ansi, nullptr, nullptr);
  ASSERT_GT(std::string(ansi).size(), 20u);
  for (std::size_t first : {1, 8, 260}) EXPECT_EQ(vt::ProgramFilePath(first), ansi) << first;
}

}  // namespace
