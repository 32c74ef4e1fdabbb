// Answers with monstrous header blocks, certificates that must not be
// trusted, and redirects that loop or lead where they must not: the caller
// gets the clients' empty results and failure texts, nothing is sent where it
// must not go, and the next call works.
#include <gtest/gtest.h>

#include <string>

#include "hostile/Hostile.h"
#include "platform/net/HttpTransfer.h"
#include "support/TestServer.h"

namespace {

class HostileAnswer : public testing::Test {
 protected:
  void SetUp() override {
    ClearProcessCookies();
    TrustTestCa();
  }
};

void ExpectBothClientsWorkOn(const TestServer& healthy) {
  Fetched winHttp = ViaWinHttp(healthy.Url("/"));
  EXPECT_EQ(winHttp.body, "next");
  EXPECT_EQ(winHttp.status, "200 OK");
  EXPECT_EQ(ViaWinInet(healthy.Url("/")).body, "next");
}

TEST_F(HostileAnswer, OneHeaderOfOneMegabyteIsRefusedAsAWhole) {
  // No client keeps a header line of 1 MB: the answer is refused like a
  // malformed one rather than half taken, and memory stays small.
  TestServer server;
  server.SetReply({.headers = {"X-Huge: " + std::string(1 << 20, 'h')}, .body = "body"});
  std::int64_t base = StartMemoryWatch();
  Fetched winHttp = ViaWinHttp(server.Url("/"));
  EXPECT_EQ(winHttp.body, "");
  EXPECT_EQ(winHttp.status, Gbk("712 服务器未响应!"));
  Fetched winInet = ViaWinInet(server.Url("/"));
  EXPECT_EQ(winInet.body, "");
  EXPECT_EQ(winInet.headers, TextValue(5000, ' '));
  EXPECT_LT(PeakGrowth(base), kAllocatorSlack);

  TestServer healthy;
  healthy.SetReply({.body = "next"});
  ExpectBothClientsWorkOn(healthy);
}

TEST_F(HostileAnswer, TenThousandCookieLinesAreCollectedAndMerged) {
  // Every line is walked and every cookie merged into the caller's text; the
  // WinINet header buffer of 5000 bytes cannot hold the block, so it keeps
  // its blanks and collects nothing, while both still return the body.
  constexpr int kLines = 10'000;
  std::vector<std::string> lines;
  for (int i = 0; i < kLines; ++i) lines.push_back("Set-Cookie: c" + std::to_string(i) + "=v");
  TestServer server;
  server.SetReply({.headers = lines, .body = "body"});

  TextValue cookies = "c0=old; keep=1";
  TextValue returned;
  WinHttpFetchParams params;
  params.cookies = &cookies;
  params.returnedCookies = &returned;
  Fetched winHttp = ViaWinHttp(server.Url("/"), params);
  EXPECT_EQ(winHttp.body, "body");
  EXPECT_EQ(winHttp.status, "200 OK");
  EXPECT_EQ(cookies, returned);
  // The response's cookies first, in their order, then the old one it did not set.
  EXPECT_EQ(cookies.rfind("c0=v; c1=v; ", 0), 0u) << cookies.substr(0, 40);
  const std::string tail = "; c9999=v; keep=1";
  EXPECT_EQ(cookies.compare(cookies.size() - tail.size(), tail.size(), tail), 0);
  EXPECT_EQ(cookies.find("old"), std::string::npos);

  TextValue inetCookies = "keep=1";
  TextValue inetReturned = "stale";
  WinInetFetchParams inetParams;
  inetParams.cookies = &inetCookies;
  inetParams.returnedCookies = &inetReturned;
  Fetched winInet = ViaWinInet(server.Url("/"), inetParams);
  EXPECT_EQ(winInet.body, "body");
  EXPECT_EQ(winInet.headers, TextValue(5000, ' '));
  EXPECT_EQ(inetCookies, "keep=1");
  EXPECT_EQ(inetReturned, "keep=1");
}

TEST_F(HostileAnswer, CertificatesThatMustNotBeTrustedSendNothing) {
  for (TestCertKind kind : {TestCertKind::WrongHost, TestCertKind::Expired}) {
    TestServer server(kind);
    server.SetReply({.body = "secret"});
    WinHttpFetchParams params;
    params.method = 1;
    params.postData = "password=1";
    Fetched winHttp = ViaWinHttp(server.Url("/"), params);
    EXPECT_EQ(winHttp.body, "");
    EXPECT_EQ(winHttp.status, Gbk("711 发送请求失败!"));
    WinInetFetchParams inetParams;
    inetParams.method = 1;
    inetParams.postData = "password=1";
    Fetched winInet = ViaWinInet(server.Url("/"), inetParams);
    EXPECT_EQ(winInet.body, "");
    EXPECT_EQ(winInet.headers, TextValue(5000, ' '));
    // The handshake failed before a byte of the request went out.
    EXPECT_EQ(server.RequestCount(), 0u);
    EXPECT_GE(server.ConnectionCount(), 2);
  }
  TestServer healthy(TestCertKind::Good);
  healthy.SetReply({.body = "next"});
  ExpectBothClientsWorkOn(healthy);
}

TEST_F(HostileAnswer, RedirectLoopEndsAfterABoundedNumberOfHops) {
  TestServer server;
  server.SetHandler([](const RecordedRequest& request) {
    return Reply::Redirect(302, request.target == "/a" ? "/b" : "/a");
  });
  Fetched winHttp = ViaWinHttp(server.Url("/a"));
  EXPECT_EQ(winHttp.body, "");
  EXPECT_EQ(winHttp.status, Gbk("712 服务器未响应!"));
  std::size_t afterWinHttp = server.RequestCount();
  EXPECT_LE(afterWinHttp, static_cast<std::size_t>(kDefaultMaxRedirects) + 1);
  EXPECT_EQ(ViaWinInet(server.Url("/a")).body, "");
  EXPECT_LE(server.RequestCount() - afterWinHttp,
            static_cast<std::size_t>(kDefaultMaxRedirects) + 1);
}

TEST_F(HostileAnswer, RedirectToAnotherSchemeIsNotFollowed) {
  // A file: target must not hand a local file to the caller; an ftp: one
  // must not open a connection of another protocol.
  TestServer ftpPort;  // would see any connection an ftp: redirect made
  for (const std::string& target : {std::string("file:///etc/passwd"),
                                    "ftp://127.0.0.1:" + std::to_string(ftpPort.Port()) + "/"}) {
    TestServer server;
    server.SetReply(Reply::Redirect(302, target));
    Fetched winHttp = ViaWinHttp(server.Url("/"));
    EXPECT_EQ(winHttp.body, "") << target;
    EXPECT_EQ(winHttp.status, Gbk("712 服务器未响应!")) << target;
    EXPECT_EQ(ViaWinInet(server.Url("/")).body, "") << target;
    EXPECT_EQ(server.RequestCount(), 2u) << target;
  }
  EXPECT_EQ(ftpPort.ConnectionCount(), 0);
}

TEST_F(HostileAnswer, CredentialsNeverFollowARedirectToAnotherHost) {
  TestServer other;  // reached as "localhost": another host for the clients
  other.SetReply({.body = "landed"});
  TestServer first;
  first.SetReply(
      Reply::Redirect(302, "http://localhost:" + std::to_string(other.Port()) + "/landing"));

  WinHttpFetchParams params;
  params.userName = "user";
  params.password = "secret";
  TextValue cookies = "sid=1";
  params.cookies = &cookies;
  Fetched winHttp = ViaWinHttp(first.Url("/"), params);
  EXPECT_EQ(winHttp.body, "landed");
  ASSERT_EQ(other.RequestCount(), 1u);
  EXPECT_TRUE(first.LastRequest().Header("Authorization").has_value());
  EXPECT_EQ(other.LastRequest().Header("Authorization"), std::nullopt);
  EXPECT_EQ(other.LastRequest().Header("Cookie"), std::nullopt);

  TextValue headers = "Authorization: Basic dXNlcjpzZWNyZXQ=";
  TextValue inetCookies = "sid=1";
  WinInetFetchParams inetParams;
  inetParams.headers = &headers;
  inetParams.cookies = &inetCookies;
  EXPECT_EQ(ViaWinInet(first.Url("/"), inetParams).body, "landed");
  ASSERT_EQ(other.RequestCount(), 2u);
  EXPECT_EQ(first.LastRequest().Header("Authorization"), "Basic dXNlcjpzZWNyZXQ=");
  EXPECT_EQ(other.LastRequest().Header("Authorization"), std::nullopt);
  EXPECT_EQ(other.LastRequest().Header("Cookie"), std::nullopt);
}

}  // namespace
