// What reaches the server: verb, object name, header block, body, cookies,
// credentials and proxy, as the loopback server or proxy recorded them.
#include <gtest/gtest.h>

#include "http/WinHttpFetch.h"
#include "http/winhttp/FetchFixture.h"
#include "support/TestProxy.h"
#include "support/TestServer.h"

namespace {

using Lines = std::vector<std::string>;

TEST_F(WinHttpFetchTest, UrlOnlySendsTheDefaultBlockInOrder) {
  TestServer server;
  CallRecorder calls;
  EXPECT_EQ(WinHttpFetch(server.Url("/p")), "ok");
  RecordedRequest r = server.LastRequest();
  EXPECT_EQ(r.requestLine, "GET /p HTTP/1.1");
  EXPECT_EQ(CallerLines(r),
            (Lines{kUserAgentLine, kAcceptLine, kEncodingLine, kLanguageLine, kCacheLine}));
  EXPECT_EQ(r.body, "");
  EXPECT_EQ(calls.Of(WinHttpOperation::Open), Lines{"1 "});
  EXPECT_EQ(calls.Of(WinHttpOperation::SetTimeouts), Lines{"30000 30000 30000 30000"});
  EXPECT_EQ(calls.Of(WinHttpOperation::SetOption), Lines{"63 1"}) << "own cookies off";
  EXPECT_TRUE(calls.Of(WinHttpOperation::SetCredentials).empty());
  EXPECT_EQ(calls.Of(WinHttpOperation::CloseHandle), (Lines{"request", "connection", "session"}));
}

TEST_F(WinHttpFetchTest, CallerHeadersAndTheDefaultSearches) {
  struct Case {
    int method;
    TextValue headers;
    Lines block;      // as handed to WinHttpAddRequestHeaders
    Lines wire = {};  // as the server saw it, when a line replaced another
  };
  const Case cases[] = {
      {1,
       "Content-Type: application/json",
       {"Content-Type: application/json", kUserAgentLine, kAcceptLine, kEncodingLine, kLanguageLine,
        kCacheLine}},
      // The Content-Type search keeps case, so the default line is added; on
      // the wire it replaces the caller's line of the same name.
      {1,
       "content-type: application/json",
       {"content-type: application/json", kUserAgentLine, kAcceptLine, kEncodingLine, kLanguageLine,
        kFormTypeLine, kCacheLine},
       {kFormTypeLine, kUserAgentLine, kAcceptLine, kEncodingLine, kLanguageLine, kCacheLine}},
      {1,
       "",
       {kUserAgentLine, kAcceptLine, kEncodingLine, kLanguageLine, kFormTypeLine, kCacheLine}},
      {0,
       "user-agent: X",
       {"user-agent: X", kAcceptLine, kEncodingLine, kLanguageLine, kCacheLine}},
      {0,
       "X-A: 1\r\nUser-Agent:X",
       {"X-A: 1", "User-Agent:X", kUserAgentLine, kAcceptLine, kEncodingLine, kLanguageLine,
        kCacheLine},
       {"X-A: 1", kUserAgentLine, kAcceptLine, kEncodingLine, kLanguageLine, kCacheLine}},
      // A search text found anywhere, not only at a line start.
      {0,
       "X-Note: Accept: none",
       {"X-Note: Accept: none", kUserAgentLine, kEncodingLine, kLanguageLine, kCacheLine}},
  };
  TestServer server;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.headers);
    CallRecorder calls;
    WinHttpFetch(server.Url("/h"), {.method = c.method, .postData = "k=v", .headers = c.headers});
    std::string block;
    for (const std::string& line : c.block) block += line + "\r\n";
    EXPECT_EQ(calls.Of(WinHttpOperation::AddRequestHeaders), Lines{block + " 0xA0000000"});
    RecordedRequest r = server.LastRequest();
    EXPECT_EQ(CallerLines(r), c.wire.empty() ? c.block : c.wire);
    EXPECT_EQ(r.body, "k=v");
  }
}

