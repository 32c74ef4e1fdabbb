#include <gtest/gtest.h>

#include <thread>

#include "FetchAll.h"
#include "support/TestProxy.h"
#include "support/TestServer.h"

namespace {

TEST(HttpTransferProxy, PlainRequestsGoInAbsoluteFormAndTlsThroughATunnel) {
  TrustTestCa();
  TestProxy proxy;
  TestServer plain;
  TestServer secure(TestCertKind::Good);
  secure.SetReply({.body = "through the tunnel"});

  HttpRequest request = TestRequest(plain.Url("/p?q=1"));
  request.proxy = proxy.Address();
  request.headerLines = {"X-Mine: 1"};
  EXPECT_EQ(FetchAll(request).body, "ok");
  RecordedRequest relayed = proxy.LastRequest();
  EXPECT_EQ(relayed.requestLine, "GET " + plain.Url("/p?q=1") + " HTTP/1.1");
  EXPECT_EQ(relayed.Header("X-Mine"), "1");
  EXPECT_EQ(plain.LastRequest().requestLine, "GET /p?q=1 HTTP/1.1");

  request.url = secure.Url("/s");
  EXPECT_EQ(FetchAll(request).body, "through the tunnel");
  std::string authority = "127.0.0.1:" + std::to_string(secure.Port());
  EXPECT_EQ(proxy.LastRequest().requestLine, "CONNECT " + authority + " HTTP/1.1");
  EXPECT_FALSE(proxy.LastRequest().Header("X-Mine"));  // the tunnel request carries no own lines
  EXPECT_EQ(secure.LastRequest().Header("X-Mine"), "1");
}

TEST(HttpTransferProxy, ProxyCredentialsGoToTheProxyOnly) {
  TrustTestCa();
  TestProxy proxy;
  proxy.RequireCredentials("pu", "pp");
  TestServer plain;
  TestServer secure(TestCertKind::Good);

  for (TestServer* server : {&plain, &secure}) {
    HttpRequest request = TestRequest(server->Url("/"));
    request.proxy = proxy.Address();
    Outcome refused = FetchAll(request);
    EXPECT_TRUE(refused.sent) << server->BaseUrl();
    EXPECT_EQ(refused.status, 407) << server->BaseUrl();
    EXPECT_EQ(server->RequestCount(), 0u);

    request.proxyCredentials = HttpCredentials{"pu", "pp"};
    Outcome passed = FetchAll(request);
    EXPECT_EQ(passed.status, 200) << server->BaseUrl();
    EXPECT_EQ(proxy.LastRequest().Header("Proxy-Authorization"), "Basic cHU6cHA=");
    EXPECT_FALSE(server->LastRequest().Header("Proxy-Authorization"));
  }
}

TEST(HttpTransferCredentials, BasicCredentialsAreSentAtOnce) {
  TestServer server;
  HttpRequest request = TestRequest(server.Url("/"));
  request.serverCredentials = HttpCredentials{"user", "p:ss"};
  FetchAll(request);
  EXPECT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.LastRequest().Header("Authorization"), "Basic dXNlcjpwOnNz");
}

// Sets a cookie on /set and answers anything else with the Cookie line it got.
void CookieEcho(TestServer& server) {
  server.SetHandler([](const RecordedRequest& request) {
    if (request.target == "/set") {
      return Reply{.headers = {"Set-Cookie: a=1; Path=/", "Set-Cookie: b=2"}, .body = "set"};
    }
    if (request.target == "/set-and-go") {
      Reply reply = Reply::Redirect(302, "/show");
      reply.headers.push_back("Set-Cookie: hop=1");
      return reply;
    }
    return Reply{.body = request.Header("Cookie").value_or("none")};
  });
}

TEST(HttpTransferCookies, EachModeKeepsCookiesWhereItShould) {
  TestServer server;
  CookieEcho(server);
  auto with = [&](const char* path, CookieMode mode) {
    HttpRequest request = TestRequest(server.Url(path));
    request.cookies = mode;
    return FetchAll(request).body;
  };
  ClearProcessCookies();

  FetchAll(TestRequest(server.Url("/set")));
  EXPECT_EQ(with("/show", CookieMode::None), "none");
  EXPECT_EQ(with("/set-and-go", CookieMode::None), "none");

  EXPECT_EQ(with("/set-and-go", CookieMode::PrivateStore), "hop=1");  // kept across the hop
  EXPECT_EQ(with("/show", CookieMode::PrivateStore), "none");         // and gone afterwards

  with("/set", CookieMode::ProcessStore);
  EXPECT_EQ(with("/show", CookieMode::ProcessStore), "b=2; a=1");
  EXPECT_EQ(with("/show", CookieMode::PrivateStore), "none");
  ClearProcessCookies();
  EXPECT_EQ(with("/show", CookieMode::ProcessStore), "none");
}

TEST(HttpTransferCookies, TheProcessStoreServesSeveralThreadsAtOnce) {
  TestServer server;
  server.SetHandler([](const RecordedRequest& request) {
    return Reply{.headers = {"Set-Cookie: c" + request.target.substr(1) + "=1"}};
  });
  ClearProcessCookies();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 10; ++i) {
        HttpRequest request = TestRequest(server.Url("/" + std::to_string(t * 10 + i)));
        request.cookies = CookieMode::ProcessStore;
        FetchAll(request);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  // Every cookie set by any thread is in the one store.
  HttpRequest probe = TestRequest(server.Url("/probe"));
  probe.cookies = CookieMode::ProcessStore;
  FetchAll(probe);
  std::string sent = server.LastRequest().Header("Cookie").value_or("");
  for (int n = 0; n < 40; ++n) {
    EXPECT_NE(sent.find("c" + std::to_string(n) + "=1"), std::string::npos) << n;
  }
  ClearProcessCookies();
}

}  // namespace
