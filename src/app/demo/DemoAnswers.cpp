#include "app/demo/DemoAnswers.h"

#include <cstdio>
#include <ctime>
#include <string_view>

namespace {

constexpr int kMaxGeneratedEvents = 20000;

// Fictional couriers of the demo.
constexpr const char* kKestrelCode = "kestrel";
constexpr const char* kKestrelName = "隼鸟快运";
constexpr const char* kHeronCode = "heron";
constexpr const char* kHeronName = "苍鹭速递";
constexpr const char* kPuffinCode = "puffin";
constexpr const char* kPuffinName = "海鹦物流";

std::string EventRecord(const DemoEvent& event) {
  std::string record = "{";
  if (!event.time.empty()) {
    record += "\"time\":\"" + event.time + "\",";
  }
  record += "\"areaName\":\"" + event.area + "\",\"context\":\"" + event.context + "\"}";
  return record;
}

DemoCase MakeCase(const DemoTrace& trace, int delayMilliseconds = 0) {
  return DemoCase{trace.code, DemoDetectionAnswer(trace.code), DemoTraceAnswer(trace),
                  delayMilliseconds};
}

// Year-first, fixed-width time stamp `minutes` after 2024-03-01 08:00 UTC.
std::string TimeStamp(long minutes) {
  std::tm base{};
  base.tm_year = 124;
  base.tm_mon = 2;
  base.tm_mday = 1;
  base.tm_hour = 8;
  const std::time_t at = timegm(&base) + minutes * 60;
  std::tm parts{};
  gmtime_r(&at, &parts);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", parts.tm_year + 1900,
                parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return text;
}

}  // namespace

std::string DemoDetectionAnswer(const std::string& code) {
  if (code.empty()) {
    return "[]";
  }
  return "[{\"comCode\":\"" + code + "\",\"id\":\"\",\"noCount\":1,\"noPre\":\"VT\"," +
         "\"startTime\":\"\"}]";
}

std::string DemoTraceAnswer(const DemoTrace& trace) {
  std::string answer = "_jqjsp({\"status\":" + std::to_string(trace.status) + ",\"message\":\"" +
                       trace.message + "\",\"errCode\":0,\"data\":{" + "\"mailNo\":\"" +
                       trace.number + "\",\"com\":\"" + trace.code + "\",";
  if (trace.hasCompany) {
    answer += "\"expTextName\":\"" + trace.company + "\",";
  }
  answer += "\"expSpellName\":\"" + trace.code + "\",\"list\":[";
  for (std::size_t i = 0; i < trace.events.size(); ++i) {
    if (i > 0) {
      answer += ",";
    }
    answer += EventRecord(trace.events[i]);
  }
  answer += "],\"tel\":\"400-000-0000\"}})";
  return answer;
}

std::string DemoUnknownTraceAnswer(const std::string& code, const std::string& number) {
  DemoTrace trace;
  trace.status = 201;
  trace.message = "快递公司参数异常：单号不存在或者已经过期";
  trace.code = code;
  trace.number = number;
  trace.hasCompany = false;
  return DemoTraceAnswer(trace);
}

