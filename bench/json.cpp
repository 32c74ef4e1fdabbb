// The script-engine JSON object against nlohmann::json: engine set-up per
// object, and Parse then ToJson of a 10 MB trace answer against parse then
// dump of the same answer. Prints one Markdown section.
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/codepage/CodePage.h"
#include "platform/com/Com.h"
#include "script/ScriptJson.h"

#include "Timing.h"

namespace {

// A trace answer of at least `bytes` bytes in UTF-8, shaped like the
// service's: a status, a message and many event records.
std::string TraceAnswer(std::size_t bytes) {
  std::string text = "{\"message\":\"ok\",\"status\":\"200\",\"data\":[";
  for (int i = 0; text.size() < bytes; ++i) {
    if (i > 0)
      text += ",";
    text += "{\"time\":\"2024-03-" + std::to_string(10 + i % 18) +
            " 12:" + std::to_string(10 + i % 50) +
            ":00\",\"context\":\"快件已到达【深圳转运中心】，" + "正在发往下一站 " +
            std::to_string(i) + "\",\"location\":\"深圳\",\"n\":" + std::to_string(i) + ".5}";
  }
  return text + "]}";
}

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  CoInitialize(nullptr);

  std::printf("## Script-engine JSON object\n\n");
  std::printf(
      "Set-up of one ScriptJson (engine, loader script, empty document; construction and\n"
      "destruction) against nlohmann::json parsing \"{}\"; Parse then ToJson of a 10 MB trace\n"
      "answer (GBK in, GBK out) against nlohmann::json parse then dump of the same answer in\n"
      "UTF-8. Times in ms, median of runs.\n\n");
  std::printf("| case | Vantrel | nlohmann::json | ratio |\n|---|---|---|---|\n");

  double setup = MedianMs(30, [] { ScriptJson json; });
  double peerSetup = MedianMs(30, [] { auto j = nlohmann::json::parse("{}"); });
  std::printf("| set-up per object | %.2f | %.4f | %.0fx |\n", setup, peerSetup, setup / peerSetup);
  // On a busy machine wall time includes waiting for a core; CPU time does not.
  std::vector<double> cpu;
  for (int i = 0; i < 30; ++i) {
    double start = ThreadCpuMs();
    ScriptJson json;
    cpu.push_back(ThreadCpuMs() - start);
  }
  std::sort(cpu.begin(), cpu.end());
  std::printf("| set-up per object, CPU time of the thread | %.2f | | |\n", cpu[cpu.size() / 2]);

  const std::string utf8 = TraceAnswer(10u << 20);
  const TextValue gbk = GbkFromUtf8(utf8);
  std::size_t ourLength = 0;
  bool parsed = true;
  double ours = MedianMs(3, [&] {
    ScriptJson json;
    parsed = parsed && json.Parse(gbk);
    ourLength = json.ToJson().size();
  });
  std::size_t peerLength = 0;
  double peer = MedianMs(3, [&] { peerLength = nlohmann::json::parse(utf8).dump().size(); });
  std::printf("| Parse + ToJson, %.1f MB | %.0f | %.0f | %.1fx |\n",
              static_cast<double>(utf8.size()) / (1 << 20), ours, peer, ours / peer);
  if (!parsed || ourLength != gbk.size() || peerLength != utf8.size()) {
    std::printf("\nMISMATCH: parsed %d, output %zu of %zu bytes (peer %zu of %zu)\n", parsed,
                ourLength, gbk.size(), peerLength, utf8.size());
  }
  CoUninitialize();
  return 0;
}
