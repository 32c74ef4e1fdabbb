// The tracking query on the in-memory window: every outcome, the edge cases
// of the answers' forms, the requests as the services receive them, and the
// exact sequence of control operations.
#include <thread>

#include <gtest/gtest.h>

#include "TrackFixture.h"
#include "platform/com/Com.h"
#include "support/TestServer.h"

namespace {

constexpr const char* kTraceQuery =
    "?mailNo=619283317807&tk=3c90e5d1&tm=1523370764629&callback=_jqjsp&_1523370764630=";

std::vector<TextValue> LinesOf(const TextValue& log) {
  std::vector<TextValue> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = log.find("\r\n", start)) != TextValue::npos; start = end + 2) {
    lines.push_back(log.substr(start, end - start));
  }
  if (start < log.size()) {
    lines.push_back(log.substr(start));
  }
  return lines;
}

TEST(TrackingQuery, EveryOutcomeOfTheDemoNumbers) {
  DemoService& demo = SharedDemo();
  for (const OutcomeRow& row : OutcomeRows()) {
    SCOPED_TRACE(row.number);
    const QueryOutcome outcome = RunOnMemoryWindow(row.number, DemoHosts(demo));
    EXPECT_EQ(outcome.status, Gbk(row.status));
    EXPECT_EQ(outcome.log, Gbk(row.log));
  }
}

TEST(TrackingQuery, ScratchBoxKeepsTheConvertedAnswerWithTheListEndReplaced) {
  DemoService& demo = SharedDemo();
  const std::string answer = DemoCatalogue().at("VT100001").traceAnswer;
  ASSERT_NE(answer.find("\"}],"), std::string::npos);
  std::string expected = answer;
  expected.replace(expected.find("\"}],"), 4, "\"},");

  EXPECT_EQ(RunOnMemoryWindow("VT100001", DemoHosts(demo)).scratch, Gbk(expected));
}

// Only the replacement in the scratch box gives the last record the ending
// that the context pattern looks for: a single event shows it plainly.
TEST(TrackingQuery, TheLastAndOnlyEventIsFound) {
  DemoService& demo = SharedDemo();
  DemoTrace trace{
      0, "", "kestrel", "ONE1", true, "隼鸟快运", {{"2024-01-02 03:04:05", "", "已签收"}}};
  demo.SetCase("ONE1", {"kestrel", DemoDetectionAnswer("kestrel"), DemoTraceAnswer(trace)});

  EXPECT_EQ(RunOnMemoryWindow("ONE1", DemoHosts(demo)).log, Gbk("2024-01-02 03:04:05  已签收\r\n"));
}

TEST(TrackingQuery, EventsWithoutATimeBeginWithTwoBlanks) {
  const QueryOutcome outcome = RunOnMemoryWindow("VT200002", DemoHosts(SharedDemo()));
  const std::vector<TextValue> lines = LinesOf(outcome.log);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], Gbk("2024-05-07 15:00:00  【南京市】快件已签收"));
  EXPECT_EQ(lines[1], Gbk("2024-05-07 09:30:00  【南京市】正在派件"));
  EXPECT_EQ(lines[2], Gbk("  【南京市】网点补录：包裹外包装完好"));
}

TEST(TrackingQuery, EqualTimeStampsAreOrderedByDescriptionAndEscapesStay) {
  DemoService& demo = SharedDemo();
  DemoTrace trace{0,
                  "",
                  "heron",
                  "SAME1",
                  true,
                  "苍鹭速递",
                  {{"2024-02-01 10:00:00", "", "Alpha \\\"quoted\\\" C:\\\\box \\u4e2d"},
                   {"2024-02-01 10:00:00", "", "Charlie"},
                   {"2024-02-01 10:00:00", "", "Bravo"},
                   {"2024-02-01 09:00:00", "", "Zulu earlier"}}};
  demo.SetCase("SAME1", {"heron", DemoDetectionAnswer("heron"), DemoTraceAnswer(trace)});

  EXPECT_EQ(RunOnMemoryWindow("SAME1", DemoHosts(demo)).log,
            "2024-02-01 10:00:00  Charlie\r\n"
            "2024-02-01 10:00:00  Bravo\r\n"
            "2024-02-01 10:00:00  Alpha \\\"quoted\\\" C:\\\\box \\u4e2d\r\n"
            "2024-02-01 09:00:00  Zulu earlier\r\n");
}

