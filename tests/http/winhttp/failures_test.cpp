// Failures of the request phase, made through the stand-in's seam: each
// writes its own message, leaves every other out-parameter as it was, and
// closes what was opened, request first.
#include <gtest/gtest.h>

#include "http/WinHttpFetch.h"
#include "platform/codepage/CodePage.h"
#include "platform/winhttp/WinHttpProbe.h"

namespace {

struct FailureCase {
  WinHttpOperation operation;
  int skip;
  const char* message;  // UTF-8
  const char* closed;   // the three handles as closed, in call order
};

std::string ClosedHandles(const std::vector<WinHttpCall>& calls) {
  std::string closed;
  for (const WinHttpCall& call : calls) {
    if (call.operation != WinHttpOperation::CloseHandle)
      continue;
    closed += (closed.empty() ? "" : " ") + call.arguments;
  }
  return closed;
}

TEST(WinHttpFetchFailures, EachRequestStepHasItsMessage) {
  const FailureCase cases[] = {
      {WinHttpOperation::CheckPlatform, 0, "700 当前系统不支持WinHttp服务!", "none none none"},
      {WinHttpOperation::CrackUrl, 0, "701 解析URL地址失败!", "none none none"},
      {WinHttpOperation::Open, 0, "702 创建WinHttp会话失败!", "none none none"},
      {WinHttpOperation::Connect, 0, "703 创建WinHttp连接失败!", "none none session"},
      {WinHttpOperation::OpenRequest, 0, "704 创建WinHttp请求失败!", "none connection session"},
      {WinHttpOperation::SetTimeouts, 0, "705 设置超时时间失败!", "request connection session"},
      {WinHttpOperation::SetCredentials, 0, "707 设置代理凭证失败!", "request connection session"},
      {WinHttpOperation::SetCredentials, 1, "707 设置代理凭证失败!", "request connection session"},
      {WinHttpOperation::SetOption, 0, "708 禁止自动设置Cookies失败!",
       "request connection session"},
      {WinHttpOperation::SetOption, 1, "709 重定向设置失败!", "request connection session"},
      {WinHttpOperation::AddRequestHeaders, 0, "710 设置协议头失败!", "request connection session"},
      {WinHttpOperation::SendRequest, 0, "711 发送请求失败!", "request connection session"},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.message);
    TextValue cookies = "a=1", returned = "r", headers = "h", location = "l", status = "s";
    ByteSet bytes{1, 2};
    std::vector<WinHttpCall> calls;
    WinHttpRecordCalls(&calls);
    WinHttpFailCall(c.operation, c.skip);
    // Port 9 (discard) on loopback: nothing listens, and nothing is sent anyway.
    TextValue result = WinHttpFetch("http://127.0.0.1:9/x", {.cookies = &cookies,
                                                             .returnedCookies = &returned,
                                                             .responseHeaders = &headers,
                                                             .noRedirect = true,
                                                             .userName = "u",
                                                             .password = "p",
                                                             .proxy = "127.0.0.1:9",
                                                             .proxyUserName = "pu",
                                                             .proxyPassword = "pp",
                                                             .location = &location,
                                                             .status = &status,
                                                             .responseBytes = &bytes});
    WinHttpRecordCalls(nullptr);
    WinHttpClearFaults();
    EXPECT_EQ(result, "");
    EXPECT_EQ(status, GbkFromUtf8(c.message));
    EXPECT_EQ(cookies, "a=1");
    EXPECT_EQ(returned, "r");
    EXPECT_EQ(headers, "h");
    EXPECT_EQ(location, "l");
    EXPECT_EQ(bytes, (ByteSet{1, 2}));
    EXPECT_EQ(ClosedHandles(calls), c.closed);
  }
}

TEST(WinHttpFetchFailures, UrlThatDoesNotCrack) {
  for (const char* url : {"", "ftp://127.0.0.1/", "127.0.0.1/x", "http://127.0.0.1:99999/"}) {
    TextValue status;
    EXPECT_EQ(WinHttpFetch(url, {.status = &status}), "");
    EXPECT_EQ(status, GbkFromUtf8("701 解析URL地址失败!")) << url;
  }
}

TEST(WinHttpFetchFailures, NothingListeningFailsTheSend) {
  TextValue status;
  EXPECT_EQ(WinHttpFetch("http://127.0.0.1:9/", {.status = &status}), "");
  EXPECT_EQ(status, GbkFromUtf8("711 发送请求失败!"));
}

}  // namespace
