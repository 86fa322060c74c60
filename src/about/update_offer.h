// What the program does with a fetched manifest: says it is up to date, or
// that the information could not be read, or offers the newer version; on
// Yes it downloads the setup file, checks it and runs it.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "about/manifest.h"
#include "about/update_fetch.h"

namespace vt {

// The messages of the update check.
std::string UpToDateText(const Version& current);
std::string OfferText(const Version& current, const UpdateManifest& m);
// "The update information could not be read", with the reason when there is one.
std::string UnreadableText(const std::string& reason);
inline constexpr char kUnverifiedText[] = "The update information could not be verified.";
inline constexpr char kDownloadFailedText[] = "Downloading the update failed.";
inline constexpr char kDamagedText[] =
    "The downloaded update was damaged and has been deleted. Nothing was installed.";
inline constexpr char kNotStartedText[] = "The update was downloaded but could not be started.";

struct UpdateHooks {
  std::string programFolder;  // where the setup file goes
  // Fetches `url` into `path`; true for a complete file.
  std::function<bool(std::string& url, std::string& path)> download;
  std::function<void()> exitProgram;  // does not return in the program
};

// Deletes the setup files of this exe's version (from its version
// information, as installed) and older in `folder`, left there by the update
// that installed it. The setup that just ran may still be open, so a worker
// thread tries again for a minute.
void RemoveOldSetupFiles(const std::string& folder);

// `fetched` is what the check fetched; only a manifest signed with `key` is read.
void OfferUpdate(HWND owner, const FetchResult& fetched, const PublicKey& key,
                 const Version& current, const UpdateHooks& hooks);

}  // namespace vt
