// A recording HTTP proxy on 127.0.0.1 for tests: CONNECT tunnels (https) and
// absolute-form requests (http), relayed to loopback servers only.
//
//   TestProxy proxy;
//   proxy.RequireCredentials("user", "secret");   // optional: 407 without them
//   ... fetch through proxy.Address() ...
//   EXPECT_EQ(proxy.LastRequest().requestLine, "CONNECT 127.0.0.1:4431 HTTP/1.1");
//
// The proxy records what a client sent to it (the CONNECT request, or the
// absolute-form request with its Proxy-* lines). It forwards an absolute-form
// request to the server in origin form without its Proxy-Authorization and
// Proxy-Connection lines, then relays bytes both ways until one side closes:
// later requests on that client connection go to the same server. A target
// other than 127.0.0.1 or localhost gets 502.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "support/TestServer.h"

class TestProxy {
 public:
  TestProxy();
  ~TestProxy() = default;

  int Port() const { return server_.Port(); }
  // "127.0.0.1:PORT", the form the HTTP stand-ins take.
  std::string Address() const;
  // From now on, requests without these Basic credentials get 407.
  void RequireCredentials(std::string user, std::string password);

  std::vector<RecordedRequest> Requests() const { return server_.Requests(); }
  RecordedRequest LastRequest() const { return server_.LastRequest(); }
  std::size_t RequestCount() const { return server_.RequestCount(); }
  void Stop() { server_.Stop(); }

 private:
  void Relay(const RecordedRequest& request, ServerConnection& client);

  std::mutex mutex_;
  std::optional<std::string> expectedAuthorization_;
  TestServer server_;  // last: its threads call Relay, which reads the members above
};
