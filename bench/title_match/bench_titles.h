// Window titles of a typical desktop session, some of them pop-ups that the
// default close list is meant to catch.
#pragma once

#include <string>
#include <vector>

namespace vt::bench {

std::vector<std::string> DesktopTitles();

}  // namespace vt::bench
