// TitleMatches against glibc's fnmatch (flags 0), measured in the same run:
//  (a) the first-start close list against a desktop's worth of window titles;
//  (b) star-heavy patterns that make a backtracking matcher blow up.
#include <fnmatch.h>
#include <signal.h>
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

// Best of several timed sweeps of `pass`, each repeated until it has run for a
// while; returns nanoseconds per call, given `calls` calls per pass.
template <typename Pass>
double NsPerCall(Pass&& pass, double calls) {
  int reps = 1;
  for (;;) {
    const auto start = Clock::now();
    for (int r = 0; r < reps; ++r) pass();
    if (SecondsSince(start) > 0.05) break;
    reps *= 2;
  }
  double best = 1e300;
  for (int trial = 0; trial < 5; ++trial) {
    const auto start = Clock::now();
    for (int r = 0; r < reps; ++r) pass();
    best = std::min(best, SecondsSince(start) * 1e9 / (reps * calls));
  }
  return best;
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

  // Pattern by pattern over all titles, as a scan does.
  const double ours_ns = NsPerCall(
      [&] {
        int hits = 0;
        for (const std::string& p : patterns)
          for (const std::string& t : titles) hits += vt::TitleMatches(t, p);
        g_sink = hits;
      },
      pairs);
  const double fn_ns = NsPerCall(
      [&] {
        int hits = 0;
        for (const std::string& p : fn_patterns)
          for (const std::string& t : titles) hits += fnmatch(p.c_str(), t.c_str(), 0) == 0;
        g_sink = hits;
      },
      pairs);

  std::printf("(a) %zu default patterns x %zu window titles = %.0f pairs\n", patterns.size(),
              titles.size(), pairs);
  std::printf("    matches: TitleMatches %d, fnmatch %d, disagreements %d\n", ours_hits, fn_hits,
              disagreements);
  std::printf("    TitleMatches %8.1f ns/match\n", ours_ns);
  std::printf("    fnmatch      %8.1f ns/match\n", fn_ns);
  std::printf("    ratio TitleMatches/fnmatch %.2f\n\n", ours_ns / fn_ns);
}

// fnmatch backtracks recursively on every star, so one call may run for
// practically ever; it runs in a child process that an alarm stops.
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
    if (ns < 1e7) ns = NsPerCall(call, 1);  // slow calls are timed once
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

void StarHeavyPatterns() {
  std::printf("(b) pattern \"*a\" x N then \"*b\" against 'a' x L (no match)\n");
  std::printf("    %3s %6s | %14s %10s | %14s\n", "N", "L", "TitleMatches", "ns/char", "fnmatch");
  const int lengths[] = {16, 32, 64, 128, 1000, 10000};
  const int stars[] = {1, 2, 3, 4, 8, 40};
  bool fn_row_alive = true;
  for (int n : stars) {
    std::string pattern;
    for (int i = 0; i < n; ++i) pattern += "*a";
    pattern += "*b";
    bool fn_alive = fn_row_alive;
    for (int len : lengths) {
      const std::string title(static_cast<std::size_t>(len), 'a');
      const double ours = NsPerCall([&] { g_sink = vt::TitleMatches(title, pattern); }, 1);
      char fn_text[40];
      if (!fn_alive) {
        std::snprintf(fn_text, sizeof fn_text, "not run");
      } else {
        const double fn = FnmatchNsGuarded(pattern, title);
        if (fn < 0) {
          std::snprintf(fn_text, sizeof fn_text, "> %u s, stopped", kFnmatchBudgetSeconds);
          fn_alive = false;
          if (len == lengths[0]) fn_row_alive = false;
        } else {
          std::snprintf(fn_text, sizeof fn_text, "%.0f ns", fn);
        }
      }
      std::printf("    %3d %6d | %11.0f ns %10.2f | %14s\n", n, len, ours, ours / len, fn_text);
    }
  }
  std::printf("    (\"not run\": a shorter title or fewer stars already ran out of time)\n");
}

}  // namespace

int main() {
  DefaultListVsDesktop();
  StarHeavyPatterns();
  return 0;
}
