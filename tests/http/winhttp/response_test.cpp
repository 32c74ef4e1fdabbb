// What the caller gets back: status text, header block, cookies, Location,
// raw bytes and the body text, including the meta-charset decode.
#include <gtest/gtest.h>

#include <QTimer>
#include <chrono>

#include "http/WinHttpFetch.h"
#include "http/winhttp/FetchFixture.h"
#include "platform/codepage/CodePage.h"
#include "platform/com/Com.h"
#include "support/TestServer.h"
#include "text/TextOps.h"

namespace {

ByteSet Bytes(std::string_view text) {
  return ByteSet(text.begin(), text.end());
}

TEST_F(WinHttpFetchTest, StatusTextAndBodyWhateverTheCode) {
  TestServer server;
  server.SetReply({.status = 404, .reason = "Not Found", .body = "missing"});
  TextValue status, headers;
  EXPECT_EQ(WinHttpFetch(server.Url("/x"), {.responseHeaders = &headers, .status = &status}),
            "missing");
  EXPECT_EQ(status, "404 Not Found");
  EXPECT_EQ(headers.rfind("HTTP/1.1 404 Not Found\r\n", 0), 0u);
  EXPECT_NE(headers.find("\r\nContent-Length: 7\r\n"), std::string::npos);
}

TEST_F(WinHttpFetchTest, SetCookieLinesAreCollected) {
  struct Case {
    std::vector<std::string> lines;
    TextValue returned;
  };
  const Case cases[] = {
      {{"Set-Cookie: a=1; Path=/", "set-cookie: b=2"}, "a=1; b=2"},
      {{"Set-Cookie: c=3"}, "c=3"},
      {{"SET-COOKIE:  d=4 ;Path=/"}, "d=4"},
      {{"Access-Control-Expose-Headers: Set-Cookie"}, "Access-Control-Expose-Headers: Set-Cookie"},
      {{"X-Other: 1"}, ""},
  };
  TestServer server;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.returned);
    server.SetReply({.headers = c.lines});
    TextValue returned, headers;
    WinHttpFetch(server.Url("/"), {.returnedCookies = &returned, .responseHeaders = &headers});
    EXPECT_EQ(returned, c.returned);
    EXPECT_FALSE(ContainsText(ReplaceText(headers, "Set-Cookie", ""), "set-cookie", true))
        << "every Set-Cookie name rewritten in its usual case";
  }
}

TEST_F(WinHttpFetchTest, ResponseCookiesMergeIntoTheCallersText) {
  TestServer server;
  server.SetReply({.headers = {"Set-Cookie: sid=deleted; Path=/", "Set-Cookie: n=5"}});
  TextValue cookies = "sid=1; x=2", returned;
  WinHttpFetch(server.Url("/"), {.cookies = &cookies, .returnedCookies = &returned});
  EXPECT_EQ(server.LastRequest().Header("Cookie"), "sid=1; x=2");
  EXPECT_EQ(returned, "n=5; x=2");
  EXPECT_EQ(cookies, "n=5; x=2");

  cookies = "sid=1; x=2";
  returned.clear();
  WinHttpFetch(server.Url("/"),
               {.cookies = &cookies, .returnedCookies = &returned, .autoMergeCookies = false});
  EXPECT_EQ(returned, "sid=deleted; n=5");
  EXPECT_EQ(cookies, "sid=1; x=2");
}

TEST_F(WinHttpFetchTest, RedirectsFollowedOrHandedBack) {
  TestServer server;
  server.SetHandler([&](const RecordedRequest& r) {
    return r.target == "/old" ? Reply::Redirect(302, server.Url("/new")) : Reply{.body = "new"};
  });
  TextValue location = "keep", status;
  EXPECT_EQ(WinHttpFetch(server.Url("/old"), {.location = &location, .status = &status}), "new");
  EXPECT_EQ(status, "200 OK");
  EXPECT_EQ(location, "keep") << "the final response has no Location";

  std::size_t before = server.RequestCount();
  EXPECT_EQ(WinHttpFetch(server.Url("/old"),
                         {.noRedirect = true, .location = &location, .status = &status}),
            "moved");
  EXPECT_EQ(status, "302 Found");
  EXPECT_EQ(location, server.Url("/new"));
  EXPECT_EQ(server.RequestCount(), before + 1);
}

TEST_F(WinHttpFetchTest, ZeroByteEndsTheTextButNotTheBytes) {
  TestServer server;
  server.SetReply({.body = std::string("ab\0cd", 5)});
  ByteSet bytes;
  EXPECT_EQ(WinHttpFetch(server.Url("/"), {.responseBytes = &bytes}), "ab");
  EXPECT_EQ(bytes, Bytes(std::string("ab\0cd", 5)));
}

