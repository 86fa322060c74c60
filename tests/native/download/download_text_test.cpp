#include <gtest/gtest.h>

#include "download/download_format.h"
#include "download/download_rules.h"

namespace {

// What the dialog's labels show; file and URL names are read back from them under Wine.
TEST(DownloadText, SizesTimesNamesAndLabels) {
  const auto chars = [](const std::string& s) { return static_cast<int>(s.size()); };
  const struct {
    std::string got;
    const char *want, *why;
  } rows[] = {
      {vt::FormatFileSize(0), "0 bytes", "bottom of the bytes band"},
      {vt::FormatFileSize(1023), "1023 bytes", "top of the bytes band"},
      {vt::FormatFileSize(1024), "1 KB", "bottom of KB"},
      {vt::FormatFileSize(2560), "3 KB", "###0 rounds the half away from zero"},
      {vt::FormatFileSize(1048575), "1024 KB", "top of KB rounds up, still KB"},
      {vt::FormatFileSize(1048575.5), "", "a fraction between KB and MB"},
      {vt::FormatFileSize(1048576), "1.0 MB", "bottom of MB keeps one decimal"},
      {vt::FormatFileSize(1073741823), "1024.0 MB", "top of MB"},
      {vt::FormatFileSize(1073741824), "1.0 GB", "GB band"},
      {vt::FormatFileSize(-1), "", "negative"},
      {vt::FormatTime(0), "0 sec", "zero"},
      {vt::FormatTime(59), "59 sec", "top of seconds"},
      {vt::FormatTime(59.5f), "0 hr 1 min", "a fraction above 59 falls to hours"},
      {vt::FormatTime(60), "1 min 0 sec", "bottom of minutes"},
      {vt::FormatTime(60.5f), "1 min 0 sec", "half rounds to even (60), mod 60"},
      {vt::FormatTime(61.5f), "1 min 2 sec", "half rounds to even (62)"},
      {vt::FormatTime(3599), "59 min 59 sec", "top of minutes"},
      {vt::FormatTime(3600), "1 hr 0 min", "bottom of hours"},
      {vt::FormatTime(5430), "1 hr 30 min", "90.5 minutes round to even 90"},
      {vt::FormatTime(-5), "-1 hr 0 min", "negative falls to hours with the floor"},
      {vt::FormatTime(1.0f / 0.0f), "unknown", "no rate yet"},
      {vt::FitText("abcdefghijk", 3, chars), "abcdefghijk", "11 characters: N = 3, unchanged"},
      {vt::FitText("abcdefghijkl", 3, chars), "abcd...ijkl", "12 characters: N = 4, one round"},
      {vt::FitText("0123456789abcdefghij", 13, chars), "01234...fghij", "N goes 8, 7, 6, 5"},
      {vt::FitText("0123456789abcdefghij", 1, chars), "0123...ghij", "stops at N = 4"},
      {vt::ReturnFileOrFolder("C:\\a\\b\\setup.exe", false), "C:\\a\\b\\", "the folder"},
      {vt::ReturnFileOrFolder("setup.exe", false), "setup.exe", "no separator: unchanged"},
      {vt::QualifyPath("C:"), "C:\\", "a backslash added"},
      {vt::QualifyPath("C:\\"), "C:\\", "not a second one"},
      {vt::ProgressCaption(42, 100, "setup.exe"), "42% of setup.exe Completed", "its words"},
      {vt::ProgressCaption(2, 3, "a"), "67% of a Completed", "the percentage rounded"},
      {vt::TimeLabelText(130, 1024, 1572864), "2 min 10 sec (1 KB of 1.5 MB copied)", "order"},
      {vt::RateLabelText(12595.2f), "12.3 KB/Sec", "KB with one decimal"},
      {vt::RateLabelText(500.5f), "500.5 bytes/Sec", "general format: the pattern unused"},
      {vt::RangeHeader(vt::ResumeOffset(10000)), "Range: bytes=5904-\r\n", "4 KB before the end"},
  };
  for (const auto& r : rows) EXPECT_EQ(r.got, r.want) << r.why;
  EXPECT_EQ(vt::ResumeOffset(4097), 1);
  EXPECT_EQ(vt::ResumeOffset(3000), 0);
}

TEST(DecideReply, StatusAtCharactersTenToTwelve) {
  const struct {
    std::string head;
    vt::Reply reply;
    std::string firstLine, why;
  } rows[] = {
      {"HTTP/1.0 206 Partial\r\n", vt::Reply::kPartial, "", "the code, whatever the version"},
      {"HTTP/1.1 \r\nServer: x\r\n", vt::Reply::kNoConnection, "", "end of line at the code"},
      {"HTTP/1.1 500 Oops\r\nServer: x\r\n", vt::Reply::kOther, "HTTP/1.1 500 Oops\r",
       "other: the first line up to its CR"},
      {"HTTP/1.1 2000 OK\r\n", vt::Reply::kWhole, "", "only three characters are read"},
      {"HTTP/1.1 500", vt::Reply::kOther, "<nothing>", "no CR at all"},
      {"", vt::Reply::kOther, "<nothing>", "empty block"},
  };
  for (const auto& r : rows) {
    const auto d = vt::DecideReply(r.head);
    EXPECT_EQ(d.reply, r.reply) << r.why;
    EXPECT_EQ(d.firstLine, r.firstLine) << r.why;
  }
}

TEST(ContentLength, WholeNumbersOnly) {
  EXPECT_EQ(vt::ContentLength(" 12 "), 12);
  EXPECT_EQ(vt::ContentLength("12.5"), 13) << "rounded";
  EXPECT_EQ(vt::ContentLength(""), 0) << "missing";
  EXPECT_EQ(vt::ContentLength("abc"), 0) << "not a number";
  EXPECT_EQ(vt::ContentLength("12abc"), 0) << "not a number";
  EXPECT_EQ(vt::ContentLength("4294967296"), 4294967296LL) << "kept whole, refused by the caller";
}

TEST(DownloadMessages, TextsTitlesAndCodes) {
  const struct {
    vt::Message m;
    const char* title;
    unsigned code;  // buttons + icon
    std::string text;
  } rows[] = {
      {vt::UnableToResumeMessage(), "Unable to Resume Download", 4 + 48,
       "The server is unable to resume this download.\r\rDo you want to continue anyway?"},
      {vt::NoContentMessage(), "No Content", 0 + 64, "Nothing to download!"},
      {vt::UnauthorizedMessage(), "Unauthorized", 0 + 16, "Authorization failed!"},
      {vt::NotFoundMessage("http://h/a"), "File Not Found", 0 + 16,
       "The file, \"http://h/a\" was not found!"},
      {vt::NoConnectionMessage(), "Cannot Establish Connection", 0 + 48,
       "Cannot establish connection.\r\rCheck your Internet connection and try again."},
      {vt::ServerResponseMessage("HTTP/1.1 500 x\r"), "Error Downloading File", 0 + 16,
       "The server returned the following response:\r\rHTTP/1.1 500 x\r"},
      {vt::DiskSpaceMessage(), "Insufficient Disk Space", 0 + 16,
       "There is not enough free space on disk for this file.\r\rPlease free up some disk space "
       "and try again."},
      {vt::IncompleteMessage("2 min 10 sec"), "Download Incomplete", 5 + 48,
       "The connection with the server was reset.\r\rClick \"Retry\" to resume downloading the "
       "file.\r(Approximate time remaining: 2 min 10 sec)\r\rClick \"Cancel\" to cancel "
       "downloading the file."},
      {vt::WriteErrorMessage(5, "Access is denied."), "Error Downloading File", 0 + 16,
       "Cannot write file to disk.\r\rError 5: Access is denied."},
      {vt::TooLargeMessage("5000000000"), "File Too Large", 0 + 16,
       "The file is too large to download.\r\rThe server announced 5000000000 bytes; the "
       "largest file this program can fetch is 2147483647 bytes."},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(r.m.title, r.title);
    EXPECT_EQ(r.m.code, r.code) << r.title;
    EXPECT_EQ(r.m.text, r.text) << r.title << ": breaks are a single CR";
  }
}

}  // namespace
