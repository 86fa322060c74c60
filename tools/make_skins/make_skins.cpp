// make_skins DIR: draws the progress bar skins and writes them into DIR.
#include <cstdio>
#include <fstream>
#include <string>

#include "skin_art.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argc > 0 ? argv[0] : "make_skins");
    return 2;
  }
  for (const vt::skins::SkinFile& f : vt::skins::MakeSkinFiles()) {
    const std::string path = std::string(argv[1]) + "/" + f.name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(f.bytes.data()),
              static_cast<std::streamsize>(f.bytes.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "make_skins: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