TEST_F(WinHttpFetchTest, MetaCharsetDecode) {
  const std::string utf8Text = "<p>快递</p>";
  const TextValue gbkText = GbkFromUtf8(utf8Text);
  const std::string padding(1100, ' ');
  struct Case {
    const char* name;
    std::string body;
    TextValue result;
  };
  const Case cases[] = {
      {"utf-8 page", "<html><head><meta charset=\"utf-8\"></head>" + utf8Text,
       GbkFromUtf8("<html><head><meta charset=\"utf-8\"></head>") + gbkText},
      {"capitals", "<META CHARSET=UTF-8>" + utf8Text, "<META CHARSET=UTF-8>" + gbkText},
      {"http-equiv gb2312",
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">" + gbkText,
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">" + gbkText},
      {"json without meta", "{\"a\":\"" + utf8Text + "\"}", "{\"a\":\"" + utf8Text + "\"}"},
      {"declared after byte 1024", padding + "<meta charset=utf-8>" + utf8Text,
       padding + "<meta charset=utf-8>" + utf8Text},
  };
  TestServer server;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server.SetReply({.body = c.body});
    ByteSet bytes;
    const int comBefore = ComNestingCount();
    EXPECT_EQ(WinHttpFetch(server.Url("/page"), {.responseBytes = &bytes}), c.result);
    EXPECT_EQ(bytes, Bytes(c.body)) << "the raw bytes stay as they came";
    EXPECT_EQ(ComNestingCount(), comBefore);
  }
}

TEST_F(WinHttpFetchTest, ResetMidBodyKeepsThePartRead) {
  const std::string body(200000, 'b');
  TestServer server;
  server.SetReply({.body = body, .resetAfter = 70000});
  TextValue status;
  ByteSet bytes;
  TextValue text = WinHttpFetch(server.Url("/"), {.status = &status, .responseBytes = &bytes});
  EXPECT_EQ(status, "200 OK");
  EXPECT_LE(bytes.size(), 70000u);
  EXPECT_EQ(text, std::string(bytes.begin(), bytes.end()));
}

TEST_F(WinHttpFetchTest, ReadFailureSeam) {
  const std::string body(300000, 'r');
  TestServer server;
  server.SetReply({.body = body});
  // The second read fails: the first chunk is the body, and the status
  // text replaces the 713 message.
  WinHttpFailCall(WinHttpOperation::ReadData, 1);
  TextValue status;
  ByteSet bytes;
  TextValue text = WinHttpFetch(server.Url("/"), {.status = &status, .responseBytes = &bytes});
  EXPECT_EQ(status, "200 OK");
  EXPECT_FALSE(bytes.empty());
  EXPECT_LT(bytes.size(), body.size());
  EXPECT_EQ(text, std::string(bytes.size(), 'r'));

  // When the header block cannot be read either, 713 stays and nothing else
  // is written.
  WinHttpFailCall(WinHttpOperation::ReadData);
  WinHttpFailCall(WinHttpOperation::QueryHeaders, 1);
  TextValue headers = "h", returned = "r", location = "l", cookies = "a=1";
  bytes = {7};
  EXPECT_EQ(WinHttpFetch(server.Url("/"), {.cookies = &cookies,
                                           .returnedCookies = &returned,
                                           .responseHeaders = &headers,
                                           .location = &location,
                                           .status = &status,
                                           .responseBytes = &bytes}),
            "");
  EXPECT_EQ(status, GbkFromUtf8("713 读取数据失败!"));
  EXPECT_EQ(headers, "h");
  EXPECT_EQ(returned, "r");
  EXPECT_EQ(location, "l");
  EXPECT_EQ(cookies, "a=1");
  EXPECT_EQ(bytes, ByteSet{7});
}

TEST_F(WinHttpFetchTest, HeaderQueryFailureKeepsTheCallersStatus) {
  TestServer server;
  WinHttpFailCall(WinHttpOperation::QueryHeaders, 1);
  TextValue status = "before";
  EXPECT_EQ(WinHttpFetch(server.Url("/"), {.status = &status}), "");
  EXPECT_EQ(status, "before");
}

TEST_F(WinHttpFetchTest, NoResponse) {
  TestServer server;
  WinHttpFailCall(WinHttpOperation::ReceiveResponse);
  TextValue status, headers = "h";
  ByteSet bytes{1};
  EXPECT_EQ(WinHttpFetch(server.Url("/"),
                         {.responseHeaders = &headers, .status = &status, .responseBytes = &bytes}),
            "");
  EXPECT_EQ(status, GbkFromUtf8("712 服务器未响应!"));
  EXPECT_EQ(headers, "h");
  EXPECT_EQ(bytes, ByteSet{1});
}

TEST_F(WinHttpFetchTest, ServerThatNeverAnswersTimesOut) {
  TestServer server;
  server.SetReply({.delayMs = 60000});
  TextValue status;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WinHttpFetch(server.Url("/"), {.timeoutSeconds = 1, .status = &status}), "");
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(status, GbkFromUtf8("712 服务器未响应!"));
  EXPECT_LT(waited, std::chrono::seconds(15)) << "the 1 s time-out, not the 30 s default";
}

TEST_F(WinHttpFetchTest, GuiEventsRunDuringTheCall) {
  TestServer server;
  server.SetReply({.headers = {"X-A: 1", "X-B: 2"}});
  bool ran = false;
  QTimer::singleShot(0, [&ran] { ran = true; });
  WinHttpFetch(server.Url("/"));
  EXPECT_TRUE(ran);
}

}  // namespace
