// check_update MANIFEST [SETUP]: reads the manifest as the update check does
// (signature by the build's key, then the strict parser) and, given the setup
// file, checks its size and SHA-256. Prints what it found; exit code 0 only
// when everything holds.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "about/update_fetch.h"
#include "about/verify.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: check_update MANIFEST [SETUP]\n");
    return 2;
  }
  const auto channel = vt::OfferedUpdateChannel();
  if (!channel) {
    std::printf("this build has no update channel\n");
    return 1;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  const auto signedText = vt::SplitSignature(text);
  if (text.size() > vt::kMaxManifestBytes || !signedText ||
      !vt::VerifySignature(signedText->text, signedText->signature, channel->key)) {
    std::printf("%s: not signed with this build's key\n", argv[1]);
    return 1;
  }
  std::string why;
  const auto m = vt::ParseManifest(signedText->text, &why);
  if (!m) {
    std::printf("%s: signed, but not a valid manifest%s\n", argv[1],
                why.empty() ? "" : (": " + why).c_str());
    return 1;
  }
  std::printf("%s: signed; version %s, %s, %llu bytes\n", argv[1],
              vt::VersionText(m->version).c_str(), m->url.c_str(),
              static_cast<unsigned long long>(m->size));
  if (argc > 2 && !vt::OpenIfMatches(argv[2], m->size, m->sha256)) {
    std::printf("%s: does not match the manifest's size and SHA-256\n", argv[2]);
    return 1;
  }
  if (argc > 2) std::printf("%s: matches\n", argv[2]);
  return 0;
}
