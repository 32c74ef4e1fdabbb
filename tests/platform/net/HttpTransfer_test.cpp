#include "platform/net/HttpTransfer.h"

#include <gtest/gtest.h>

#include <thread>

#include "FetchAll.h"
#include "support/TestServer.h"

namespace {

// A raw answer written byte for byte, then the connection closes.
void AnswerRaw(TestServer& server, std::string bytes) {
  server.SetRawHandler(
      [bytes](const RecordedRequest&, ServerConnection& connection) { connection.Send(bytes); });
}

TEST(HttpTransfer, SendsMethodTargetHeadersAndBodyAsGiven) {
  TestServer server;
  struct Case {
    std::string method, body;
    std::vector<std::string> lines;
    std::string expectedHead;  // request line and header lines after Host
  };
  const std::string host = "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n";
  std::string big(3000, 'b');  // large enough that a transport might ask for 100-continue
  const Case cases[] = {
      {"GET",
       "",
       {"x-lower: 1", "X-Empty:", "Zed: last"},
       "GET //a/./b?x=1 HTTP/1.1\r\n" + host + "x-lower: 1\r\nX-Empty:\r\nZed: last\r\n\r\n"},
      {"GET", "q=1", {}, "GET //a/./b?x=1 HTTP/1.1\r\n" + host + "Content-Length: 3\r\n\r\nq=1"},
      {"POST", "", {}, "POST //a/./b?x=1 HTTP/1.1\r\n" + host + "Content-Length: 0\r\n\r\n"},
      {"POST",
       big,
       {"Content-Type: text/plain"},
       "POST //a/./b?x=1 HTTP/1.1\r\n" + host +
           "Content-Type: text/plain\r\nContent-Length: 3000\r\n\r\n" + big},
      {"DELETE", "", {}, "DELETE //a/./b?x=1 HTTP/1.1\r\n" + host + "\r\n"},
      {"HEAD", "", {}, "HEAD //a/./b?x=1 HTTP/1.1\r\n" + host + "\r\n"},
      {"", "", {}, "GET //a/./b?x=1 HTTP/1.1\r\n" + host + "\r\n"},
  };
  for (const Case& c : cases) {
    HttpRequest request = TestRequest(server.Url("//a/./b?x=1"));
    request.method = c.method;
    request.body = c.body;
    request.headerLines = c.lines;
    Outcome outcome = FetchAll(request);
    EXPECT_TRUE(outcome.sent) << c.method;
    EXPECT_EQ(server.LastRequest().raw, c.expectedHead) << c.method << " " << c.body.size();
  }
}

TEST(HttpTransfer, RequestTargetIsThePathAndQueryAsGiven) {
  TestServer server;
  const std::pair<std::string, std::string> cases[] = {
      {"/\xd6\xd0?q=\xb9\xfa", "/\xd6\xd0?q=\xb9\xfa"},  // GBK bytes, not escaped
      {"/%41%2e/../b", "/%41%2e/../b"},                  // neither decoded nor folded
      {"?x=1", "/?x=1"},
      {"", "/"},
      {"/a?x=1#frag", "/a?x=1"},
      {"#frag", "/"},
  };
  for (const auto& [tail, target] : cases) {
    ASSERT_TRUE(FetchAll(TestRequest(server.BaseUrl() + tail)).sent) << tail;
    EXPECT_EQ(server.LastRequest().requestLine, "GET " + target + " HTTP/1.1") << tail;
  }
}

TEST(HttpTransfer, GivenLinesReplaceTheTransportsOwn) {
  TestServer server;
  HttpRequest request = TestRequest(server.Url("/"));
  request.userAgent = "Agent/1";
  request.headerLines = {"accept: text/x", "HOST: example.test", "user-agent: Mine"};
  ASSERT_TRUE(FetchAll(request).sent);
  RecordedRequest seen = server.LastRequest();
  // A Host line always goes first, in the usual spelling.
  EXPECT_EQ(seen.headerLines,
            (std::vector<std::string>{"Host: example.test", "accept: text/x", "user-agent: Mine"}));

  request.headerLines = {};
  ASSERT_TRUE(FetchAll(request).sent);
  EXPECT_EQ(server.LastRequest().Header("User-Agent"), "Agent/1");
  EXPECT_EQ(server.LastRequest().HeaderCount("User-Agent"), 1);
}

TEST(HttpTransfer, HandsBackTheFinalHeaderBlockAsReceived) {
  TestServer server;
  const std::string head =
      "HTTP/1.1 299 Odd  Reason\r\nSet-Cookie: a=1; Path=/\r\nset-cookie: b=2\r\n"
      "X-Spaced :  v  \r\nContent-Length: 4\r\n\r\n";
  AnswerRaw(server,
            "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 102 Processing\r\nX: 1\r\n\r\n" + head + "body");
  Outcome outcome = FetchAll(TestRequest(server.Url("/")));
  ASSERT_TRUE(outcome.sent);
  EXPECT_EQ(outcome.status, 299);
  EXPECT_EQ(outcome.headerBlock, head);
  EXPECT_EQ(outcome.body, "body");
  EXPECT_EQ(outcome.bodyState, BodyState::Complete);
}

TEST(HttpTransfer, TellsTheEndOfTheBodyFromAFailure) {
  struct Case {
    const char* name;
    std::string answer;
    std::string body;
    BodyState state;
  };
  const Case cases[] = {
      {"length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", "hello", BodyState::Complete},
      {"close-delimited", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nto the end", "to the end",
       BodyState::Complete},
      {"chunked",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n",
       "abcde", BodyState::Complete},
      {"short of its length", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhalf", "half",
       BodyState::Failed},
      {"chunked cut off",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n9\r\nde", "abcde",
       BodyState::Failed},
  };
  for (const Case& c : cases) {
    TestServer server;
    AnswerRaw(server, c.answer);
    Outcome outcome = FetchAll(TestRequest(server.Url("/")));
    EXPECT_TRUE(outcome.sent) << c.name;
    EXPECT_EQ(outcome.body, c.body) << c.name;
    EXPECT_EQ(outcome.bodyState, c.state) << c.name;
    EXPECT_EQ(outcome.error,
              c.state == BodyState::Failed ? HttpError::ReceiveFailed : HttpError::None)
        << c.name;
  }

  TestServer server;
  server.SetReply({.body = std::string(200000, 'r'), .resetAfter = 70000});
  Outcome reset = FetchAll(TestRequest(server.Url("/")));
  EXPECT_TRUE(reset.sent);
  EXPECT_EQ(reset.body, std::string(70000, 'r'));
  EXPECT_EQ(reset.bodyState, BodyState::Failed);
}

TEST(HttpTransfer, IdleTimeOutsEndTheWait) {
  TestServer server;
  server.SetReply({.body = "never", .stallAfterHeaders = true});
  HttpRequest request = TestRequest(server.Url("/"));
  request.receiveTimeoutMs = 300;
  Outcome stalled = FetchAll(request);
  EXPECT_TRUE(stalled.sent);  // the head came; the body did not
  EXPECT_EQ(stalled.status, 200);
  EXPECT_EQ(stalled.bodyState, BodyState::Failed);
  EXPECT_EQ(stalled.error, HttpError::Timeout);

  server.SetRawHandler([](const RecordedRequest&, ServerConnection& connection) {
    connection.WaitUntilClosed(10000);
  });
  Outcome silent = FetchAll(request);
  EXPECT_FALSE(silent.sent);
  EXPECT_EQ(silent.error, HttpError::Timeout);
  EXPECT_EQ(silent.headerBlock, "");

  // Bytes that keep trickling in keep the exchange alive past the idle limit.
  server.SetRawHandler([](const RecordedRequest&, ServerConnection& connection) {
    connection.SendSlowly("HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\nslowslow", 4, 100);
  });
  Outcome trickled = FetchAll(request);
  EXPECT_EQ(trickled.body, "slowslow");
  EXPECT_EQ(trickled.bodyState, BodyState::Complete);
}

TEST(HttpTransfer, StreamsAnEndlessBodyWithinItsBound) {
  TestServer server;
  server.SetReply({.endless = true});
  HttpTransfer transfer;
  ASSERT_TRUE(transfer.Send(TestRequest(server.Url("/"))));
  // The transport reads ahead no further than its bound, however fast the server is.
  EXPECT_LE(transfer.Available(), 2 * kBodyBufferBound);
  std::string chunk(64 * 1024, '\0');
  std::size_t total = 0;
  while (total < 32u * 1024 * 1024) {
    std::size_t count = transfer.Read(chunk.data(), chunk.size());
    ASSERT_GT(count, 0u);
    EXPECT_LE(transfer.Available(), 2 * kBodyBufferBound);
    total += count;
  }
  EXPECT_EQ(transfer.BodyStatus(), BodyState::Streaming);
}

TEST(HttpTransfer, RefusesUnsafeRequestsBeforeSending) {
  TestServer server;
  const std::string base = server.BaseUrl();
  struct Case {
    const char* name;
    HttpRequest request;
  };
  auto with = [&](auto change) {
    HttpRequest request = TestRequest(server.Url("/ok"));
    change(request);
    return request;
  };
  const Case cases[] = {
      {"CR LF in URL", TestRequest(base + "/a\r\nX-Injected: 1")},
      {"NUL in URL", TestRequest(base + std::string("/a\0b", 4))},
      {"tab in URL", TestRequest(base + "/a\tb")},
      {"space in URL", TestRequest(base + "/a b")},
      {"DEL in URL", TestRequest(base + "/a\x7f")},
      {"other scheme", TestRequest("ftp://127.0.0.1:" + std::to_string(server.Port()) + "/")},
      {"no scheme", TestRequest("127.0.0.1:" + std::to_string(server.Port()) + "/")},
      {"CR LF in a header line", with([](HttpRequest& r) { r.headerLines = {"A: 1\r\nB: 2"}; })},
      {"LF in the method", with([](HttpRequest& r) { r.method = "GET\n"; })},
      {"CR in the user agent", with([](HttpRequest& r) { r.userAgent = "x\ry"; })},
      {"a proxy of another kind", with([](HttpRequest& r) { r.proxy = "socks5://127.0.0.1:1"; })},
  };
  for (const Case& c : cases) {
    Outcome outcome = FetchAll(c.request);
    EXPECT_FALSE(outcome.sent) << c.name;
    EXPECT_EQ(outcome.error, HttpError::InvalidRequest) << c.name;
  }
  EXPECT_EQ(server.ConnectionCount(), 0);
}

TEST(HttpTransfer, ReportsWhyNoResponseArrived) {
  Outcome refused =
      FetchAll(TestRequest("http://127.0.0.1:" + std::to_string(UnusedLoopbackPort()) + "/"));
  EXPECT_FALSE(refused.sent);
  EXPECT_EQ(refused.error, HttpError::CannotConnect);

  TestServer server;
  AnswerRaw(server, "this is not HTTP\r\n\r\n");
  Outcome garbage = FetchAll(TestRequest(server.Url("/")));
  EXPECT_FALSE(garbage.sent);
  EXPECT_EQ(garbage.error, HttpError::ReceiveFailed);

  AnswerRaw(server, "");
  Outcome nothing = FetchAll(TestRequest(server.Url("/")));
  EXPECT_FALSE(nothing.sent);
  EXPECT_EQ(nothing.error, HttpError::ReceiveFailed);
}

TEST(HttpTransfer, TrustsTheExtraCaAndNothingUnverified) {
  TrustTestCa();
  TestServer good(TestCertKind::Good);
  good.SetReply({.body = "secret"});
  Outcome outcome = FetchAll(TestRequest(good.Url("/x")));
  EXPECT_TRUE(outcome.sent);
  EXPECT_EQ(outcome.body, "secret");
  EXPECT_TRUE(good.LastRequest().tls);

  for (TestCertKind kind :
       {TestCertKind::Untrusted, TestCertKind::WrongHost, TestCertKind::Expired}) {
    TestServer bad(kind);
    Outcome refused = FetchAll(TestRequest(bad.Url("/x")));
    EXPECT_FALSE(refused.sent) << static_cast<int>(kind);
    EXPECT_EQ(refused.error, HttpError::SecureFailure) << static_cast<int>(kind);
    EXPECT_EQ(refused.body, "");
    EXPECT_EQ(bad.RequestCount(), 0u);
  }

  EXPECT_FALSE(SetExtraTrustedCaFile("/nonexistent/ca.pem"));
  EXPECT_TRUE(
      FetchAll(TestRequest(good.Url("/still"))).sent);  // a failed change keeps the old setting
  ASSERT_TRUE(SetExtraTrustedCaFile(""));
  EXPECT_EQ(FetchAll(TestRequest(good.Url("/x"))).error, HttpError::SecureFailure);
  TrustTestCa();
}

}  // namespace
