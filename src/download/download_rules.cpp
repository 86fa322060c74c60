#include "download/download_rules.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace vt {

ReplyDecision DecideReply(const std::string& headerBlock) {
  ReplyDecision d{Reply::kOther, headerBlock.size() > 9 ? headerBlock.substr(9, 3) : "", ""};
  const std::string& s = d.statusText;
  if (s == "200")
    d.reply = Reply::kWhole;
  else if (s == "206")
    d.reply = Reply::kPartial;
  else if (s == "204")
    d.reply = Reply::kNoContent;
  else if (s == "401")
    d.reply = Reply::kUnauthorized;
  else if (s == "404")
    d.reply = Reply::kNotFound;
  else if (s.rfind("\r\n", 0) == 0)
    d.reply = Reply::kNoConnection;
  if (d.reply == Reply::kOther) {
    const std::size_t cr = headerBlock.find('\r');
    d.firstLine = cr == std::string::npos ? "<nothing>" : headerBlock.substr(0, cr + 1);
  }
  return d;
}

std::int64_t ContentLength(const std::string& value) {
  const char* begin = value.c_str();
  while (*begin == ' ' || *begin == '\t') ++begin;
  if (!std::isdigit(static_cast<unsigned char>(*begin)) && *begin != '.') return 0;
  char* end = nullptr;
  const double v = std::strtod(begin, &end);
  for (; *end; ++end) {
    if (!std::isspace(static_cast<unsigned char>(*end))) return 0;
  }
  if (!std::isfinite(v) || v < 0) return 0;
  if (v > 9e18) return INT64_MAX;
  return std::llround(v);
}

std::string RangeHeader(std::int64_t from) {
  return "Range: bytes=" + std::to_string(from) + "-\r\n";
}

Message UnableToResumeMessage() {
  return {"The server is unable to resume this download.\r\rDo you want to continue anyway?",
          "Unable to Resume Download", kMbYesNo | kMbExclamation};
}

Message NoContentMessage() {
  return {"Nothing to download!", "No Content", kMbOk | kMbInformation};
}

Message UnauthorizedMessage() {
  return {"Authorization failed!", "Unauthorized", kMbOk | kMbCritical};
}

Message NotFoundMessage(const std::string& url) {
  return {"The file, \"" + url + "\" was not found!", "File Not Found", kMbOk | kMbCritical};
}

Message NoConnectionMessage() {
  return {"Cannot establish connection.\r\rCheck your Internet connection and try again.",
          "Cannot Establish Connection", kMbOk | kMbExclamation};
}

Message ServerResponseMessage(const std::string& firstLine) {
  return {"The server returned the following response:\r\r" + firstLine, "Error Downloading File",
          kMbOk | kMbCritical};
}

Message DiskSpaceMessage() {
  return {
      "There is not enough free space on disk for this file.\r\rPlease free up some disk "
      "space and try again.",
      "Insufficient Disk Space", kMbOk | kMbCritical};
}

Message IncompleteMessage(const std::string& timeLeft) {
  return {
      "The connection with the server was reset.\r\rClick \"Retry\" to resume downloading the "
      "file.\r(Approximate time remaining: " +
          timeLeft + ")\r\rClick \"Cancel\" to cancel downloading the file.",
      "Download Incomplete", kMbRetryCancel | kMbExclamation};
}

Message WriteErrorMessage(unsigned long error, const std::string& description) {
  return {"Cannot write file to disk.\r\rError " + std::to_string(error) + ": " + description,
          "Error Downloading File", kMbOk | kMbCritical};
}

Message TooLargeMessage(const std::string& announced) {
  return {"The file is too large to download.\r\rThe server announced " + announced +
              " bytes; the largest file this program can fetch is 2147483647 bytes.",
          "File Too Large", kMbOk | kMbCritical};
}

Message RedirectRefusedMessage(const std::string& url, const std::string& why) {
  return {"The download was redirected to\r\r" + url + "\r\rwhose address " + why +
              ". Nothing was downloaded.",
          "Redirect Refused", kMbOk | kMbCritical};
}

Message CertificateMessage(const std::string& problem) {
  return {"Cannot establish a secure connection.\r\rThe server's certificate " + problem + ".",
          "Cannot Establish Connection", kMbOk | kMbCritical};
}

}  // namespace vt
