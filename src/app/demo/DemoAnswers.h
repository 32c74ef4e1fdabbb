// The answers of the demo courier service, written in the exact forms the
// tracking query cuts its values out of.
//
// Detection: [{"comCode":"CODE","id":"",...}] ("[]" for an unknown number).
// Trace: _jqjsp({"status":S,"message":"M",...,"expTextName":"NAME",...,
// "list":[{"time":"T","areaName":"A","context":"D"},...],"tel":"..."}) in
// UTF-8. Texts inside the answers are JSON string content as sent: escapes
// such as \" and <\/i> stand as written.
//
// The demo numbers and what each shows:
//   VT100001  events, no message, company name: the usual trace, with markup
//   VT100002  events, no message, no company name: error text after the events
//   VT100003  company name, no events: empty log
//   VT100004  a message and no events: the message (markup kept) as one line
//   VT100005  a message and events: the message starts the first event's line
//   VT100006  an error status, nothing usable: error text only
//   VT200001  equal time stamps (ordered by description), escapes kept,
//             Chinese text
//   VT200002  one record without a time member: its line begins with two blanks
//   VT300001  a slow trace answer (3 s), for trying a second click
//   VTE<n>    n generated events, 1 <= n <= 20000 (VTE10, VTE1000, ...)
// Any other number is unknown to detection, so the trace request goes out
// with an empty courier code and gets the error status.
#pragma once

#include <map>
#include <string>
#include <vector>

// One number the demo service knows.
struct DemoCase {
  // The courier code detection gives and the trace path must carry.
  std::string code;
  std::string detectionAnswer;
  std::string traceAnswer;
  // Wait before the trace answer, to make a slow service.
  int delayMilliseconds = 0;
};

struct DemoEvent {
  std::string time;  // empty: the record has no time member
  std::string area;
  std::string context;
};

struct DemoTrace {
  int status = 0;
  std::string message;
  std::string code;
  std::string number;
  bool hasCompany = true;
  std::string company;
  std::vector<DemoEvent> events;  // newest first, as the service sends them
};

std::string DemoDetectionAnswer(const std::string& code);
std::string DemoTraceAnswer(const DemoTrace& trace);
// The answer of the trace service for a number or code it does not know.
std::string DemoUnknownTraceAnswer(const std::string& code, const std::string& number);

// The fixed demo numbers.
std::map<std::string, DemoCase> DemoCatalogue();
// VTE<n>: n generated events; false for any other number.
bool GeneratedDemoCase(const std::string& number, DemoCase& out);
