// WinInetFetch of a 64 MB body over loopback against curl on the same URL.
// Every client runs as its own process under /usr/bin/time, so wall time and
// peak memory (maximum resident set) are measured the same way for both.
// Prints one Markdown section; with "--fetch URL" it is the fetching child.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "Timing.h"
#include "http/WinInetFetch.h"
#include "support/TestServer.h"

extern char** environ;

namespace {

constexpr std::size_t kBodySize = 64u << 20;
constexpr int kRuns = 5;

struct Figures {
  std::vector<double> seconds;
  std::vector<double> peakMb;
  bool ok = true;
};

void RunTimed(std::vector<std::string> command, Figures& figures) {
  const std::string report = "/tmp/vantrel-bench-wininet-" + std::to_string(getpid());
  std::vector<std::string> args = {"/usr/bin/time", "-f", "%M", "-o", report};
  args.insert(args.end(), command.begin(), command.end());
  double seconds = 0;
  const int status = RunQuiet(std::move(args), &seconds);
  figures.seconds.push_back(seconds);
  double peakKb = 0;
  std::ifstream(report) >> peakKb;
  std::remove(report.c_str());
  figures.peakMb.push_back(peakKb / 1024.0);
  figures.ok = figures.ok && WIFEXITED(status) && WEXITSTATUS(status) == 0 && peakKb > 0;
}

double Rate(const Figures& figures) {
  return kBodySize / 1048576.0 / Median(figures.seconds);
}

void Row(const char* peer, const Figures& ours, const Figures& theirs) {
  std::printf("| %s | %.0f | %.0f | %.2fx | %.1f | %.1f |\n", peer, Rate(ours), Rate(theirs),
              Rate(ours) / Rate(theirs), Median(ours.peakMb), Median(theirs.peakMb));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--fetch") == 0) {
    return WinInetFetch(argv[2]).size() == kBodySize ? 0 : 1;
  }

  // The server sends from one buffer, so its process stays small.
  const std::string chunk(64 * 1024, 'v');
  const std::string head =
      "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
      std::to_string(kBodySize) + "\r\n\r\n";
  TestServer server;
  server.SetRawHandler([&](const RecordedRequest&, ServerConnection& connection) {
    bool sending = connection.Send(head);
    for (std::size_t sent = 0; sending && sent < kBodySize; sent += chunk.size()) {
      sending = connection.Send(chunk);
    }
  });
  const std::string url = server.Url("/body");
  const std::string self = "/proc/" + std::to_string(getpid()) + "/exe";
  const std::string memoryFile = "/dev/shm/vantrel-bench-wininet-body";

  Figures ours, curlNull, curlMemory;
  for (int i = 0; i < kRuns; ++i) {
    RunTimed({self, "--fetch", url}, ours);
    RunTimed({"curl", "-s", "--fail", "-o", "/dev/null", url}, curlNull);
    RunTimed({"curl", "-s", "--fail", "-o", memoryFile, url}, curlMemory);
    std::remove(memoryFile.c_str());
  }

  std::printf("## WinInetFetch, 64 MB body over loopback\n\n");
  std::printf(
      "`WinInetFetch` (its 1024-byte read loop; the body is returned in memory) against\n"
      "curl on the same loopback URL, writing to /dev/null and, to keep the body in memory\n"
      "as WinInetFetch does, to a file in /dev/shm. Each client is its own process, timed\n"
      "from start to exit; peak memory is its maximum resident set. Median of %d runs;\n"
      "a throughput ratio below 1 means slower than curl.%s\n\n",
      kRuns, ours.ok && curlNull.ok && curlMemory.ok ? "" : " **A run failed: not valid.**");
  std::printf(
      "| peer | WinInetFetch MB/s | peer MB/s | throughput ratio | WinInetFetch peak MB | peer "
      "peak MB |\n|---|---|---|---|---|---|\n");
  Row("`curl -s -o /dev/null`", ours, curlNull);
  Row("`curl -s -o /dev/shm/file`", ours, curlMemory);
  return 0;
}