TEST(TrackingQuery, DemoEscapesAndChineseTextStandAsSent) {
  const QueryOutcome outcome = RunOnMemoryWindow("VT200001", DemoHosts(SharedDemo()));
  const std::vector<TextValue> lines = LinesOf(outcome.log);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], Gbk("2024-05-06 11:00:00  【广州市】已放入\\\"南门\\\"快递柜，路径 "
                          "D:\\\\柜\\\\A3，取件码 \\u0038\\u0031"));
  EXPECT_EQ(outcome.status, Gbk("隼鸟快运"));
}

TEST(TrackingQuery, ManyEventsComeOutNewestFirstWithoutMarkup) {
  const QueryOutcome outcome = RunOnMemoryWindow("VTE300", DemoHosts(SharedDemo()));
  const std::vector<TextValue> lines = LinesOf(outcome.log);
  ASSERT_EQ(lines.size(), 300u);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    ASSERT_GT(lines[i - 1].substr(0, 19), lines[i].substr(0, 19)) << i;
  }
  EXPECT_EQ(outcome.log.find("<i>"), TextValue::npos);
  EXPECT_EQ(outcome.log.find("<\\/i>"), TextValue::npos);
  EXPECT_EQ(lines.back(), Gbk("2024-03-01 08:00:00  【上海市】第1站：快件已揽收"));
}

// Both requests exactly as the two fetch functions build them, against
// servers that record every byte; detection unreachable sends "//".
TEST(TrackingQuery, RequestsAsTheServicesReceiveThem) {
  TestServer detection;
  TestServer trace(TestCertKind::Good);
  TrustTestCa();
  detection.SetReply({.body = DemoDetectionAnswer("kestrel")});
  DemoTrace answer{0, "", "kestrel", "VT-1", true, "隼鸟快运", {{"2024-01-01 00:00:00", "", "x"}}};
  trace.SetReply({.body = DemoTraceAnswer(answer)});
  const std::string detectionHost = "127.0.0.1:" + std::to_string(detection.Port());
  const std::string traceHost = "127.0.0.1:" + std::to_string(trace.Port());

  const QueryOutcome outcome = RunOnMemoryWindow("VT-1", {detectionHost, traceHost});
  EXPECT_EQ(outcome.status, Gbk("隼鸟快运"));

  ASSERT_EQ(detection.RequestCount(), 1u);
  const RecordedRequest asked = detection.LastRequest();
  EXPECT_EQ(asked.requestLine, "GET /autonumber/autoComNum?text=VT-1 HTTP/1.1");
  EXPECT_EQ(
      asked.headerLines,
      (std::vector<std::string>{
          "Host: " + detectionHost,
          "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)",
          "Accept: text/html, application/xhtml+xml, */*", "Accept-Encoding: gbk, GB2312",
          "Accept-Language: zh-cn", "Cache-Control: no-cache"}));

  ASSERT_EQ(trace.RequestCount(), 1u);
  const RecordedRequest traced = trace.LastRequest();
  const std::string target = std::string("/kestrel/VT-1") + kTraceQuery;
  EXPECT_EQ(traced.requestLine, "GET " + target + " HTTP/1.1");
  EXPECT_EQ(
      traced.headerLines,
      (std::vector<std::string>{
          "Host: " + traceHost, "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)",
          "Accept: */*", "Referer: https://" + traceHost + target, "Accept-Language: zh-cn"}));
}

TEST(TrackingQuery, UnreachableDetectionStillAsksTheTraceWithAnEmptyCode) {
  TestServer trace(TestCertKind::Good);
  TrustTestCa();
  DemoTrace answer{0, "", "", "VT9", true, "隼鸟快运", {{"2024-01-01 00:00:00", "", "x"}}};
  trace.SetReply({.body = DemoTraceAnswer(answer)});
  const std::string closed = "127.0.0.1:" + std::to_string(UnusedLoopbackPort());

  const QueryOutcome outcome =
      RunOnMemoryWindow("VT9", {closed, "127.0.0.1:" + std::to_string(trace.Port())});

  ASSERT_EQ(trace.RequestCount(), 1u);
  EXPECT_EQ(trace.LastRequest().requestLine, std::string("GET //VT9") + kTraceQuery + " HTTP/1.1");
  EXPECT_EQ(outcome.status, Gbk("隼鸟快运"));
  EXPECT_EQ(outcome.log, "2024-01-01 00:00:00  x\r\n");
}

