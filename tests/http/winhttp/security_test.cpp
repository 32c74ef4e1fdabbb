// TLS is verified, credentials stay with their host, and a URL carrying
// control bytes never reaches the wire.
#include <gtest/gtest.h>

#include "http/WinHttpFetch.h"
#include "http/winhttp/FetchFixture.h"
#include "platform/codepage/CodePage.h"
#include "support/TestServer.h"

namespace {

TEST_F(WinHttpFetchTest, OnlyATrustedMatchingCertificateGivesABody) {
  TrustTestCa();
  const std::pair<TestCertKind, bool> cases[] = {
      {TestCertKind::Good, true},
      {TestCertKind::Untrusted, false},
      {TestCertKind::WrongHost, false},
      {TestCertKind::Expired, false},
  };
  for (auto [kind, trusted] : cases) {
    SCOPED_TRACE(static_cast<int>(kind));
    TestServer server(kind);
    server.SetReply({.body = "secret"});
    TextValue status;
    ByteSet bytes;
    TextValue text = WinHttpFetch(server.Url("/"), {.status = &status, .responseBytes = &bytes});
    if (trusted) {
      EXPECT_EQ(text, "secret");
      EXPECT_EQ(status, "200 OK");
    } else {
      EXPECT_EQ(text, "");
      EXPECT_TRUE(bytes.empty());
      EXPECT_EQ(status, GbkFromUtf8("711 发送请求失败!"));
      EXPECT_EQ(server.RequestCount(), 0u);
    }
  }
}

TEST_F(WinHttpFetchTest, CredentialsDoNotFollowARedirectToAnotherHost) {
  TestServer other;
  TestServer first;
  // Same address, another host name: "localhost" instead of 127.0.0.1.
  first.SetReply(Reply::Redirect(302, "http://localhost:" + std::to_string(other.Port()) + "/"));
  EXPECT_EQ(WinHttpFetch(first.Url("/"), {.userName = "user", .password = "pass"}), "ok");
  EXPECT_EQ(first.LastRequest().Header("Authorization"), "Basic dXNlcjpwYXNz");
  ASSERT_EQ(other.RequestCount(), 1u);
  EXPECT_EQ(other.LastRequest().HeaderCount("Authorization"), 0);
}

TEST_F(WinHttpFetchTest, ControlBytesInTheUrlSendNothing) {
  TestServer server;
  for (const char* tail : {"/a\r\nX-Injected: 1", "/a\nb", "/a\rb", "/a\tb"}) {
    SCOPED_TRACE(tail);
    TextValue status;
    EXPECT_EQ(WinHttpFetch(server.BaseUrl() + tail, {.status = &status}), "");
    EXPECT_EQ(status, GbkFromUtf8("711 发送请求失败!"));
  }
  EXPECT_EQ(server.ConnectionCount(), 0);
}

TEST_F(WinHttpFetchTest, ControlBytesInAHeaderAreRefused) {
  TestServer server;
  TextValue status;
  EXPECT_EQ(WinHttpFetch(server.Url("/"), {.headers = "X-A: 1\nX-B: 2", .status = &status}), "");
  EXPECT_EQ(status, GbkFromUtf8("710 设置协议头失败!"));
  // The cookie text goes into a line of its own: it may not start another.
  for (const char* text : {"a=1\r\nX-Injected: 1", "a=1\nX-Injected: 1"}) {
    TextValue cookies = text;
    EXPECT_EQ(WinHttpFetch(server.Url("/"), {.cookies = &cookies, .status = &status}), "");
    EXPECT_EQ(status, GbkFromUtf8("710 设置协议头失败!"));
    EXPECT_EQ(cookies, text);
  }
  EXPECT_EQ(server.ConnectionCount(), 0);
}

}  // namespace