TEST_F(WinHttpFetchTest, MethodTable) {
  const std::pair<int, const char*> cases[] = {
      {0, "GET"},    {1, "POST"},  {2, "HEAD"},    {3, "PUT"}, {4, "OPTIONS"},
      {5, "DELETE"}, {6, "TRACE"}, {7, "CONNECT"}, {8, "GET"}, {-1, "GET"},
  };
  TestServer server;
  for (auto [method, verb] : cases) {
    SCOPED_TRACE(method);
    WinHttpFetch(server.Url("/m"), {.method = method});
    EXPECT_EQ(server.LastRequest().method, verb);
  }
}

TEST_F(WinHttpFetchTest, BodyIsSentWhateverTheMethod) {
  TestServer server;
  WinHttpFetch(server.Url("/b"), {.postData = "payload"});
  EXPECT_EQ(server.LastRequest().method, "GET");
  EXPECT_EQ(server.LastRequest().body, "payload");
  EXPECT_EQ(server.LastRequest().Header("Content-Length"), "7");
}

TEST_F(WinHttpFetchTest, CookiesGivenGivenEmptyOrNotGiven) {
  TestServer server;
  {
    CallRecorder calls;
    TextValue cookies = "a=1";
    WinHttpFetch(server.Url("/c"), {.cookies = &cookies});
    EXPECT_EQ(CallerLines(server.LastRequest()).back(), "Cookie: a=1");
    EXPECT_EQ(calls.Of(WinHttpOperation::SetOption), Lines{"79 1"});
  }
  {
    CallRecorder calls;
    TextValue empty;
    WinHttpFetch(server.Url("/c"), {.cookies = &empty});
    EXPECT_EQ(server.LastRequest().HeaderCount("Cookie"), 0);
    EXPECT_EQ(calls.Of(WinHttpOperation::SetOption), Lines{"79 1"}) << "given, though empty";
  }
  {
    CallRecorder calls;
    WinHttpFetch(server.Url("/c"));
    EXPECT_EQ(server.LastRequest().HeaderCount("Cookie"), 0);
    EXPECT_EQ(calls.Of(WinHttpOperation::SetOption), Lines{"63 1"});
  }
  {
    TextValue cookies = "a=1";
    WinHttpFetch(server.Url("/c"), {.cookies = &cookies, .headers = "cookie: mine=1"});
    EXPECT_EQ(server.LastRequest().HeaderCount("Cookie"), 1);
    EXPECT_EQ(server.LastRequest().Header("Cookie"), "mine=1");
  }
}

// Cookies a redirect sets reach its target only when the request keeps
// WinHTTP's own cookie store, that is when the caller gave cookies.
TEST_F(WinHttpFetchTest, OwnCookieStoreFollowsTheCookiesOption) {
  TestServer server;
  server.SetHandler([&](const RecordedRequest& r) {
    if (r.target == "/start") {
      Reply reply = Reply::Redirect(302, server.Url("/end"));
      reply.headers.push_back("Set-Cookie: hop=1; Path=/");
      return reply;
    }
    return Reply{.body = r.Header("Cookie").value_or("none")};
  });
  TextValue empty;
  EXPECT_EQ(WinHttpFetch(server.Url("/start"), {.cookies = &empty}), "hop=1");
  EXPECT_EQ(WinHttpFetch(server.Url("/start")), "none");
  // Nothing is kept from one call to the next.
  TextValue again;
  EXPECT_EQ(WinHttpFetch(server.Url("/end"), {.cookies = &again}), "none");
}

TEST_F(WinHttpFetchTest, ObjectName) {
  TestServer server;
  const std::pair<std::string, std::string> cases[] = {
      {"/a/b?x=1", "/a/b?x=1"},
      {"?x=1", "/"},  // a query straight after the host is not sent
      {"", "/"},
      {"//twice/", "//twice/"},
      {"/sp ace?q=a b", "/sp%20ace?q=a%20b"},
  };
  for (const auto& [suffix, target] : cases) {
    SCOPED_TRACE(suffix);
    WinHttpFetch(server.BaseUrl() + suffix);
    EXPECT_EQ(server.LastRequest().target, target);
  }
}

