// The download engine: DownloadFile, step by step, with its clean-up.
#include "download/frm_download.h"

#include <commctrl.h>

#include <chrono>
#include <vector>

#include "controls/xp_progress_bar.h"
#include "download/download_format.h"

namespace vt {
namespace {

constexpr std::size_t kLargestChunk = 65536;

// Seconds on a clock that never jumps.
double Clock() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ErrorText(DWORD error) {
  char* text = nullptr;
  FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string s = text ? text : "Unknown error.";
  LocalFree(text);
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

}  // namespace

double DiskFreeSpace(std::string& strDrive) {
  strDrive = QualifyPath(strDrive);
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  GetDiskFreeSpaceA(strDrive.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                    &totalClusters);
  return static_cast<double>(freeClusters) * sectorsPerCluster * bytesPerSector;
}

bool frmDownload::DownloadFile(std::string& strURL, std::string& strSavePath,
                               std::string& strUserName, std::string& strPassword) {
  Form_Load();
  if (!hwnd_) return false;
  Cancelled = false;
  const std::string SaveFileName = ReturnFileOrFolder(strSavePath, true, false);
  const std::string SourceFileName = ReturnFileOrFolder(strURL, true, true);
  bool Resuming = false, result = false;
  std::int64_t BytesReceived = 0, FileSize = 0;
  double StartTime = 0;
  float BytesPerSecond = 0, TimeLeft = 0;
  Xp_ProgressBar* bar = bar_;
  HWND animation = Item(kIdAnimation1);

  // Empty values, and the clip plays from here on.
  for (int id : {kIdSourceLabel, kIdTimeLabel, kIdToLabel, kIdRateLabel}) SetLabel(id, "");
  SetWindowLongA(animation, GWL_STYLE, GetWindowLongA(animation, GWL_STYLE) | ACS_AUTOPLAY);
  LoadResAVI(animation, kDownloadClip);

  // Shown first, then centred on the screen.
  ShowWindow(hwnd_, SW_SHOW);
  RECT r;
  GetWindowRect(hwnd_, &r);
  SetWindowPos(hwnd_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  SetFocus(Item(kIdCancelButton));

  for (;;) {
    // Request: a retry fetches the last 4 KB again.
    if (Resuming) {
      SetLabel(kIdStatusLabel, kResuming);
      BytesReceived = ResumeOffset(BytesReceived);
    } else {
      SetLabel(kIdStatusLabel, kGettingInfo);
    }
    DoEvents();
    Inet1.SetUrl(strURL);
    Inet1.SetUserName(strUserName);
    Inet1.SetPassword(strPassword);
    Inet1.Execute("GET", RangeHeader(BytesReceived));
    while (!Cancelled && Inet1.StillExecuting()) WaitPumping(Inet1.Signal());
    if (Cancelled) goto Finish;

    {
      SetLabel(kIdStatusLabel, kSaving);
      SetLabel(kIdSourceLabel,
               FitText(kIdSourceLabel, SourceFileName + " from " + Inet1.RemoteHost()));
      SetLabel(kIdToLabel, FitText(kIdToLabel, strSavePath));

      // The status code. No reply at all reads as a connection that failed.
      const std::string headers = Inet1.Headers();
      const ReplyDecision d =
          headers.empty() ? ReplyDecision{Reply::kNoConnection, "", ""} : DecideReply(headers);
      const auto [refusedUrl, refusedWhy] = Inet1.RefusedRedirect();
      const std::string certificate = CertificateProblem(Inet1.Error());
      if (headers.empty() && (!refusedWhy.empty() || !certificate.empty())) {
        Ask(refusedWhy.empty() ? CertificateMessage(certificate)
                               : RedirectRefusedMessage(refusedUrl, refusedWhy));
        Cancelled = true;
        goto Finish;
      }
      switch (d.reply) {
        case Reply::kWhole:
          if (Resuming) {
            // The server sent the whole file instead of the rest.
            DeleteFileA(strSavePath.c_str());
            if (Ask(UnableToResumeMessage()) != kAnswerYes) {
              Cancelled = true;
              goto Finish;
            }
            Resuming = false;
          }
          break;
        case Reply::kPartial:
          break;
        case Reply::kNoContent:
          Ask(NoContentMessage());
          Cancelled = true;
          goto Finish;
        case Reply::kUnauthorized:
          Ask(UnauthorizedMessage());
          Cancelled = true;
          goto Finish;
        case Reply::kNotFound:
          Ask(NotFoundMessage(Inet1.Url()));
          Cancelled = true;
          goto Finish;
        case Reply::kNoConnection:
          Ask(NoConnectionMessage());
          Cancelled = true;
          goto Finish;
        case Reply::kOther:
          Ask(ServerResponseMessage(d.firstLine));
          Cancelled = true;
          goto Finish;
      }

      // The size, announced once, on the first pass.
      if (!Resuming) {
        StartTime = Clock() - 1.0;
        const std::string announced = Inet1.Header("Content-Length");
        FileSize = ContentLength(announced);
        if (FileSize > kLargestFile) {
          Ask(TooLargeMessage(announced));
          FileSize = 0;
          Cancelled = true;
          goto Finish;
        }
        if (FileSize == 0) goto Finish;
      }

      // Free space, for drive-letter paths only.
      if (strSavePath.size() >= 3 && strSavePath.compare(1, 2, ":\\") == 0) {
        std::string drive = strSavePath.substr(0, strSavePath.find('\\') + 1);
        if (DiskFreeSpace(drive) < static_cast<double>(FileSize)) {
          Ask(DiskSpaceMessage());
          Cancelled = true;
          goto Finish;
        }
      }

      // The bar, one continuous fill per pass.
      if (bar) {
        bar->ProgressLook(1);
        bar->Style(2);
        bar->Value(0);
        bar->Max(static_cast<long>(FileSize));
      }
      DoEvents();
      if (!Resuming) BytesReceived = 0;

      // The file and the read loop; any failure of the file goes to the
      // write-error message.
      DWORD writeError = 0;
      const std::string folder = ReturnFileOrFolder(strSavePath, false, false);
      const DWORD attributes = GetFileAttributesA(folder.c_str());
      if (folder != strSavePath &&
          (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))) {
        CreateDirectoryA(folder.c_str(), nullptr);  // one level; the open reports what fails
      }
      UniqueKernelHandle file(CreateFileA(strSavePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                          nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      LARGE_INTEGER at{};
      at.QuadPart = Resuming ? BytesReceived : 0;
      if (!file || !SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) {
        writeError = GetLastError();
      }
      const auto wait = [this](HANDLE h) { return WaitPumping(h); };
      double pumped = Clock();
      while (!writeError) {
        // Data that keeps coming never waits: window events get their turn here.
        if (Clock() - pumped > 0.025) DoEvents(), pumped = Clock();
        // Every 1024 bytes that have arrived, in one piece: the display is
        // the same at each repaint, with one update per piece instead of
        // one per kilobyte.
        const std::vector<char> Chunk = Inet1.GetChunk(kLargestChunk, wait, 1024);
        DWORD written = 0;
        if (!Chunk.empty() && (!WriteFile(file.get(), Chunk.data(),
                                          static_cast<DWORD>(Chunk.size()), &written, nullptr) ||
                               written != Chunk.size())) {
          writeError = GetLastError() ? GetLastError() : ERROR_DISK_FULL;
          break;
        }
        if (Cancelled) break;
        BytesReceived += static_cast<std::int64_t>(Chunk.size());
        BytesPerSecond =
            static_cast<float>(static_cast<double>(BytesReceived) / (Clock() - StartTime));
        TimeLeft = static_cast<float>(FileSize - BytesReceived) / BytesPerSecond;
        ShowProgress(BytesReceived, FileSize, BytesPerSecond, TimeLeft, SaveFileName);
        if (Chunk.size() < 2) break;
      }
      file.reset();
      if (writeError) {
        Ask(WriteErrorMessage(writeError, ErrorText(writeError)));
        Cancelled = true;
      }
    }

  Finish:
    // Finish.
    if (!Cancelled && BytesReceived == FileSize) {
      SetLabel(kIdStatusLabel, kCompleted);
      result = true;
      break;
    }
    if (!FileExists(strSavePath)) Cancelled = true;
    // The connection ended early: offer to resume.
    if (!Cancelled) {
      Inet1.Cancel();
      if (Ask(IncompleteMessage(FormatTime(TimeLeft))) == kAnswerRetry) {
        Resuming = true;
        continue;
      }
    }
    // Abandoned: nothing is left behind, not even a file that was there before.
    if (FileExists(strSavePath)) DeleteFileA(strSavePath.c_str());
    result = false;
    break;
  }

  // Cleanup.
  (void)SendMessageA(animation, ACM_STOP, 0, 0);
  Inet1.Cancel();
  Form_Unload();
  if (quit_) PostQuitMessage(quitCode_);
  return result;
}

}  // namespace vt
