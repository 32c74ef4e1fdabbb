// Shared by the tracking-query tests: the demo service (trusted together
// with the test CA), the outcome every demo number must give, and a query run
// on an in-memory window.
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/MemoryWindow.h"
#include "app/TrackingQuery.h"
#include "app/demo/DemoService.h"
#include "app/demo/TrustPem.h"
#include "platform/codepage/CodePage.h"
#include "support/TestPki.h"

inline TextValue Gbk(const std::string& utf8) {
  return GbkFromUtf8(utf8);
}

// The transport keeps one extra trust list: give it both authorities.
inline void TrustDemoAndTestCa(const DemoService& demo) {
  std::ifstream file(TestCaPemPath(), std::ios::binary);
  const std::string testCa{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ASSERT_TRUE(TrustPemText(demo.CaPem() + testCa));
}

// One demo service for a whole test program.
inline DemoService& SharedDemo() {
  static DemoService* demo = [] {
    auto* service = new DemoService;
    EXPECT_TRUE(service->Start());
    return service;
  }();
  TrustDemoAndTestCa(*demo);
  return *demo;
}

inline ServiceHosts DemoHosts(const DemoService& demo) {
  return {demo.DetectionHost(), demo.TraceHost()};
}

struct QueryOutcome {
  TextValue status;
  TextValue log;
  TextValue scratch;
};

inline QueryOutcome RunOnMemoryWindow(const std::string& number, const ServiceHosts& hosts) {
  MemoryWindow window;
  window.SetText(ControlId::编辑框3, Gbk(number));
  RunTrackingQuery(window, hosts);
  return {window.GetText(ControlId::透明标签14), window.GetText(ControlId::编辑框_日志1),
          window.GetText(ControlId::编辑框4)};
}

// What the status line and the log show after each demo number (UTF-8).
struct OutcomeRow {
  const char* number;
  const char* status;
  const char* log;
};

inline constexpr const char* kUnrecognised = "无法识别单号，建议去官网查询或者暂无物流信息";
inline constexpr const char* kNoTrace = "单号错误或暂时无物流信息";

#define VT_USUAL_LOG                                                                                        \
  "2024-05-03 09:12:00  【杭州市】快件已签收，签收人：前台，感谢使用隼鸟快运\r\n" \
  "2024-05-03 07:40:00  【杭州市】快递员 张三 正在派件\r\n"                                   \
  "2024-05-02 21:05:00  【杭州转运中心】快件已到达\r\n"                                        \
  "2024-05-01 16:30:00  【上海市】快件已揽收\r\n"

inline const std::vector<OutcomeRow>& OutcomeRows() {
  static const std::vector<OutcomeRow> rows = {
      // Events, a company, no message; markup removed, newest first.
      {"VT100001", "隼鸟快运", VT_USUAL_LOG},
      // Events without a company: the error text follows the last line.
      {"VT100002", "", VT_USUAL_LOG "单号错误或暂时无物流信息"},
      // A company without events.
      {"VT100003", "海鹦物流", ""},
      // A message without events: markup stays.
      {"VT100004", kUnrecognised, "<i>该单号暂无物流进展<\\/i>，请稍后再试\r\n"},
      // A message and events: the message begins the first event's line.
      {"VT100005", kUnrecognised,
       "部分轨迹来自合作网点2024-04-28 10:00:00  【成都市】快件已从网点发出\r\n"
       "2024-04-27 18:20:00  【成都市】网点已揽件\r\n"},
      // An error status: nothing usable.
      {"VT100006", "", kNoTrace},
      // Unknown to detection: the trace request carries an empty code.
      {"NOSUCH42", "", kNoTrace},
  };
  return rows;
}
