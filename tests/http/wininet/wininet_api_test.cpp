#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/net/HttpTransfer.h"
#include "platform/wininet/WinInet.h"
#include "support/TestServer.h"

namespace {

// One request's three handles, closed child first.
struct OpenRequest {
  HINTERNET internet = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
  OpenRequest(int port, const char* objectName, DWORD flags = 0) {
    internet = InternetOpenA("probe", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    connection = InternetConnectA(internet, "127.0.0.1", static_cast<INTERNET_PORT>(port), nullptr,
                                  nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    request = HttpOpenRequestA(connection, "GET", objectName, "HTTP/1.1", nullptr, nullptr,
                               flags | INTERNET_FLAG_NO_COOKIES, 0);
  }
  ~OpenRequest() {
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);
  }
  BOOL Send() { return HttpSendRequestA(request, "", 0, "", 0); }
  std::string ReadAll() {
    std::string body;
    char buffer[700];
    DWORD read = 0;
    while (InternetReadFile(request, buffer, sizeof buffer, &read) && read > 0) {
      body.append(buffer, read);
    }
    return body;
  }
};

TEST(WinInetApi, HeaderQueryFailsUntouchedWhenBlockAndNulDoNotFit) {
  TestServer server;
  OpenRequest open(server.Port(), "/");
  char buffer[4096];
  DWORD length = sizeof buffer;
  EXPECT_FALSE(HttpQueryInfoA(open.request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer, &length, nullptr));
  ASSERT_TRUE(open.Send());

  length = 0;
  EXPECT_FALSE(
      HttpQueryInfoA(open.request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &length, nullptr));
  const DWORD needed = length;  // block and NUL
  ASSERT_GT(needed, 20u);
  std::memset(buffer, 'Z', sizeof buffer);
  length = needed - 1;
  EXPECT_FALSE(HttpQueryInfoA(open.request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer, &length, nullptr));
  EXPECT_EQ(length, needed);
  EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, 'Z'));

  length = needed;
  EXPECT_TRUE(HttpQueryInfoA(open.request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer, &length, nullptr));
  EXPECT_EQ(length, needed - 1);
  EXPECT_EQ(std::strlen(buffer), needed - 1);
  EXPECT_EQ(std::string(buffer, 17), "HTTP/1.1 200 OK\r\n");
  EXPECT_EQ(open.ReadAll(), "ok");
}

TEST(WinInetApi, ReadsGiveZeroBeforeSendAndAfterTheEnd) {
  TestServer server;
  server.SetReply({.body = std::string(5000, 'b')});
  OpenRequest open(server.Port(), "/");
  char buffer[16];
  DWORD read = 99;
  EXPECT_FALSE(InternetReadFile(open.request, buffer, sizeof buffer, &read));
  EXPECT_EQ(read, 0u);
  ASSERT_TRUE(open.Send());
  EXPECT_EQ(open.ReadAll(), std::string(5000, 'b'));
  read = 99;
  EXPECT_TRUE(InternetReadFile(open.request, buffer, sizeof buffer, &read));
  EXPECT_EQ(read, 0u);
}

TEST(WinInetApi, BodyEndsAtResetAndReadsStayAtZero) {
  TestServer server;
  server.SetReply({.body = std::string(100000, 'r'), .resetAfter = 1000});
  OpenRequest open(server.Port(), "/");
  ASSERT_TRUE(open.Send());
  const std::string body = open.ReadAll();
  EXPECT_LE(body.size(), 1000u);
  EXPECT_EQ(body, std::string(body.size(), 'r'));
  char buffer[16];
  DWORD read = 99;
  EXPECT_FALSE(InternetReadFile(open.request, buffer, sizeof buffer, &read));
  EXPECT_EQ(read, 0u);
}

TEST(WinInetApi, ObjectNameIsEscapedButControlBytesAreRefused) {
  TestServer server;
  {
    OpenRequest open(server.Port(), "/\xB2\xE9 \xD1\xAF?a=\"b\"#frag");
    ASSERT_TRUE(open.Send());
    EXPECT_EQ(server.LastRequest().target, "/%B2%E9%20%D1%AF?a=%22b%22");
  }
  {
    OpenRequest open(server.Port(), "plain");
    ASSERT_TRUE(open.Send());
    EXPECT_EQ(server.LastRequest().target, "/plain");
  }
  OpenRequest injected(server.Port(), "/x HTTP/1.1\r\nX-Injected: 1\r\n\r\nGET /y");
  EXPECT_FALSE(injected.Send());
  EXPECT_EQ(server.RequestCount(), 2u);
}

TEST(WinInetApi, PlainRequestMayEndOnHttpsOnlyWithTheFlag) {
  TrustTestCa();
  TestServer secure(TestCertKind::Good);
  TestServer plain;
  plain.SetReply(Reply::Redirect(302, secure.Url("/s")));
  OpenRequest refused(plain.Port(), "/up");
  EXPECT_FALSE(refused.Send());
  EXPECT_EQ(refused.ReadAll(), "");
  OpenRequest allowed(plain.Port(), "/up", INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS);
  EXPECT_TRUE(allowed.Send());
  EXPECT_EQ(allowed.ReadAll(), "ok");
}

TEST(WinInetApi, RequestOutlivesItsParentsAndHandlesCloseOnce) {
  TestServer server;
  OpenRequest open(server.Port(), "/");
  EXPECT_TRUE(InternetCloseHandle(open.internet));
  EXPECT_TRUE(InternetCloseHandle(open.connection));
  EXPECT_FALSE(InternetCloseHandle(open.connection));
  EXPECT_FALSE(InternetCloseHandle(nullptr));
  EXPECT_EQ(InternetConnectA(open.internet, "127.0.0.1", 80, nullptr, nullptr,
                             INTERNET_SERVICE_HTTP, 0, 0),
            nullptr);
  ASSERT_TRUE(open.Send());
  EXPECT_EQ(open.ReadAll(), "ok");
  open.internet = open.connection = nullptr;
}

TEST(WinInetApi, UnsupportedArgumentsGiveNullHandles) {
  EXPECT_EQ(InternetOpenA("a", INTERNET_OPEN_TYPE_PROXY, "", nullptr, 0), nullptr);
  EXPECT_EQ(InternetOpenA("a", 0, nullptr, nullptr, 0), nullptr);
  HINTERNET internet = InternetOpenA("a", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  ASSERT_NE(internet, nullptr);
  EXPECT_EQ(InternetConnectA(internet, "h", 80, nullptr, nullptr, 1, 0, 0), nullptr);
  EXPECT_EQ(InternetConnectA(internet, "", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0),
            nullptr);
  EXPECT_EQ(InternetConnectA(internet, "h", 80, "user", "pw", INTERNET_SERVICE_HTTP, 0, 0),
            nullptr);
  HINTERNET connection =
      InternetConnectA(internet, "h", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(HttpOpenRequestA(connection, "GET", "/", "HTTP/1.0", nullptr, nullptr, 0, 0), nullptr);
  EXPECT_EQ(HttpOpenRequestA(connection, "GET", "/", nullptr, "http://r/", nullptr, 0, 0), nullptr);
  EXPECT_EQ(HttpOpenRequestA(internet, "GET", "/", nullptr, nullptr, nullptr, 0, 0), nullptr);
  EXPECT_TRUE(InternetCloseHandle(connection));
  EXPECT_TRUE(InternetCloseHandle(internet));
}

}  // namespace
