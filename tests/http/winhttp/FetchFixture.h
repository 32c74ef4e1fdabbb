// Helpers shared by the WinHttpFetch tests against the loopback servers.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/winhttp/WinHttpProbe.h"
#include "support/RecordedRequest.h"

// The request's header lines without the ones the transport adds (Host and
// a body's Content-Length), in order.
inline std::vector<std::string> CallerLines(const RecordedRequest& request) {
  std::vector<std::string> lines;
  for (const std::string& line : request.headerLines) {
    if (line.rfind("Host:", 0) == 0 || line.rfind("Content-Length:", 0) == 0)
      continue;
    lines.push_back(line);
  }
  return lines;
}

// Records the stand-in's calls for the lifetime of the object.
class CallRecorder {
 public:
  CallRecorder() { WinHttpRecordCalls(&calls_); }
  ~CallRecorder() { WinHttpRecordCalls(nullptr); }
  CallRecorder(const CallRecorder&) = delete;
  CallRecorder& operator=(const CallRecorder&) = delete;

  // The arguments of every call of `operation`, in order.
  std::vector<std::string> Of(WinHttpOperation operation) const {
    std::vector<std::string> out;
    for (const WinHttpCall& call : calls_)
      if (call.operation == operation)
        out.push_back(call.arguments);
    return out;
  }

 private:
  std::vector<WinHttpCall> calls_;
};

// Leaves no armed failure behind a test.
class WinHttpFetchTest : public ::testing::Test {
 protected:
  void TearDown() override { WinHttpClearFaults(); }
};

inline const std::string kUserAgentLine =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)";
inline const std::string kAcceptLine = "Accept: text/html, application/xhtml+xml, */*";
inline const std::string kEncodingLine = "Accept-Encoding: gbk, GB2312";
inline const std::string kLanguageLine = "Accept-Language: zh-cn";
inline const std::string kFormTypeLine = "Content-Type: application/x-www-form-urlencoded";
inline const std::string kCacheLine = "Cache-Control: no-cache";
