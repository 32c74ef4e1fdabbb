// Peers that trickle, never stop, reset or cut a chunked body: each call
// ends one idle time-out after the peer goes quiet at the latest, hands back
// what arrived, holds no more memory than that, and the next call works.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "hostile/Hostile.h"
#include "support/TestServer.h"

namespace {

using Client = std::function<Fetched(const std::string&)>;

struct NamedClient {
  const char* name;
  Client fetch;
};

const NamedClient kClients[] = {
    {"WinHttpFetch", [](const std::string& url) { return ViaWinHttp(url); }},
    {"WinInetFetch", [](const std::string& url) { return ViaWinInet(url); }},
};

// After a hostile answer, an ordinary one must come back whole.
void ExpectNextCallWorks(const NamedClient& client) {
  TestServer healthy;
  healthy.SetReply({.body = "next"});
  EXPECT_EQ(client.fetch(healthy.Url("/")).body, "next") << client.name;
}

TEST(SlowPeer, TrickleKeepsTheCallAliveUntilThePeerGoesQuiet) {
  // One byte a second is slower than any sane peer but never idle for the
  // whole time-out: nothing of it is lost, and the call ends one time-out
  // after the last byte, with what arrived.
  TestServer server;
  server.SetRawHandler([](const RecordedRequest&, ServerConnection& connection) {
    connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n");
    connection.SendSlowly("abc", 1, 1000);
    connection.SleepMs(20'000);
  });
  for (const NamedClient& client : kClients) {
    Fetched got = client.fetch(server.Url("/trickle"));
    EXPECT_EQ(got.body, "abc") << client.name;
    EXPECT_GE(got.seconds, 2.0) << client.name;
    EXPECT_LT(got.seconds, 3 + kIdleSeconds + 6.0) << client.name;
    ExpectNextCallWorks(client);
  }
  // The body was cut short, yet the head arrived: the status line stands.
  EXPECT_EQ(ViaWinHttp(server.Url("/")).status, "200 OK");
}

TEST(SlowPeer, HeadThatNeverEndsFailsAfterTheTimeOut) {
  TestServer server;
  server.SetRawHandler([](const RecordedRequest&, ServerConnection& connection) {
    connection.Send("HTTP/1.1 200 OK\r\nX-Slow: ");
    connection.SendSlowly("ab", 1, 1000);
    connection.SleepMs(20'000);
  });
  Fetched winHttp = ViaWinHttp(server.Url("/"));
  EXPECT_EQ(winHttp.body, "");
  EXPECT_EQ(winHttp.status, Gbk("712 服务器未响应!"));
  EXPECT_LT(winHttp.seconds, 2 + kIdleSeconds + 6.0);

  Fetched winInet = ViaWinInet(server.Url("/"));
  EXPECT_EQ(winInet.body, "");
  EXPECT_EQ(winInet.headers, TextValue(5000, ' '));
  EXPECT_LT(winInet.seconds, 2 + kIdleSeconds + 6.0);
  for (const NamedClient& client : kClients) ExpectNextCallWorks(client);
}

TEST(EndlessBody, CallEndsWhenThePeerStopsAndMemoryFollowsWhatArrived) {
  // The clients have no size limit by design: the peer stops after 32 MiB of
  // a body without length, and the memory the call used must be of the order
  // of those bytes, not of some multiple that grows without end.
  constexpr std::size_t kSent = 32 * 1024 * 1024;
  TestServer server;
  server.SetRawHandler([](const RecordedRequest&, ServerConnection& connection) {
    if (!connection.Send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"))
      return;
    const std::string block(64 * 1024, 'x');
    for (std::size_t sent = 0; sent < kSent && connection.Send(block); sent += block.size()) {
    }
    connection.Close();
  });
  for (const NamedClient& client : kClients) {
    std::int64_t base = StartMemoryWatch();
    Fetched got = client.fetch(server.Url("/endless"));
    std::int64_t growth = PeakGrowth(base);
    EXPECT_EQ(got.body.size(), kSent) << client.name;
    EXPECT_EQ(got.body.find_first_not_of('x'), std::string::npos) << client.name;
    // The body, one copy of it while it is handed over, and slack.
    EXPECT_LT(growth, 3 * static_cast<std::int64_t>(kSent) + kAllocatorSlack) << client.name;
    ExpectNextCallWorks(client);
  }
}

TEST(BrokenBody, ResetAndTruncatedChunksGiveWhatArrived) {
  struct Case {
    const char* name;
    std::function<void(ServerConnection&)> answer;
    std::string whole;  // what a complete answer would have carried
  };
  const std::string big(200'000, 'r');
  const Case cases[] = {
      {"reset mid-body",
       [&](ServerConnection& c) {
         c.Send("HTTP/1.1 200 OK\r\nContent-Length: 200000\r\n\r\n" + big.substr(0, 70'000));
         c.Reset();
       },
       big},
      {"truncated chunk",
       [](ServerConnection& c) {
         c.Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n10\r\nabc");
         c.Close();
       },
       "helloabc"},
      {"chunk size that is not a number",
       [](ServerConnection& c) {
         c.Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\nzz\r\n");
         c.Close();
       },
       "hello"},
  };
  for (const Case& item : cases) {
    TestServer server;
    server.SetRawHandler(
        [&](const RecordedRequest&, ServerConnection& connection) { item.answer(connection); });
    for (const NamedClient& client : kClients) {
      Fetched got = client.fetch(server.Url("/"));
      // Whatever arrived is a prefix of the whole; nothing made up, no hang.
      EXPECT_EQ(item.whole.compare(0, got.body.size(), got.body), 0)
          << item.name << " " << client.name;
      EXPECT_LT(got.seconds, kIdleSeconds + 6.0) << item.name << " " << client.name;
    }
    // A body that broke off is still an answer: its status line is read.
    EXPECT_EQ(ViaWinHttp(server.Url("/")).status, "200 OK") << item.name;
  }
  for (const NamedClient& client : kClients) ExpectNextCallWorks(client);
}

}  // namespace
