// The download's decisions and the texts of its message boxes. Pure code.
// Line breaks inside messages are a single CR.
#pragma once

#include <cstdint>
#include <string>

namespace vt {

enum class Reply { kWhole, kPartial, kNoContent, kUnauthorized, kNotFound, kNoConnection, kOther };

struct ReplyDecision {
  Reply reply;
  std::string statusText;  // characters 10 to 12 of the header block
  std::string firstLine;   // for kOther: up to and including the first CR, or "<nothing>"
};

// Decides on the status code at characters 10 to 12 of the raw header block.
ReplyDecision DecideReply(const std::string& headerBlock);

// The value of a "Content-Length" header: missing or not a number gives 0;
// fractions round to the nearest whole number. May exceed 32 bits: the
// caller refuses those.
std::int64_t ContentLength(const std::string& value);
inline constexpr std::int64_t kLargestFile = 2147483647;

// The first byte asked for on a retry: the last 4096 written are fetched again.
inline std::int64_t ResumeOffset(std::int64_t bytesWritten) {
  return bytesWritten > 4096 ? bytesWritten - 4096 : 0;
}
std::string RangeHeader(std::int64_t from);  // "Range: bytes=N-" CR LF

// Message box codes.
inline constexpr unsigned kMbOk = 0, kMbYesNo = 4, kMbRetryCancel = 5;
inline constexpr unsigned kMbCritical = 16, kMbExclamation = 48, kMbInformation = 64;
inline constexpr int kAnswerYes = 6, kAnswerRetry = 4;

struct Message {
  std::string text, title;
  unsigned code;
};

Message UnableToResumeMessage();
Message NoContentMessage();
Message UnauthorizedMessage();
Message NotFoundMessage(const std::string& url);
Message NoConnectionMessage();
Message ServerResponseMessage(const std::string& firstLine);
Message DiskSpaceMessage();
Message IncompleteMessage(const std::string& timeLeft);
Message WriteErrorMessage(unsigned long error, const std::string& description);
Message TooLargeMessage(const std::string& announced);
// A redirect to `url` that was not followed, and what is wrong with its address.
Message RedirectRefusedMessage(const std::string& url, const std::string& why);
// The server's certificate `problem` ("is not trusted").
Message CertificateMessage(const std::string& problem);

// Status line texts.
inline constexpr char kGettingInfo[] = "Getting file information...";
inline constexpr char kResuming[] = "Resuming download...";
inline constexpr char kSaving[] = "Saving:";
inline constexpr char kCompleted[] = "Download completed!";
inline constexpr char kCancelling[] = "Cancelling...";

}  // namespace vt
