#include "FetchFixture.h"
#include "text/TextOps.h"

namespace {

TEST_F(WinInetFetchTest, SetCookieLinesBecomeReturnedCookies) {
  struct {
    std::vector<std::string> replyHeaders;
    const char* returned;
  } cases[] = {
      {{"Set-Cookie: a=1; Path=/; HttpOnly", "Set-Cookie: b=2"}, "a=1; b=2"},
      {{"set-cookie: c=3; path=/", "SET-COOKIE:d=4 "}, "c=3; d=4"},
      {{"X-Other: 1"}, ""},
  };
  TestServer server;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.returned);
    server.SetReply({.headers = c.replyHeaders, .body = "page"});
    TextValue returned = "stale";
    TextValue responseHeaders;
    const ByteSet body = WinInetFetch(
        server.Url("/"), {.returnedCookies = &returned, .responseHeaders = &responseHeaders});
    EXPECT_EQ(BytesToText(body), "page");
    EXPECT_EQ(returned, c.returned);
    EXPECT_EQ(LeftText(responseHeaders, 17), "HTTP/1.1 200 OK\r\n");
    EXPECT_EQ(RightText(responseHeaders, 4), "\r\n\r\n");
    EXPECT_FALSE(ContainsText(responseHeaders, "set-cookie"));  // case-sensitive: rewritten
  }
}

// A raw head of exactly `size` bytes, "ok" as its body.
std::string HeadOfSize(std::size_t size) {
  const std::string start = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nSet-Cookie: s=1\r\nX-Pad: ";
  const std::string end = "\r\n\r\n";
  return start + std::string(size - start.size() - end.size(), 'p') + end;
}

TEST_F(WinInetFetchTest, HeaderBlockMustFitWithItsNul) {
  for (std::size_t size : {4999u, 5000u, 9000u}) {
    SCOPED_TRACE(size);
    const std::string head = HeadOfSize(size);
    TestServer server;
    server.SetRawHandler([&](const RecordedRequest&, ServerConnection& connection) {
      connection.Send(head + "ok");
    });
    TextValue returned;
    TextValue responseHeaders;
    const ByteSet body = WinInetFetch(
        server.Url("/"), {.returnedCookies = &returned, .responseHeaders = &responseHeaders});
    EXPECT_EQ(BytesToText(body), "ok");
    if (size < 5000) {
      EXPECT_EQ(responseHeaders, head);
      EXPECT_EQ(returned, "s=1");
    } else {
      EXPECT_EQ(responseHeaders, kBlankHeaders);
      EXPECT_EQ(returned, "");
    }
  }
}

TEST_F(WinInetFetchTest, StatusIsNotReadAndRedirectsFollowUnlessAsked) {
  TestServer server;
  server.SetHandler([&](const RecordedRequest& request) {
    if (request.target == "/from")
      return Reply::Redirect(302, server.Url("/to"));
    if (request.target == "/missing")
      return Reply{.status = 404, .reason = "Not Found", .body = "no"};
    return Reply{.body = "arrived"};
  });
  EXPECT_EQ(BytesToText(WinInetFetch(server.Url("/missing"))), "no");
  EXPECT_EQ(BytesToText(WinInetFetch(server.Url("/from"))), "arrived");

  TextValue responseHeaders;
  const ByteSet body =
      WinInetFetch(server.Url("/from"), {.responseHeaders = &responseHeaders, .noRedirect = true});
  EXPECT_EQ(BytesToText(body), "moved");
  EXPECT_TRUE(ContainsText(responseHeaders, "\r\nLocation: " + server.Url("/to") + "\r\n"));
  EXPECT_EQ(LeftText(responseHeaders, 12), "HTTP/1.1 302");
}

TEST_F(WinInetFetchTest, RedirectNeverLeavesHttpsForHttp) {
  TestServer plain;
  TestServer secure(TestCertKind::Good);
  secure.SetHandler([&](const RecordedRequest& request) {
    if (request.target == "/down")
      return Reply::Redirect(302, plain.Url("/plain"));
    return Reply{.body = "secure"};
  });
  plain.SetHandler([&](const RecordedRequest& request) {
    if (request.target == "/up")
      return Reply::Redirect(302, secure.Url("/s"));
    return Reply{.body = "plain"};
  });

  TextValue responseHeaders;
  EXPECT_TRUE(WinInetFetch(secure.Url("/down"), {.responseHeaders = &responseHeaders}).empty());
  EXPECT_EQ(responseHeaders, kBlankHeaders);
  EXPECT_EQ(plain.RequestCount(), 0u);

  EXPECT_EQ(BytesToText(WinInetFetch(plain.Url("/up"))), "secure");
}

TEST_F(WinInetFetchTest, FailedSendGivesEmptyBodyAndBlanks) {
  SetInternetDefaultTimeouts(10'000, 10'000);
  TestServer untrusted(TestCertKind::Untrusted);
  TestServer wrongHost(TestCertKind::WrongHost);
  const TextValue urls[] = {
      "http://127.0.0.1:" + std::to_string(UnusedLoopbackPort()) + "/",
      "http://no-such-host.invalid/",
      untrusted.Url("/secret"),
      wrongHost.Url("/secret"),
  };
  for (const TextValue& url : urls) {
    SCOPED_TRACE(url);
    TextValue cookies = "a=1";
    TextValue returned = "stale";
    TextValue responseHeaders;
    const ByteSet body = WinInetFetch(
        url,
        {.cookies = &cookies, .returnedCookies = &returned, .responseHeaders = &responseHeaders});
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(responseHeaders, kBlankHeaders);
    EXPECT_EQ(returned, "a=1");  // the merge of the caller's cookies with nothing
    EXPECT_EQ(cookies, "a=1");
  }
  EXPECT_EQ(untrusted.RequestCount(), 0u);
  EXPECT_EQ(wrongHost.RequestCount(), 0u);
}

TEST_F(WinInetFetchTest, StalledBodyEndsAfterTheIdleTime) {
  SetInternetDefaultTimeouts(0, 1000);
  TestServer server;
  server.SetReply({.body = "never sent", .stallAfterHeaders = true});
  TextValue responseHeaders;
  const ByteSet body = WinInetFetch(server.Url("/slow"), {.responseHeaders = &responseHeaders});
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(LeftText(responseHeaders, 15), "HTTP/1.1 200 OK");
}

TEST_F(WinInetFetchTest, UnopenableConnectionWritesNothing) {
  TextValue cookies = "a=1";
  TextValue returned = "keep";
  TextValue headers = "X-Mine: 1";
  TextValue responseHeaders = "keep";
  ByteSet postBytes;
  const ByteSet body = WinInetFetch("http:///no-host", {.method = 1,
                                                        .postData = "d=1",
                                                        .cookies = &cookies,
                                                        .returnedCookies = &returned,
                                                        .headers = &headers,
                                                        .responseHeaders = &responseHeaders,
                                                        .postBytes = &postBytes});
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(cookies, "a=1");
  EXPECT_EQ(returned, "keep");
  EXPECT_EQ(headers, "X-Mine: 1");
  EXPECT_EQ(responseHeaders, "keep");
  EXPECT_TRUE(postBytes.empty());
}

TEST_F(WinInetFetchTest, LargeBodyArrivesWhole) {
  std::string large(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 % 251);
  TestServer server;
  server.SetReply({.body = large});
  const ByteSet body = WinInetFetch(server.Url("/large"));
  ASSERT_EQ(body.size(), large.size());
  EXPECT_TRUE(std::equal(body.begin(), body.end(), large.begin(),
                         [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));
}

}  // namespace
