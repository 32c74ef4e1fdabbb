#include <gtest/gtest.h>

#include "FetchAll.h"
#include "support/TestServer.h"

namespace {

// Answers /start with the given redirect and anything else with its path.
void RedirectOnce(TestServer& server, int status, std::string location) {
  server.SetHandler([status, location](const RecordedRequest& request) {
    if (request.target == "/start")
      return Reply::Redirect(status, location);
    return Reply{.body = "at " + request.target};
  });
}

TEST(HttpTransferRedirects, MethodAndBodyAfterEachKindOfRedirect) {
  struct Case {
    int status;
    std::string method, expectedMethod, expectedBody;
  };
  const Case cases[] = {
      {301, "POST", "GET", ""},      {302, "POST", "GET", ""},        {303, "POST", "GET", ""},
      {303, "PUT", "GET", ""},       {307, "POST", "POST", "form=1"}, {308, "PUT", "PUT", "form=1"},
      {302, "PUT", "PUT", "form=1"},
  };
  for (const Case& c : cases) {
    TestServer server;
    RedirectOnce(server, c.status, "/next?q=1");
    HttpRequest request = TestRequest(server.Url("/start"), c.method, "form=1");
    request.headerLines = {"Content-Type: application/x-www-form-urlencoded", "X-Keep: 1"};
    Outcome result = FetchAll(request);
    ASSERT_TRUE(result.sent) << c.status << c.method;
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.body, "at /next?q=1");
    EXPECT_EQ(result.url, server.Url("/next?q=1"));
    RecordedRequest second = server.LastRequest();
    EXPECT_EQ(second.method, c.expectedMethod) << c.status << c.method;
    EXPECT_EQ(second.body, c.expectedBody) << c.status << c.method;
    EXPECT_EQ(second.Header("Content-Type").has_value(), !c.expectedBody.empty());
    EXPECT_EQ(second.Header("X-Keep"), "1");
  }
}

TEST(HttpTransferRedirects, NotFollowedWhenSwitchedOffOrNotARedirect) {
  TestServer server;
  RedirectOnce(server, 302, "/elsewhere");
  HttpRequest request = TestRequest(server.Url("/start"));
  request.followRedirects = false;
  Outcome result = FetchAll(request);
  EXPECT_EQ(result.status, 302);
  EXPECT_EQ(result.body, "moved");
  EXPECT_EQ(server.RequestCount(), 1u);

  server.SetReply({.status = 300, .reason = "Multiple Choices", .headers = {"Location: /x"}});
  EXPECT_EQ(FetchAll(TestRequest(server.Url("/start"))).status, 300);
  server.SetReply({.status = 302, .reason = "Found", .body = "no location"});
  EXPECT_EQ(FetchAll(TestRequest(server.Url("/start"))).body, "no location");
}

TEST(HttpTransferRedirects, HopsAreBounded) {
  TestServer server;
  server.SetReply(Reply::Redirect(302, "/again"));
  HttpRequest request = TestRequest(server.Url("/start"));
  request.maxRedirects = 3;
  Outcome result = FetchAll(request);
  EXPECT_FALSE(result.sent);
  EXPECT_EQ(result.error, HttpError::RedirectFailed);
  EXPECT_EQ(server.RequestCount(), 4u);
}

TEST(HttpTransferRedirects, RefusesTargetsItMustNotFollow) {
  TrustTestCa();
  TestServer secure(TestCertKind::Good);
  TestServer plain;
  RedirectOnce(secure, 302, plain.Url("/down"));
  Outcome downgrade = FetchAll(TestRequest(secure.Url("/start")));
  EXPECT_FALSE(downgrade.sent);
  EXPECT_EQ(downgrade.error, HttpError::RedirectFailed);
  EXPECT_EQ(plain.RequestCount(), 0u);

  HttpRequest allowed = TestRequest(secure.Url("/start"));
  allowed.allowHttpsToHttp = true;
  EXPECT_EQ(FetchAll(allowed).body, "ok");
  EXPECT_EQ(plain.LastRequest().target, "/down");

  for (const char* location : {"ftp://127.0.0.1/x", "file:///etc/passwd", "http://[bad"}) {
    RedirectOnce(plain, 302, location);
    Outcome refused = FetchAll(TestRequest(plain.Url("/start")));
    EXPECT_FALSE(refused.sent) << location;
    EXPECT_EQ(refused.error, HttpError::RedirectFailed) << location;
  }
}

TEST(HttpTransferRedirects, SecretsStayWithTheFirstOrigin) {
  TestServer first, other;
  HttpRequest request = TestRequest(first.Url("/start"));
  request.serverCredentials = HttpCredentials{"user", "pass"};
  request.headerLines = {"Cookie: sid=1", "Authorization: Bearer t", "X-Other: kept"};

  RedirectOnce(first, 302, "/same");
  ASSERT_TRUE(FetchAll(request).sent);
  RecordedRequest same = first.LastRequest();
  EXPECT_EQ(same.target, "/same");
  EXPECT_EQ(same.Header("Cookie"), "sid=1");
  EXPECT_EQ(same.HeaderCount("Authorization"), 1);  // the given line replaces the credentials

  request.headerLines = {"Cookie: sid=1", "X-Other: kept"};
  RedirectOnce(first, 307, other.Url("/away"));
  ASSERT_TRUE(FetchAll(request).sent);
  EXPECT_EQ(first.Requests().at(first.RequestCount() - 1).Header("Authorization"),
            "Basic dXNlcjpwYXNz");
  RecordedRequest away = other.LastRequest();
  EXPECT_EQ(away.target, "/away");
  EXPECT_FALSE(away.Header("Authorization"));
  EXPECT_FALSE(away.Header("Cookie"));
  EXPECT_EQ(away.Header("X-Other"), "kept");
}

}  // namespace
