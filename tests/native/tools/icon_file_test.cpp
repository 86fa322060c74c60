// The committed icon is the generator's output: a change to either shows here.
#include "icon_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

TEST(IconFile, CommittedCopyMatchesTheGenerator) {
  std::ifstream in(VT_COMMITTED_ICON, std::ios::binary);
  ASSERT_TRUE(in) << VT_COMMITTED_ICON;
  const Bytes committed{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_TRUE(committed == vt::icon::MakeIconFile())
      << "src/app/res/Vel-Tarrow.ico is stale: run tools/regenerate.sh";
}

}  // namespace
