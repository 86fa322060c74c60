#include "app/run_command.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vt {
namespace {

TEST(RunCommandFor, QuotedPathWithExeExtension) {
  // Program path, Run value, why.
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"C:\\Tools\\Vel-Tarrow.exe", "\"C:\\Tools\\Vel-Tarrow.exe\"", "quoted even without spaces"},
      {"C:\\Program Files\\VT\\Vel-Tarrow.EXE", "\"C:\\Program Files\\VT\\Vel-Tarrow.exe\"",
       "the extension is always written as .exe"},
      {"C:\\t\\renamed.bin", "\"C:\\t\\renamed.exe\"", "whatever the real extension"},
      {"C:\\my.dir\\prog", "\"C:\\my.dir\\prog.exe\"", "a dot in the folder is not an extension"},
  };
  for (auto [path, want, why] : rows) EXPECT_EQ(RunCommandFor(path), want) << why;
}

}  // namespace
}  // namespace vt
