#include <algorithm>

#include "FetchFixture.h"
#include "support/TestProxy.h"
#include "text/TextOps.h"

namespace {

TEST_F(WinInetFetchTest, GetWithEverythingLeftOut) {
  for (bool secure : {false, true}) {
    SCOPED_TRACE(secure ? "https" : "http");
    TestServer server = secure ? TestServer(TestCertKind::Good) : TestServer();
    const TextValue url = server.Url("/track/A1?x=1");
    TextValue headers;

    const ByteSet body = WinInetFetch(url, {.headers = &headers});

    EXPECT_EQ(BytesToText(body), "ok");
    EXPECT_EQ(headers, "Accept: */*\r\nReferer: " + url + "\r\nAccept-Language: zh-cn");
    const RecordedRequest request = server.LastRequest();
    EXPECT_EQ(request.requestLine, "GET /track/A1?x=1 HTTP/1.1");  // origin form: no proxy
    EXPECT_EQ(request.tls, secure);
    EXPECT_EQ(request.Header("User-Agent"), kDefaultAgent);
    const std::vector<int> positions =
        LinePositions(request, {"Accept: */*", "Referer: " + url, "Accept-Language: zh-cn"});
    EXPECT_TRUE(positions[0] >= 0 && positions[0] < positions[1] && positions[1] < positions[2]);
    EXPECT_EQ(request.HeaderCount("Cookie"), 0);
    EXPECT_EQ(request.HeaderCount("Content-Type"), 0);
    EXPECT_EQ(request.body, "");
  }
}

struct BodyCase {
  const char* name;
  int method;
  const char* postData;
  const char* postBytes;
  const char* verb;
  const char* sentBody;
  bool formContentType;
  const char* postBytesAfter;
};

class WinInetFetchBody : public WinInetFetchTest, public testing::WithParamInterface<BodyCase> {};

TEST_P(WinInetFetchBody, MethodAndBody) {
  const BodyCase& c = GetParam();
  TestServer server;
  ByteSet postBytes = TextToBytes(c.postBytes);

  WinInetFetch(server.Url("/form"),
               {.method = c.method, .postData = c.postData, .postBytes = &postBytes});

  const RecordedRequest request = server.LastRequest();
  EXPECT_EQ(request.method, c.verb);
  EXPECT_EQ(request.body, c.sentBody);
  EXPECT_EQ(request.Header("Content-Type") == "application/x-www-form-urlencoded",
            c.formContentType);
  EXPECT_EQ(BytesToText(postBytes), c.postBytesAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WinInetFetchBody,
    testing::Values(BodyCase{"Method9IsGet", 9, "a=1", "", "GET", "", false, ""},
                    BodyCase{"MinusOneIsGet", -1, "a=1", "", "GET", "", false, ""},
                    BodyCase{"GetSendsNoBody", 0, "a=1", "", "GET", "", false, ""},
                    BodyCase{"PostData", 1, "a=1&b=2", "", "POST", "a=1&b=2", true, "a=1&b=2"},
                    BodyCase{"PostBytesWin", 1, "a=1", "raw", "POST", "raw", true, "raw"},
                    BodyCase{"EmptyPost", 1, "", "", "POST", "", true, ""},
                    BodyCase{"PutHasNoFormType", 3, "x=1", "", "PUT", "x=1", false, "x=1"},
                    BodyCase{"Delete", 5, "", "gone", "DELETE", "gone", false, "gone"}),
    [](const testing::TestParamInfo<BodyCase>& info) { return info.param.name; });

TEST_F(WinInetFetchTest, DefaultLinesAreAddedOnlyForExactNames) {
  TestServer server;
  const TextValue url = server.Url("/h");
  const TextValue exact =
      "Accept: text/html\r\nReferer: http://elsewhere/\r\nAccept-Language: en\r\n"
      "Content-Type: text/plain";
  TextValue headers = exact;
  WinInetFetch(url, {.method = 1, .headers = &headers});
  EXPECT_EQ(headers, exact);
  RecordedRequest request = server.LastRequest();
  EXPECT_EQ(request.HeaderCount("Accept"), 1);
  EXPECT_EQ(request.Header("Referer"), "http://elsewhere/");
  EXPECT_EQ(request.Header("Content-Type"), "text/plain");

  headers = "accept: text/html\r\nCONTENT-TYPE: text/plain";
  WinInetFetch(url, {.method = 1, .headers = &headers});
  EXPECT_EQ(headers,
            "accept: text/html\r\nCONTENT-TYPE: text/plain\r\nAccept: */*\r\nReferer: " + url +
                "\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded");
  request = server.LastRequest();
  EXPECT_EQ(request.HeaderCount("Accept"), 2);
  EXPECT_EQ(request.HeaderCount("Content-Type"), 2);
}

TEST_F(WinInetFetchTest, UserAgentFromTheHeaders) {
  struct {
    const char* headers;
    const char* agent;
  } cases[] = {
      {"User-Agent: Probe/1.0", "Probe/1.0"},
      {"user-AGENT:  Probe/2.0 ", "Probe/2.0"},
      // The value of that line alone, not of the block's first ":".
      {"X-Trace: 1\r\nuser-agent: Probe/3.0", "Probe/3.0"},
  };
  TestServer server;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.headers);
    TextValue headers = c.headers;
    EXPECT_EQ(BytesToText(WinInetFetch(server.Url("/ua"), {.headers = &headers})), "ok");
    const RecordedRequest request = server.LastRequest();
    EXPECT_EQ(request.Header("User-Agent"), c.agent);
    EXPECT_EQ(request.HeaderCount("User-Agent"), 1);
    EXPECT_TRUE(ContainsText(headers, c.headers));
  }
}

