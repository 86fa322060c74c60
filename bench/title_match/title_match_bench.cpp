// TitleMatches against glibc's fnmatch (flags 0), measured in the same run:
//  (a) the first-start close list against a desktop's worth of window titles;
//  (b) star-heavy patterns that make a backtracking matcher blow up.
#include <fnmatch.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_titles.h"
#include "windows/title_match.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string kIe = " - Microsoft Internet Explorer";

std::vector<std::string> DefaultPatterns() {
  return {
      "\xA0" + kIe,
      "- -" + kIe,
      "--" + kIe,
      "*XCam2*" + kIe,
      "Ad" + kIe,
      "*Advertisement*" + kIe,
      "\\\\\\ Amazing Wireless Camera ////" + kIe,
      "Alert! Very Important Message" + kIe,
      "Award Confirmation!" + kIe,
      "http://ads.prize-parade.example/*",
      "Message Alert" + kIe,
  };
}

// The same pattern in fnmatch's syntax: '#' has no equivalent but a digit
// class, a backslash is an escape there, "[]" (nothing) is dropped and "[!]"
// (any one character) becomes '?'. Groups are otherwise copied as they are.
std::string ToFnmatch(const std::string& p) {
  std::string out;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const char c = p[i];
    if (c == '#') {
      out += "[0-9]";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (p.compare(i, 2, "[]") == 0) {
      ++i;
    } else if (p.compare(i, 3, "[!]") == 0) {
      out += '?';
      i += 2;
    } else if (c == '[') {
      const std::size_t close = p.find(']', i + 2);
      const std::size_t end = close == std::string::npos ? p.size() : close + 1;
      out.append(p, i, end - i);
      i = end - 1;
    } else {
      out += c;
    }
  }
  return out;
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// How many repetitions of `pass` run for a measurable while.
template <typename Pass>
int Calibrate(Pass&& pass) {
  int reps = 1;
  for (;;) {
    const auto start = Clock::now();
    for (int r = 0; r < reps; ++r) pass();
    if (SecondsSince(start) > 0.02) return reps;
    reps *= 2;
  }
}

template <typename Pass>
double TimeReps(Pass&& pass, int reps) {
  const auto start = Clock::now();
  for (int r = 0; r < reps; ++r) pass();
  return SecondsSince(start);
}

// Best of three timed sweeps of `pass`, in nanoseconds per call.
template <typename Pass>
double NsPerCall(Pass&& pass) {
  const int reps = Calibrate(pass);
  double best = 1e300;
  for (int trial = 0; trial < 3; ++trial) best = std::min(best, TimeReps(pass, reps));
  return best * 1e9 / reps;
}

volatile int g_sink;

void DefaultListVsDesktop() {
  const std::vector<std::string> patterns = DefaultPatterns();
  const std::vector<std::string> titles = vt::bench::DesktopTitles();
  std::vector<std::string> fn_patterns;
  for (const std::string& p : patterns) fn_patterns.push_back(ToFnmatch(p));
  const double pairs = static_cast<double>(patterns.size() * titles.size());

  int ours_hits = 0, fn_hits = 0, disagreements = 0;
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    for (const std::string& t : titles) {
      const bool ours = vt::TitleMatches(t, patterns[i]);
      const bool fn = fnmatch(fn_patterns[i].c_str(), t.c_str(), 0) == 0;
      ours_hits += ours;
      fn_hits += fn;
      disagreements += ours != fn;
    }
  }

  // Pattern by pattern over all titles, as a scan does. The two sides take
  // turns, so that a busy machine slows both alike; the best turn counts.
  auto ours_pass = [&] {
    int hits = 0;
    for (const std::string& p : patterns)
      for (const std::string& t : titles) hits += vt::TitleMatches(t, p);
    g_sink = hits;
  };
  auto fn_pass = [&] {
    int hits = 0;
    for (const std::string& p : fn_patterns)
      for (const std::string& t : titles) hits += fnmatch(p.c_str(), t.c_str(), 0) == 0;
    g_sink = hits;
  };
  const int ours_reps = Calibrate(ours_pass), fn_reps = Calibrate(fn_pass);
  double ours_s = 1e300, fn_s = 1e300;
  for (int turn = 0; turn < 15; ++turn) {
    ours_s = std::min(ours_s, TimeReps(ours_pass, ours_reps));
    fn_s = std::min(fn_s, TimeReps(fn_pass, fn_reps));
  }
  const double ours_ns = ours_s * 1e9 / (ours_reps * pairs);
  const double fn_ns = fn_s * 1e9 / (fn_reps * pairs);

  std::printf("(a) %zu default patterns x %zu window titles = %.0f pairs\n", patterns.size(),
              titles.size(), pairs);
  std::printf("    matches: TitleMatches %d, fnmatch %d, disagreements %d\n", ours_hits, fn_hits,
              disagreements);
  std::printf("    TitleMatches %8.1f ns/match\n", ours_ns);
  std::printf("    fnmatch      %8.1f ns/match\n", fn_ns);
  std::printf("    ratio TitleMatches/fnmatch %.2f\n\n", ours_ns / fn_ns);
}

