// WinHttpFetch over loopback against curl: a 64 MB body (throughput and peak
// memory against the body size) and 1,000 sequential small GETs. Every client
// runs as a process of its own, timed from start to exit, its peak memory the
// child's maximum resident set. Prints one Markdown section; with "--fetch"
// or "--gets" it is the fetching child.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "http/WinHttpFetch.h"
#include "support/TestServer.h"

extern char** environ;

namespace {

constexpr std::size_t kBodySize = 64u << 20;
constexpr int kBodyRuns = 5;
constexpr int kGets = 1000;
constexpr int kGetRuns = 3;
constexpr int kCurlProcesses = 100;

struct Measure {
  double seconds = 0;
  double peakMb = 0;
  bool ok = true;
};

// Runs argv to its end with stdout thrown away.
Measure Spawn(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  Measure m;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    m.ok = false;
  } else {
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    m.peakMb = usage.ru_maxrss / 1024.0;
    m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);
  return m;
}

// The median of `runs` measures, and whether every run succeeded.
Measure MedianOf(int runs, const std::function<Measure()>& run) {
  std::vector<double> seconds, peaks;
  bool ok = true;
  for (int i = 0; i < runs; ++i) {
    Measure m = run();
    ok = ok && m.ok;
    seconds.push_back(m.seconds);
    peaks.push_back(m.peakMb);
  }
  std::sort(seconds.begin(), seconds.end());
  std::sort(peaks.begin(), peaks.end());
  return {seconds[runs / 2], peaks[runs / 2], ok};
}

// As the tracking workflow calls it: the URL alone.
int FetchChild(const std::string& url, std::size_t expected) {
  return WinHttpFetch(url).size() == expected ? 0 : 1;
}

int GetsChild(const std::string& url, int count) {
  for (int i = 0; i < count; ++i) {
    if (WinHttpFetch(url) != "small")
      return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--fetch") == 0)
    return FetchChild(argv[2], std::strtoull(argv[3], nullptr, 10));
  if (argc == 4 && std::strcmp(argv[1], "--gets") == 0)
    return GetsChild(argv[2], std::atoi(argv[3]));

  // The big body goes out from one 1 MB block, so the server adds little
  // to this process and nothing to the clients.
  const std::string block(1u << 20, 'w');
  const std::string head =
      "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
      "Content-Length: " +
      std::to_string(kBodySize) + "\r\n\r\n";
  TestServer big;
  big.SetRawHandler([&](const RecordedRequest&, ServerConnection& connection) {
    connection.Send(head);
    for (std::size_t sent = 0; sent < kBodySize && connection.Send(block); sent += block.size()) {
    }
  });
  TestServer small;
  small.SetReply({.body = "small"});
  const std::string self = "/proc/self/exe";
  const std::string bigUrl = big.Url("/big"), smallUrl = small.Url("/small");

  const Measure ours = MedianOf(kBodyRuns, [&] {
    return Spawn({self, "--fetch", bigUrl, std::to_string(kBodySize)});
  });
  const Measure baseline = MedianOf(kBodyRuns, [&] {
    return Spawn({self, "--fetch", smallUrl, "5"});
  });
  const Measure curl = MedianOf(kBodyRuns, [&] {
    return Spawn({"/usr/bin/curl", "-s", "-f", "-o", "/dev/null", bigUrl});
  });

  const Measure oursGets = MedianOf(kGetRuns, [&] {
    return Spawn({self, "--gets", smallUrl, std::to_string(kGets)});
  });
  // curl as a user would loop it, one process per request: fewer of them,
  // reported per request.
  const Measure curlLoop = MedianOf(kGetRuns, [&] {
    Measure total;
    for (int i = 0; i < kCurlProcesses; ++i) {
      Measure m = Spawn({"/usr/bin/curl", "-s", "-f", "-o", "/dev/null", smallUrl});
      total.seconds += m.seconds;
      total.ok = total.ok && m.ok;
    }
    return total;
  });
  // curl given all the URLs at once, reusing its connection.
  char configPath[] = "/tmp/winhttp-bench-XXXXXX";
  int configFd = mkstemp(configPath);
  std::string config;
  for (int i = 0; i < kGets; ++i) config += "url = \"" + smallUrl + "\"\noutput = \"/dev/null\"\n";
  bool written = configFd >= 0 && write(configFd, config.data(), config.size()) ==
                                      static_cast<ssize_t>(config.size());
  if (configFd >= 0)
    close(configFd);
  const Measure curlOne = MedianOf(kGetRuns, [&] {
    return Spawn({"/usr/bin/curl", "-s", "-f", "-K", configPath});
  });
  unlink(configPath);

  const bool ok =
      ours.ok && baseline.ok && curl.ok && oursGets.ok && curlLoop.ok && curlOne.ok && written;
  const double mb = kBodySize / 1048576.0;
  const double oursRate = mb / ours.seconds, curlRate = mb / curl.seconds;
  const double oursPerGetMs = oursGets.seconds * 1000 / kGets;
  const double curlPerProcessMs = curlLoop.seconds * 1000 / kCurlProcesses;
  std::printf("## WinHttpFetch over loopback\n\n");
  std::printf(
      "`WinHttpFetch` called with the URL alone, as the tracking workflow calls it (the body\n"
      "is held whole and becomes the result text), against `curl -s -o /dev/null` on the same\n"
      "loopback URLs. Each client is a process of its own, timed from start to exit; peak\n"
      "memory is its maximum resident set, and the extra peak is WinHttpFetch's peak less that\n"
      "of the same program fetching 5 bytes. %d sequential small GETs: WinHttpFetch in one\n"
      "process (a new connection per call, as each call opens its own handles) against one\n"
      "curl process given all the URLs (it keeps its connection), and per GET against curl\n"
      "started once per GET (%d processes). Medians of %d runs (body) and %d runs (GETs).\n"
      "Throughput ratio: WinHttpFetch / curl, above 1 is faster; time and memory ratios:\n"
      "WinHttpFetch / curl, below 1 is less.%s\n\n",
      kGets, kCurlProcesses, kBodyRuns, kGetRuns,
      ok ? "" : " **A run failed: figures are not valid.**");
  std::printf("| measure | WinHttpFetch | curl | ratio |\n|---|---|---|---|\n");
  std::printf("| 64 MB body, throughput MB/s | %.0f | %.0f | %.2fx |\n", oursRate, curlRate,
              oursRate / curlRate);
  std::printf("| 64 MB body, peak memory MB | %.1f | %.1f | %.2fx |\n", ours.peakMb, curl.peakMb,
              ours.peakMb / curl.peakMb);
  std::printf("| 64 MB body, extra peak / body size | %.2fx | | |\n",
              (ours.peakMb - baseline.peakMb) / mb);
  std::printf("| %d GETs, s (curl: one process, all URLs) | %.2f | %.2f | %.2fx |\n", kGets,
              oursGets.seconds, curlOne.seconds, oursGets.seconds / curlOne.seconds);
  std::printf("| per GET, ms (curl: one process per GET) | %.2f | %.2f | %.2fx |\n", oursPerGetMs,
              curlPerProcessMs, oursPerGetMs / curlPerProcessMs);
  return ok ? 0 : 1;
}
