#include "app/run_command.h"

#include <gtest/gtest.h>

namespace vt {
namespace {

TEST(RunCommandFor, QuotedPathWithExeExtension) {
  struct Row {
    const char* path;
    const char* want;
    const char* why;
  } rows[] = {
      {"C:\\Tools\\Vel-Tarrow.exe", "\"C:\\Tools\\Vel-Tarrow.exe\"", "quoted even without spaces"},
      {"C:\\Program Files\\VT\\Vel-Tarrow.EXE", "\"C:\\Program Files\\VT\\Vel-Tarrow.exe\"",
       "the extension is always written as .exe"},
      {"C:\\t\\renamed.bin", "\"C:\\t\\renamed.exe\"", "whatever the real extension"},
      {"C:\\my.dir\\prog", "\"C:\\my.dir\\prog.exe\"", "a dot in the folder is not an extension"},
  };
  for (const Row& r : rows) EXPECT_EQ(RunCommandFor(r.path), r.want) << r.why;
}

}  // namespace
}  // namespace vt
