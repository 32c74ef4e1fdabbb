// One whole tracking query against the demo service: vantrel-track as a
// process, side by side with what a user would otherwise run, the same two
// requests by curl with iconv turning the trace answer into GBK. Then the
// time curve over answers of 10 to 5,000 events, through vantrel-track and in
// the window (Qt's offscreen platform). Prints one Markdown section.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "Timing.h"
#include "app/QueryWindow.h"
#include "app/TrackingQuery.h"
#include "app/demo/DemoService.h"
#include "app/demo/TrustPem.h"
#include "platform/codepage/CodePage.h"
#include "platform/gui/MainWindow.h"

extern char** environ;

namespace {

constexpr int kRuns = 5;
constexpr const char* kTraceQuery =
    "?mailNo=619283317807&tk=3c90e5d1&tm=1523370764629&callback=_jqjsp&_1523370764630=";

// Seconds of one run of a program with its output thrown away; negative when
// it could not run or failed in a way the run does not expect.
double TimeProcess(std::vector<std::string> args) {
  double seconds = 0;
  const int status = RunQuiet(std::move(args), &seconds);
  return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) <= 1 ? seconds : -1;
}

double MedianOf(int runs, const std::function<double()>& once) {
  std::vector<double> values;
  for (int i = 0; i < runs; ++i) {
    const double seconds = once();
    if (seconds < 0) {
      return -1;
    }
    values.push_back(seconds);
  }
  return Median(values);
}

std::string Ms(double seconds) {
  if (seconds < 0) {
    return "failed";
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f ms", seconds * 1000);
  return text;
}

std::string Ratio(double ours, double peer) {
  if (ours < 0 || peer <= 0) {
    return "-";
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", ours / peer);
  return text;
}

struct Setup {
  DemoService demo;
  std::string program;
  std::string caFile;
};

std::vector<std::string> TrackArgs(const Setup& setup, const std::string& number) {
  return {setup.program,
          "--detection-host",
          setup.demo.DetectionHost(),
          "--trace-host",
          setup.demo.TraceHost(),
          "--ca-file",
          setup.caFile,
          number};
}

// What a user would run by hand: both requests, and iconv on the answer.
std::vector<std::string> PeerArgs(const Setup& setup, const std::string& number) {
  const std::string detection =
      "http://" + setup.demo.DetectionHost() + "/autonumber/autoComNum?text=" + number;
  const std::string trace =
      "https://" + setup.demo.TraceHost() + "/kestrel/" + number + kTraceQuery;
  return {"sh", "-c",
          "curl -s '" + detection + "' >/dev/null && curl -s --cacert '" + setup.caFile + "' '" +
              trace + "' | iconv -f UTF-8 -t GBK >/dev/null"};
}

// Seconds from the click to the end of the query in the window.
double TimeInWindow(const ServiceHosts& hosts, const std::string& number) {
  std::atomic<bool> finished = false;
  MainWindow window(QueryWindowEvents([&](WindowControls& controls) {
    RunTrackingQuery(controls, hosts);
    finished = true;
  }));
  window.show();
  window.SetText(ControlId::编辑框3, GbkFromUtf8(number));
  QElapsedTimer timer;
  timer.start();
  window.Click();
  while (!finished) {
    if (timer.elapsed() > 120000) {
      return -1;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return timer.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  QApplication application(argc, argv);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  Setup setup;
  setup.program =
      (std::filesystem::canonical("/proc/self/exe").parent_path() / "../src/vantrel-track")
          .lexically_normal()
          .string();
  const auto directory =
      std::filesystem::temp_directory_path() / ("vantrel-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(directory);
  setup.caFile = (directory / "demo-ca.pem").string();
  if (!setup.demo.Start() || !TrustPemText(setup.demo.CaPem())) {
    std::puts("## Tracking query\n\nThe demo service could not start.");
    return 1;
  }
  std::ofstream(setup.caFile) << setup.demo.CaPem();
  const ServiceHosts hosts{setup.demo.DetectionHost(), setup.demo.TraceHost()};
  if (argc == 3 && std::string(argv[1]) == "--window") {
    // One query in the window, for looking at a single size.
    std::printf("%s\n", Ms(TimeInWindow(hosts, argv[2])).c_str());
    std::_Exit(0);
  }

  std::puts("## Tracking query");
  std::puts("");
  std::printf(
      "One whole query against the demo service on loopback: `vantrel-track` (a process each "
      "run: script engine, both requests, conversion, patterns, sort) against the same two "
      "requests made by `curl` with `iconv -f UTF-8 -t GBK` on the trace answer (a shell "
      "pipeline each run). Then answers of 10 to 5,000 events: `vantrel-track`, and the query "
      "in the window from click to end (offscreen, in process), against curl + iconv on the "
      "same answer. Medians of %d runs (3 for 5,000 events); ratio = vantrel-track / curl + "
      "iconv. The window runs once at 5,000 events.\n",
      kRuns);
  std::puts("");
  std::puts("| answer | vantrel-track | window | curl + iconv | ratio |");
  std::puts("|---|---|---|---|---|");
  struct Answer {
    std::string number;
    std::string label;
    int events;
  };
  const std::vector<Answer> answers = {{"VT100001", "4 events (VT100001)", 4},
                                       {"VTE10", "10 events", 10},
                                       {"VTE100", "100 events", 100},
                                       {"VTE1000", "1,000 events", 1000},
                                       {"VTE5000", "5,000 events", 5000}};
  for (const auto& [number, label, events] : answers) {
    const int runs = number == "VTE5000" ? 3 : kRuns;
    const double ours = MedianOf(runs, [&] { return TimeProcess(TrackArgs(setup, number)); });
    // One run of the longest answer in the window keeps the benchmark short.
    const double window =
        MedianOf(events >= 5000 ? 1 : runs, [&] { return TimeInWindow(hosts, number); });
    const double peer = MedianOf(runs, [&] { return TimeProcess(PeerArgs(setup, number)); });
    std::printf("| %s | %s | %s | %s | %s |\n", label.c_str(), Ms(ours).c_str(), Ms(window).c_str(),
                Ms(peer).c_str(), Ratio(ours, peer).c_str());
  }
  std::filesystem::remove_all(directory);
  std::fflush(stdout);
  // The window's workers are detached; leave without static destruction.
  std::_Exit(0);
}