TEST_F(WinInetFetchTest, GivenCookiesAreSentAndMerged) {
  TestServer server;
  server.SetReply({.headers = {"Set-Cookie: b=3; Path=/"}});
  struct {
    const char* cookies;
    const char* cookieLine;  // nullptr: no Cookie line
    const char* merged;
  } cases[] = {
      {"", nullptr, "b=3"},
      {"a=1; b=2", "a=1; b=2", "b=3; a=1"},
      {"Cookie: a=1", "a=1", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cookies);
    TextValue cookies = c.cookies;
    TextValue returned;
    WinInetFetch(server.Url("/c"), {.cookies = &cookies, .returnedCookies = &returned});
    const RecordedRequest request = server.LastRequest();
    if (c.cookieLine) {
      EXPECT_EQ(request.HeaderCount("Cookie"), 1);
      EXPECT_EQ(request.Header("Cookie"), c.cookieLine);
    } else {
      EXPECT_EQ(request.HeaderCount("Cookie"), 0);
    }
    if (c.merged) {
      EXPECT_EQ(returned, c.merged);
      EXPECT_EQ(cookies, c.merged);
    }
  }
}

TEST_F(WinInetFetchTest, ProcessCookieStoreOnlyWhenCookiesLeftOut) {
  TestServer server;
  server.SetReply({.headers = {"Set-Cookie: p=1; Path=/"}});
  WinInetFetch(server.Url("/first"));
  WinInetFetch(server.Url("/second"));
  EXPECT_EQ(server.LastRequest().Header("Cookie"), "p=1");

  TextValue cookies;
  TextValue returned;
  WinInetFetch(server.Url("/third"),
               {.cookies = &cookies, .returnedCookies = &returned, .autoMergeCookies = false});
  EXPECT_EQ(server.LastRequest().HeaderCount("Cookie"), 0);
  EXPECT_EQ(returned, "p=1");
  EXPECT_EQ(cookies, "");
}

TEST_F(WinInetFetchTest, ProxyCarriesHttpAndHttps) {
  TestProxy proxy;
  TestServer plain;
  TestServer secure(TestCertKind::Good);

  const TextValue plainUrl = plain.Url("/p?q=1");
  EXPECT_EQ(BytesToText(WinInetFetch(plainUrl, {.proxy = proxy.Address()})), "ok");
  EXPECT_EQ(proxy.LastRequest().requestLine, "GET " + plainUrl + " HTTP/1.1");
  EXPECT_EQ(plain.LastRequest().requestLine, "GET /p?q=1 HTTP/1.1");

  EXPECT_EQ(BytesToText(WinInetFetch(secure.Url("/s"), {.proxy = proxy.Address()})), "ok");
  EXPECT_EQ(proxy.LastRequest().requestLine,
            "CONNECT 127.0.0.1:" + std::to_string(secure.Port()) + " HTTP/1.1");
  EXPECT_TRUE(secure.LastRequest().tls);
  EXPECT_EQ(proxy.RequestCount(), 2u);
}

}  // namespace
