#include "about/update_offer.h"

#include <shellapi.h>
#include <winver.h>

#include <thread>
#include <vector>

#include "about/verify.h"
#include "settings/keys.h"
#include "version.h"

namespace vt {
namespace {

int Message(HWND owner, const std::string& text, UINT flags) {
  return MessageBoxA(owner, text.c_str(), VT_PRODUCT_NAME, flags);
}

}  // namespace

std::string UnreadableText(const std::string& reason) {
  return "The update information could not be read" + (reason.empty() ? "" : ": " + reason) + ".";
}

std::string UpToDateText(const Version& current) {
  return VT_PRODUCT_NAME " is up to date (Version " + VersionText(current) + ").";
}

std::string OfferText(const Version& current, const UpdateManifest& m) {
  std::string text = "Version " + VersionText(m.version) +
                     " of " VT_PRODUCT_NAME " is available; you have Version " +
                     VersionText(current) + ".\n\n";
  if (!m.note.empty()) text += m.note + "\n\n";
  return text + "Download and install it now?";
}

void RemoveOldSetupFiles(const std::string& folder) {
  // Off the start-up path: reading the version resource and the folder waits for nothing.
  std::thread([folder] {
    const std::string exe = ProgramFilePath();
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeA(exe.c_str(), &ignored));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT size = 0;
    if (block.empty() ||
        !GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
        !VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &size) || !info) {
      return;
    }
    const Version current{HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                          HIWORD(info->dwFileVersionLS)};
    for (int attempt = 0; attempt < 30; ++attempt, Sleep(2000)) {
      bool left = false;
      WIN32_FIND_DATAA found;
      HANDLE find = FindFirstFileA((folder + "\\Vel-Tarrow-Setup-*.exe").c_str(), &found);
      for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found)) {
        if (IsSetupFileUpTo(found.cFileName, current) &&
            !DeleteFileA((folder + "\\" + found.cFileName).c_str())) {
          left = true;
        }
      }
      if (find != INVALID_HANDLE_VALUE) FindClose(find);
      if (!left) return;
    }
  }).detach();
}

void OfferUpdate(HWND owner, const FetchResult& fetched, const PublicKey& key,
                 const Version& current, const UpdateHooks& hooks) {
  if (!fetched.body) {
    Message(owner, UnreadableText(fetched.problem), MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const auto signedText = SplitSignature(*fetched.body);
  if (!signedText || !VerifySignature(signedText->text, signedText->signature, key)) {
    Message(owner, kUnverifiedText, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  std::string why;
  const auto m = ParseManifest(signedText->text, &why);
  if (!m) {
    Message(owner, UnreadableText(why), MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (!(m->version > current)) {
    Message(owner, UpToDateText(current), MB_OK | MB_ICONINFORMATION);
    return;
  }
  if (Message(owner, OfferText(current, *m), MB_YESNO | MB_ICONQUESTION) != IDYES) return;

  // The name and the folder are ours; the manifest only gives the version.
  std::string path = hooks.programFolder + "\\" + SetupFileName(m->version);
  std::string url = m->url;
  DeleteFileA(path.c_str());  // a leftover of an earlier attempt must not be resumed
  if (!hooks.download || !hooks.download(url, path)) {
    Message(owner, kDownloadFailedText, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  UniqueKernelHandle checked = OpenIfMatches(path, m->size, m->sha256);
  if (!checked) {
    DeleteFileA(path.c_str());
    Message(owner, kDamagedText, MB_OK | MB_ICONSTOP);
    return;
  }
  // Started while the checked file is still held open against writers.
  const auto started = reinterpret_cast<INT_PTR>(
      ShellExecuteA(owner, "Open", path.c_str(), "", hooks.programFolder.c_str(), SW_SHOWNORMAL));
  checked.reset();
  if (started <= 32) {
    Message(owner, kNotStartedText, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  hooks.exitProgram();
}

}  // namespace vt
