// A real HTTP or HTTPS server on 127.0.0.1 (port chosen by the system) for
// tests: it answers as the test says and records every request exactly as it
// arrived.
//
//   TestServer server;                       // plain HTTP; TestServer(TestCertKind::Good) for TLS
//   server.SetReply({.headers = {"Set-Cookie: a=1"}, .body = "hello"});
//   ... fetch server.Url("/path?x=1") ...
//   EXPECT_EQ(server.LastRequest().requestLine, "GET /path?x=1 HTTP/1.1");
//
// Every connection runs on its own thread, so handlers may be called at the
// same time and must be thread safe. Keep-alive is served: a connection reads
// request after request until the client closes, an answer ends it, or it
// stays idle for 30 s. The destructor stops everything: stalled answers and
// endless bodies end then, so no test hangs on its server. For HTTPS, call
// TrustTestCa() (TestPki.h) first unless the test wants an untrusted server.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "support/RecordedRequest.h"
#include "support/ServerConnection.h"
#include "support/TestPki.h"

struct Reply {
  int status = 200;
  std::string reason = "OK";  // every member has an initializer, so {.body = ...} builds cleanly
  std::vector<std::string> headers{};  // "Name: value", sent as given and in order
  std::string body{};
  // Adds "Content-Length: <body size>" after the given lines unless they hold
  // a Content-Length or Transfer-Encoding line (or the body is endless).
  bool addContentLength = true;
  int delayMs = 0;                          // wait before sending anything
  bool stallAfterHeaders = false;           // send the head, then nothing until the client leaves
  std::optional<std::size_t> resetAfter{};  // send the head and this many body bytes, then reset
  bool endless = false;  // repeat the body (64 KB of 'x' when empty) until the client leaves
  bool close = false;    // close the connection after this answer

  // A redirect with a short body.
  static Reply Redirect(int status, std::string location);
};

using ReplyHandler = std::function<Reply(const RecordedRequest&)>;
// Full control of the bytes: the handler writes the answer itself. The
// connection is closed when it returns (unless it reset or closed it already).
using RawHandler = std::function<void(const RecordedRequest&, ServerConnection&)>;

class TestServer {
 public:
  // Plain HTTP; with a certificate kind, HTTPS with that certificate.
  explicit TestServer(std::optional<TestCertKind> tls = std::nullopt);
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:PORT" or "https://127.0.0.1:PORT".
  std::string BaseUrl() const;
  // BaseUrl() followed by pathAndQuery (which should start with "/").
  std::string Url(std::string_view pathAndQuery) const;

  // The answer to every request (default: 200 OK with the body "ok").
  void SetReply(Reply reply);
  void SetHandler(ReplyHandler handler);
  void SetRawHandler(RawHandler handler);

  std::vector<RecordedRequest> Requests() const;
  // The latest request; an empty record when none arrived.
  RecordedRequest LastRequest() const;
  std::size_t RequestCount() const;
  // Waits until at least count requests were recorded; false after timeoutMs.
  bool WaitForRequests(std::size_t count, int timeoutMs) const;
  // Connections accepted so far (TLS handshakes that failed included).
  int ConnectionCount() const { return connections_.load(); }

  // Stops accepting, ends every connection and joins the threads.
  void Stop();

 private:
  void AcceptLoop();
  void Serve(int fd);
  void Answer(const RecordedRequest& request, const Reply& reply, ServerConnection& connection,
              bool& keepOpen);

  int listenFd_ = -1;
  int port_ = 0;
  SSL_CTX* tls_ = nullptr;
  std::atomic<bool> stopping_ = false;
  std::atomic<int> connections_ = 0;
  std::thread acceptThread_;

  mutable std::mutex mutex_;
  mutable std::condition_variable recorded_;
  std::vector<RecordedRequest> requests_;
  // Shared, not copied per request: a fixed reply may hold a body of many MB.
  std::shared_ptr<const ReplyHandler> handler_;
  std::shared_ptr<const Reply> fixedReply_;
  std::shared_ptr<const RawHandler> rawHandler_;
  std::set<ServerConnection*> live_;
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  std::list<Worker> workers_;
};

// A loopback port on which nothing listens (for refused connections).
int UnusedLoopbackPort();