std::map<std::string, DemoCase> DemoCatalogue() {
  std::map<std::string, DemoCase> cases;

  const std::vector<DemoEvent> usual = {
      {"2024-05-03 09:12:00", "杭州市",
       "【杭州市】快件已签收，签收人：<i>前台<\\/i>，感谢使用隼鸟快运"},
      {"2024-05-03 07:40:00", "杭州市", "【杭州市】快递员 <i>张三<\\/i> 正在派件"},
      {"2024-05-02 21:05:00", "杭州市", "【杭州转运中心】快件已到达"},
      {"2024-05-01 16:30:00", "上海市", "【上海市】快件已揽收"},
  };

  DemoTrace trace{0, "", kKestrelCode, "VT100001", true, kKestrelName, usual};
  cases["VT100001"] = MakeCase(trace);

  trace = DemoTrace{0, "", kHeronCode, "VT100002", false, "", usual};
  cases["VT100002"] = MakeCase(trace);

  trace = DemoTrace{0, "", kPuffinCode, "VT100003", true, kPuffinName, {}};
  cases["VT100003"] = MakeCase(trace);

  trace = DemoTrace{
      0, "<i>该单号暂无物流进展<\\/i>，请稍后再试", kKestrelCode, "VT100004", false, "", {}};
  cases["VT100004"] = MakeCase(trace);

  trace = DemoTrace{0,
                    "部分轨迹来自合作网点",
                    kHeronCode,
                    "VT100005",
                    true,
                    kHeronName,
                    {{"2024-04-28 10:00:00", "成都市", "【成都市】快件已从网点发出"},
                     {"2024-04-27 18:20:00", "成都市", "【成都市】网点已揽件"}}};
  cases["VT100005"] = MakeCase(trace);

  cases["VT100006"] = DemoCase{kPuffinCode, DemoDetectionAnswer(kPuffinCode),
                               DemoUnknownTraceAnswer(kPuffinCode, "VT100006"), 0};

  trace =
      DemoTrace{0,
                "",
                kKestrelCode,
                "VT200001",
                true,
                kKestrelName,
                {{"2024-05-06 11:00:00", "广州市",
                  "【广州市】已放入\\\"南门\\\"快递柜，路径 D:\\\\柜\\\\A3，取件码 \\u0038\\u0031"},
                 {"2024-05-05 20:15:00", "广州市", "【广州转运中心】快件已装车"},
                 {"2024-05-05 20:15:00", "广州市", "【广州转运中心】快件已分拣"},
                 {"2024-05-05 08:00:00", "深圳市", "【深圳市】快件已揽收"}}};
  cases["VT200001"] = MakeCase(trace);

  trace = DemoTrace{0,
                    "",
                    kHeronCode,
                    "VT200002",
                    true,
                    kHeronName,
                    {{"2024-05-07 15:00:00", "南京市", "【南京市】快件已签收"},
                     {"2024-05-07 09:30:00", "南京市", "【南京市】正在派件"},
                     {"", "", "【南京市】网点补录：包裹外包装完好"}}};
  cases["VT200002"] = MakeCase(trace);

  trace = DemoTrace{0,
                    "",
                    kPuffinCode,
                    "VT300001",
                    true,
                    kPuffinName,
                    {{"2024-05-08 12:00:00", "武汉市", "【武汉市】快件已签收"},
                     {"2024-05-08 08:00:00", "武汉市", "【武汉市】正在派件"}}};
  cases["VT300001"] = MakeCase(trace, 3000);

  return cases;
}

bool GeneratedDemoCase(const std::string& number, DemoCase& out) {
  static constexpr std::string_view kPrefix = "VTE";
  const std::string_view text(number);
  if (!text.starts_with(kPrefix) || text.size() == kPrefix.size() ||
      text.size() > kPrefix.size() + 5) {
    return false;
  }
  int count = 0;
  for (const char c : text.substr(kPrefix.size())) {
    if (c < '0' || c > '9') {
      return false;
    }
    count = count * 10 + (c - '0');
  }
  if (count < 1 || count > kMaxGeneratedEvents) {
    return false;
  }
  static const char* const kAreas[] = {"上海市", "杭州市", "南京市", "合肥市", "武汉市"};
  static const char* const kSteps[] = {"快件已揽收",       "快件已到达<i>转运中心<\\/i>",
                                       "快件已发往下一站", "快件已装车",
                                       "快件已分拣",       "快递员正在派件"};
  DemoTrace trace{0, "", kKestrelCode, number, true, kKestrelName, {}};
  trace.events.reserve(static_cast<std::size_t>(count));
  for (int i = count - 1; i >= 0; --i) {
    const char* area = kAreas[i % 5];
    trace.events.push_back(
        {TimeStamp(7L * i), area,
         std::string("【") + area + "】第" + std::to_string(i + 1) + "站：" + kSteps[i % 6]});
  }
  out = MakeCase(trace);
  return true;
}