// Records the control operations, to check that a query reaches the window
// only through them, in the order of its steps, and skips none.
class RecordingWindow : public MemoryWindow {
 public:
  std::vector<std::string> operations;

  TextValue GetText(ControlId id) override {
    operations.push_back("get " + Name(id));
    return MemoryWindow::GetText(id);
  }
  void SetText(ControlId id, const TextValue& text) override {
    operations.push_back("set " + Name(id));
    MemoryWindow::SetText(id, text);
  }
  void AppendText(ControlId id, const TextValue& text) override {
    operations.push_back("append " + Name(id));
    MemoryWindow::AppendText(id, text);
  }
  void SetSelectionStart(ControlId id, int offset) override {
    operations.push_back("select " + Name(id) + " " + std::to_string(offset));
    MemoryWindow::SetSelectionStart(id, offset);
  }

 private:
  static std::string Name(ControlId id) {
    switch (id) {
      case ControlId::编辑框3:
        return "number";
      case ControlId::编辑框_日志1:
        return "log";
      case ControlId::透明标签14:
        return "status";
      case ControlId::编辑框4:
        return "scratch";
      default:
        return "other";
    }
  }
};

TEST(TrackingQuery, ControlOperationsFollowTheStepsAndNoneIsSkipped) {
  const std::vector<std::string> head = {"set log",     "get number", "get number",
                                         "append log",  "set status", "append scratch",
                                         "get scratch", "set scratch"};
  const std::vector<std::string> perEvent = {"append log", "get log", "set log",
                                             "get log",    "set log", "select log 1"};
  struct Case {
    const char* number;
    bool detectionReachable;
    int events;
    bool message;
    bool noCompany;
  };
  for (const Case c :
       {Case{"VT100005", true, 2, true, false}, Case{"VT100003", true, 0, false, false},
        Case{"VT100001", false, 0, false, true}}) {
    SCOPED_TRACE(c.number);
    DemoService& demo = SharedDemo();
    ServiceHosts hosts = DemoHosts(demo);
    if (!c.detectionReachable) {
      hosts.detectionHost = "127.0.0.1:" + std::to_string(UnusedLoopbackPort());
    }
    RecordingWindow window;
    window.MemoryWindow::SetText(ControlId::编辑框3, c.number);
    RunTrackingQuery(window, hosts);

    std::vector<std::string> expected = head;
    if (c.message) {
      expected.push_back("set status");
    }
    expected.insert(expected.end(), {"get scratch", "get scratch"});
    for (int i = 0; i < c.events; ++i) {
      expected.insert(expected.end(), perEvent.begin(), perEvent.end());
    }
    expected.insert(expected.end(), {"get log", "set log", "get status"});
    if (c.noCompany) {
      expected.push_back("append log");
    }
    EXPECT_EQ(window.operations, expected);
  }
}

TEST(TrackingQuery, QueriesOnTwoThreadsKeepTheirOwnResultsAndComCounts) {
  DemoService& demo = SharedDemo();
  QueryOutcome first, second;
  int comLeftFirst = -1, comLeftSecond = -1;
  std::thread a([&] {
    first = RunOnMemoryWindow("VTE200", DemoHosts(demo));
    comLeftFirst = ComNestingCount();
  });
  std::thread b([&] {
    second = RunOnMemoryWindow("VT200002", DemoHosts(demo));
    comLeftSecond = ComNestingCount();
  });
  a.join();
  b.join();
  EXPECT_EQ(LinesOf(first.log).size(), 200u);
  EXPECT_EQ(LinesOf(second.log).size(), 3u);
  EXPECT_EQ(second.status, Gbk("苍鹭速递"));
  EXPECT_EQ(comLeftFirst, 0);
  EXPECT_EQ(comLeftSecond, 0);
}

}  // namespace