// A matcher that backtracks recursively on every star can run for practically
// ever on these patterns, so fnmatch runs in a child process that an alarm stops.
constexpr unsigned kFnmatchBudgetSeconds = 2;

// Nanoseconds per fnmatch call, or a negative number when the budget ran out.
double FnmatchNsGuarded(const std::string& pattern, const std::string& title) {
  int fds[2];
  if (pipe(fds) != 0) return -2;
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    alarm(kFnmatchBudgetSeconds);
    auto call = [&] { g_sink = fnmatch(pattern.c_str(), title.c_str(), 0); };
    const auto start = Clock::now();
    call();
    double ns = SecondsSince(start) * 1e9;
    if (ns < 1e7) ns = NsPerCall(call);  // slow calls are timed once
    (void)!write(fds[1], &ns, sizeof ns);
    _exit(0);
  }
  close(fds[1]);
  double ns = -1;
  const bool got = child > 0 && read(fds[0], &ns, sizeof ns) == static_cast<ssize_t>(sizeof ns);
  close(fds[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return got ? ns : -1;
}

std::string Cell(double ns) {
  char text[32];
  if (ns < 0) {
    std::snprintf(text, sizeof text, "> %u s, stopped", kFnmatchBudgetSeconds);
  } else {
    std::snprintf(text, sizeof text, "%.0f ns", ns);
  }
  return text;
}

// Two endings: "*b" lets TitleMatches reject on the last character alone;
// "*[b]" ends in a group, so it goes through the general walk with a star
// retried at every position of the title.
void StarHeavyPatterns() {
  std::printf("(b) pattern \"*a\" x N then \"*b\" or \"*[b]\", against 'a' x L (no match)\n");
  std::printf("    %3s %6s | %10s %16s | %10s %8s %16s\n", "N", "L", "ours *b", "fnmatch *b",
              "ours *[b]", "ns/char", "fnmatch *[b]");
  const int lengths[] = {16, 128, 1000, 10000};
  const int stars[] = {1, 2, 4, 8, 40};
  bool fn_alive[2] = {true, true};
  for (int n : stars) {
    std::string plain;
    for (int i = 0; i < n; ++i) plain += "*a";
    const std::string ends[2] = {plain + "*b", plain + "*[b]"};
    for (int len : lengths) {
      const std::string title(static_cast<std::size_t>(len), 'a');
      double ours[2], fn[2];
      for (int e = 0; e < 2; ++e) {
        ours[e] = NsPerCall([&] { g_sink = vt::TitleMatches(title, ends[e]); });
        // Once fnmatch has run out of time, longer titles and more stars would too.
        fn[e] = fn_alive[e] ? FnmatchNsGuarded(ends[e], title) : -1;
        fn_alive[e] = fn[e] >= 0;
      }
      std::printf("    %3d %6d | %7.0f ns %16s | %7.0f ns %8.2f %16s\n", n, len, ours[0],
                  Cell(fn[0]).c_str(), ours[1], ours[1] / len, Cell(fn[1]).c_str());
    }
  }
}

}  // namespace

int main() {
  DefaultListVsDesktop();
  StarHeavyPatterns();
  return 0;
}
