// make_clip OUTPUT.avi: draws the download animation and writes it to OUTPUT.avi.
#include <cstdio>
#include <fstream>

#include "avi_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.avi\n", argc > 0 ? argv[0] : "make_clip");
    return 2;
  }
  const std::vector<std::uint8_t> bytes = vt::clip::MakeClipFile();
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "make_clip: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