TEST_F(WinHttpFetchTest, TimeoutsInMilliseconds) {
  TestServer server;
  for (auto [seconds, ms] : {std::pair{5, "5000"}, {0, "30000"}, {-3, "30000"}}) {
    CallRecorder calls;
    WinHttpFetch(server.Url("/t"), {.timeoutSeconds = seconds});
    std::string all = std::string(ms) + " " + ms + " " + ms + " " + ms;
    EXPECT_EQ(calls.Of(WinHttpOperation::SetTimeouts), Lines{all}) << seconds;
  }
}

TEST_F(WinHttpFetchTest, ServerCredentialsOnlyWithBothHalves) {
  TestServer server;
  WinHttpFetch(server.Url("/auth"), {.userName = "user", .password = "pass"});
  EXPECT_EQ(server.LastRequest().Header("Authorization"), "Basic dXNlcjpwYXNz");

  TextValue status;
  EXPECT_EQ(WinHttpFetch(server.Url("/auth"), {.userName = "user", .status = &status}), "ok");
  EXPECT_EQ(status, "200 OK");
  EXPECT_EQ(server.LastRequest().HeaderCount("Authorization"), 0);
  WinHttpFetch(server.Url("/auth"), {.password = "pass"});
  EXPECT_EQ(server.LastRequest().HeaderCount("Authorization"), 0);
}

TEST_F(WinHttpFetchTest, PlainUrlThroughTheProxyUsesTheHttpEntry) {
  TestServer server;
  TestProxy proxy;
  CallRecorder calls;
  EXPECT_EQ(WinHttpFetch(server.Url("/via?x=1"), {.proxy = proxy.Address()}), "ok");
  EXPECT_EQ(calls.Of(WinHttpOperation::Open), Lines{"3 http=" + proxy.Address()});
  EXPECT_EQ(proxy.LastRequest().requestLine, "GET " + server.Url("/via?x=1") + " HTTP/1.1");
  EXPECT_EQ(server.LastRequest().target, "/via?x=1");
}

TEST_F(WinHttpFetchTest, SecureUrlThroughTheProxyTunnels) {
  TrustTestCa();
  TestServer server(TestCertKind::Good);
  TestProxy proxy;
  CallRecorder calls;
  EXPECT_EQ(WinHttpFetch(server.Url("/s"), {.proxy = proxy.Address()}), "ok");
  EXPECT_EQ(calls.Of(WinHttpOperation::Open), Lines{"3 " + proxy.Address()});
  EXPECT_EQ(proxy.LastRequest().method, "CONNECT");
  EXPECT_EQ(proxy.LastRequest().target, "127.0.0.1:" + std::to_string(server.Port()));
  EXPECT_TRUE(server.LastRequest().tls);
  EXPECT_EQ(server.LastRequest().target, "/s");
}

TEST_F(WinHttpFetchTest, ProxyCredentials) {
  TestServer server;
  TestProxy proxy;
  proxy.RequireCredentials("pu", "pp");
  TextValue status;
  WinHttpFetch(server.Url("/p"), {.proxy = proxy.Address(), .status = &status});
  EXPECT_EQ(status.substr(0, 3), "407");
  EXPECT_EQ(server.RequestCount(), 0u);

  // One half alone sets nothing.
  WinHttpFetch(server.Url("/p"),
               {.proxy = proxy.Address(), .proxyUserName = "pu", .status = &status});
  EXPECT_EQ(status.substr(0, 3), "407");

  EXPECT_EQ(WinHttpFetch(server.Url("/p"), {.proxy = proxy.Address(),
                                            .proxyUserName = "pu",
                                            .proxyPassword = "pp",
                                            .status = &status}),
            "ok");
  EXPECT_EQ(status, "200 OK");
  EXPECT_EQ(proxy.LastRequest().Header("Proxy-Authorization"), "Basic cHU6cHA=");
  EXPECT_EQ(server.LastRequest().HeaderCount("Proxy-Authorization"), 0);
}

}  // namespace
