// The Run entry for start with Windows. Pure code.
#pragma once

#include <string>
#include <string_view>

namespace vt {

// The quoted full path of the program: folder, "\", the file name without its
// extension, ".exe" (whatever the real extension), in double quotes.
inline std::string RunCommandFor(std::string_view modulePath) {
  const std::size_t slash = modulePath.find_last_of("\\/");
  const std::string_view folder =
      slash == std::string_view::npos ? std::string_view{} : modulePath.substr(0, slash);
  std::string_view file =
      slash == std::string_view::npos ? modulePath : modulePath.substr(slash + 1);
  const std::size_t dot = file.find_last_of('.');
  if (dot != std::string_view::npos) file = file.substr(0, dot);
  std::string cmd = "\"";
  cmd.append(folder);
  cmd += '\\';
  cmd.append(file);
  cmd += ".exe\"";
  return cmd;
}

}  // namespace vt
