// make_icon OUTPUT.ico: draws the program icon and writes it to OUTPUT.ico.
#include <cstdio>
#include <fstream>

#include "icon_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.ico\n", argc > 0 ? argv[0] : "make_icon");
    return 2;
  }
  const std::vector<unsigned char> bytes = vt::icon::MakeIconFile();
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "make_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
