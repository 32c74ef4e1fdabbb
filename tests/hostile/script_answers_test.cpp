// Trace answers that are hostile script: a loop, an allocation without end,
// 50 MB of data. The JSON object gives up within its budget and works again
// at once; a whole query on such an answer ends and shows "no company".
#include <gtest/gtest.h>

#include <string>

#include "app/MemoryWindow.h"
#include "app/TrackingQuery.h"
#include "hostile/Hostile.h"
#include "platform/components/ScriptControl.h"
#include "script/ScriptJson.h"
#include "support/TestServer.h"

namespace {

struct HostileScript {
  const char* name;
  std::string answer;
};

// A JSONP answer of about 50 MB: valid data inside a callback the engine
// does not define.
std::string FiftyMegabyteAnswer() {
  std::string answer = "_jqjsp({\"status\":0,\"data\":[";
  const std::string record = "{\"time\":\"2024-05-01 16:30:00\",\"context\":\"padding padding\"},";
  while (answer.size() < 50'000'000) answer += record;
  answer.back() = ']';
  return answer + "})";
}

const std::vector<HostileScript>& HostileScripts() {
  static const std::vector<HostileScript> scripts = {
      {"loop", "_jqjsp((function(){for(;;){}})())"},
      {"allocation without end",
       "_jqjsp((function(){var a=[];for(var i=0;;i++){a.push(new Array(4096).join('x')+i)}})())"},
      {"50 MB", FiftyMegabyteAnswer()},
      // The engine's stack holds about half a million list items: past that
      // it would write beyond its end.
      {"a list of 600000 items", "[" +
                                     [] {
                                       std::string items;
                                       for (int i = 0; i < 600'000; ++i) items += "0,";
                                       return items;
                                     }() +
                                     "0]"},
  };
  return scripts;
}

// The most a call may take and hold, from the engine's own budget and cap.
double BudgetSeconds(const std::string& answer) {
  double mib = 2.0 * static_cast<double>(answer.size()) / static_cast<double>(kMiB);
  return (kScriptBudgetMs + kScriptBudgetMsPerMiB * mib) / 1000.0;
}
std::int64_t MemoryCap(const std::string& answer) {
  return kScriptMemoryCapBytes +
         kScriptMemoryPerTextByte * static_cast<std::int64_t>(answer.size());
}

TEST(HostileScript, ParseGivesUpWithinItsBudgetAndTheNextParseWorks) {
  ScriptJson json;
  for (const HostileScript& script : HostileScripts()) {
    std::int64_t base = StartMemoryWatch();
    Stopwatch watch;
    EXPECT_FALSE(json.Parse(script.answer)) << script.name;
    // The watchdog's own tick and tearing the engine down come on top.
    EXPECT_LT(watch.Seconds(), BudgetSeconds(script.answer) + 10) << script.name;
    EXPECT_LT(PeakGrowth(base), MemoryCap(script.answer) + 512 * kMiB) << script.name;
    EXPECT_EQ(json.ToJson(), "null") << script.name;
    EXPECT_TRUE(json.Parse("{\"next\":[1,2]}")) << script.name;
    EXPECT_EQ(json.ToJson(), "{\"next\":[1,2]}") << script.name;
  }
}

TEST(HostileScript, QueryOnAHostileAnswerEndsWithNoCompany) {
  TrustTestCa();
  TestServer detection;
  detection.SetReply({.body = "[{\"comCode\":\"vt\",\"id\":\"\",\"noCount\":1}]"});
  TestServer trace(TestCertKind::Good);
  const ServiceHosts hosts = {"127.0.0.1:" + std::to_string(detection.Port()),
                              "127.0.0.1:" + std::to_string(trace.Port())};
  // The 50 MB answer is left out here: the workflow's own text steps over it
  // take minutes, apart from the script.
  for (const HostileScript& script : HostileScripts()) {
    if (script.answer.size() > 10'000'000)
      continue;
    trace.SetReply({.body = script.answer});
    MemoryWindow window;
    window.SetText(ControlId::编辑框3, "VT1");
    Stopwatch watch;
    RunTrackingQuery(window, hosts);
    EXPECT_LT(watch.Seconds(), BudgetSeconds(script.answer) + 60) << script.name;
    EXPECT_EQ(window.GetText(ControlId::透明标签14), "") << script.name;
    EXPECT_EQ(window.GetText(ControlId::编辑框_日志1), Gbk("单号错误或暂时无物流信息"))
        << script.name;
    // The scratch box keeps the answer as it came: it was data, not a command.
    EXPECT_EQ(window.GetText(ControlId::编辑框4).size(), script.answer.size()) << script.name;
  }
  // The same process runs an ordinary query afterwards.
  trace.SetReply({.body = "_jqjsp({\"status\":0,\"message\":\"\",\"expTextName\":\"Kestrel\","
                          "\"data\":[{\"time\":\"2024-05-01 16:30:00\",\"context\":\"in\"}],"
                          "\"x\":1})"});
  MemoryWindow window;
  window.SetText(ControlId::编辑框3, "VT1");
  RunTrackingQuery(window, hosts);
  EXPECT_EQ(window.GetText(ControlId::透明标签14), "Kestrel");
  EXPECT_EQ(window.GetText(ControlId::编辑框_日志1), "2024-05-01 16:30:00  in\r\n");
}

}  // namespace
