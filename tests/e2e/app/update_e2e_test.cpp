// The whole update road with the real program: About, the check against a
// loopback manifest, the download dialog, the file check, the stand-in setup
// started and the program gone.
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "dialog_watcher.h"
#include "e2e_support.h"
#include "loopback_server.h"

namespace vt::e2e {
namespace {

constexpr int kIdmAbout = 1005, kAboutCheck = 102;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Through the older CryptoAPI, so the check does not lean on the program's own hashing.
std::string Sha256Hex(const std::string& bytes) {
  HCRYPTPROV prov = 0;
  HCRYPTHASH hash = 0;
  BYTE digest[32] = {};
  DWORD size = sizeof digest;
  std::string hex;
  if (CryptAcquireContextA(&prov, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
    if (CryptCreateHash(prov, CALG_SHA_256, 0, 0, &hash) &&
        CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()),
                      static_cast<DWORD>(bytes.size()), 0) &&
        CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0)) {
      for (BYTE b : digest) hex += "0123456789abcdef"[b >> 4], hex += "0123456789abcdef"[b & 15];
    }
    if (hash) CryptDestroyHash(hash);
    CryptReleaseContext(prov, 0);
  }
  return hex;
}

class UpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    ASSERT_TRUE(server_.ok());
    setupBytes_ = ReadBytes(Env("VT_EXE_VT_SETUP_STANDIN").substr(2));
    ASSERT_FALSE(setupBytes_.empty());
    // A copy of the program in a folder of its own: the setup file lands beside it.
    CreateDirectoryA(dir_.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(App::ExePath().c_str(), (dir_ + "\\Vel-Tarrow.exe").c_str(), FALSE));
    server_.Serve("/update.txt", {.body = "version=9.0.0\nurl=" + server_.Url("/setup.exe") +
                                          "\nsize=" + std::to_string(setupBytes_.size()) +
                                          "\nsha256=" + Sha256Hex(setupBytes_) + "\n"});
    WriteValue(kSettingsKey, "UpdateURL", server_.Url("/update.txt"));
  }
  void TearDown() override {
    for (const char* f :
         {"\\Vel-Tarrow.exe", "\\Vel-Tarrow-Setup-9.0.0.exe", "\\Vel-Tarrow-Setup-9.0.0.exe.ran"}) {
      DeleteFileA((dir_ + f).c_str());
    }
    RemoveDirectoryA(dir_.c_str());
    ResetSettings();
  }

  // Starts the copy, opens About, presses "Check for Updates..." and answers
  // the offer with Yes.
  void CheckAndAccept(App& app) {
    ASSERT_TRUE(app.Start(dir_ + "\\Vel-Tarrow.exe"));
    app.Command(kIdmAbout);
    HWND about = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (about = VisibleWindow("VelTarrowAbout")) != nullptr; }));
    DialogWatcher offer("Vel-Tarrow", {}, IDYES, 20000);
    PostMessageA(about, WM_COMMAND, kAboutCheck, 0);
    offer.Wait();
    ASSERT_TRUE(offer.found);
    EXPECT_EQ(offer.text.rfind("Version 9.0.0 of Vel-Tarrow is available", 0), 0u) << offer.text;
  }

  LoopbackServer server_;
  std::string setupBytes_, dir_ = TempPath("vt_update_e2e"),
                           setup_ = dir_ + "\\Vel-Tarrow-Setup-9.0.0.exe";
};

TEST_F(UpdateTest, VerifiedSetupIsStartedAndTheProgramEnds) {
  server_.Serve("/setup.exe", {.body = setupBytes_});
  const int icons = CountTrayIcons();
  App app;
  CheckAndAccept(app);
  EXPECT_TRUE(app.process().WaitExit(60000)) << "the program ends through Exit";
  EXPECT_TRUE(WaitFor([&] { return Exists(setup_ + ".ran"); }, seconds(20))) << "setup started";
  EXPECT_EQ(ReadBytes(setup_), setupBytes_);
  EXPECT_TRUE(WaitFor([&] { return CountTrayIcons() == icons; })) << "its tray icon went too";
}

}  // namespace
}  // namespace vt::e2e
