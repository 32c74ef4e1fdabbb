#include "support/TestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kIdleMs = 30'000;

[[noreturn]] void Die(const char* what) {
  std::perror(what);
  std::abort();
}

// A socket bound to 127.0.0.1 on a port the system picks.
int BindLoopback(int& port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0)
    Die("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    Die("bind");
  socklen_t size = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  port = ntohs(address.sin_port);
  return fd;
}

bool HasLine(const std::vector<std::string>& lines, std::string_view name) {
  RecordedRequest probe;
  probe.headerLines = lines;
  return probe.Header(name).has_value();
}

}  // namespace

Reply Reply::Redirect(int status, std::string location) {
  Reply reply;
  reply.status = status;
  reply.reason = status == 301 ? "Moved Permanently" : status == 303 ? "See Other" : "Found";
  if (status == 307)
    reply.reason = "Temporary Redirect";
  if (status == 308)
    reply.reason = "Permanent Redirect";
  reply.headers = {"Location: " + location};
  reply.body = "moved";
  return reply;
}

TestServer::TestServer(std::optional<TestCertKind> tls) {
  std::signal(SIGPIPE, SIG_IGN);  // a client that leaves must not end the test program
  if (tls) {
    const TestCertFiles& files = TestServerCertificate(*tls);
    tls_ = SSL_CTX_new(TLS_server_method());
    if (!tls_ ||
        SSL_CTX_use_certificate_file(tls_, files.certificatePath.c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_use_PrivateKey_file(tls_, files.keyPath.c_str(), SSL_FILETYPE_PEM) != 1) {
      Die("TLS server set-up");
    }
  }
  fixedReply_ = std::make_shared<const Reply>(Reply{.body = "ok"});
  listenFd_ = BindLoopback(port_);
  if (::listen(listenFd_, 64) != 0)
    Die("listen");
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

TestServer::~TestServer() {
  Stop();
  if (tls_)
    SSL_CTX_free(tls_);
}

std::string TestServer::BaseUrl() const {
  return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_);
}

std::string TestServer::Url(std::string_view pathAndQuery) const {
  return BaseUrl() + std::string(pathAndQuery);
}

void TestServer::SetReply(Reply reply) {
  std::lock_guard lock(mutex_);
  fixedReply_ = std::make_shared<const Reply>(std::move(reply));
  handler_ = nullptr;
  rawHandler_ = nullptr;
}

void TestServer::SetHandler(ReplyHandler handler) {
  std::lock_guard lock(mutex_);
  handler_ = std::make_shared<const ReplyHandler>(std::move(handler));
  fixedReply_ = nullptr;
  rawHandler_ = nullptr;
}

void TestServer::SetRawHandler(RawHandler handler) {
  std::lock_guard lock(mutex_);
  rawHandler_ = std::make_shared<const RawHandler>(std::move(handler));
}

std::vector<RecordedRequest> TestServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

RecordedRequest TestServer::LastRequest() const {
  std::lock_guard lock(mutex_);
  return requests_.empty() ? RecordedRequest{} : requests_.back();
}

std::size_t TestServer::RequestCount() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

bool TestServer::WaitForRequests(std::size_t count, int timeoutMs) const {
  std::unique_lock lock(mutex_);
  return recorded_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [&] { return requests_.size() >= count; });
}

void TestServer::Stop() {
  if (stopping_.exchange(true))
    return;
  if (acceptThread_.joinable())
    acceptThread_.join();
  {
    std::lock_guard lock(mutex_);
    for (ServerConnection* connection : live_) connection->Interrupt();
  }
  for (Worker& worker : workers_) worker.thread.join();
  workers_.clear();
  ::close(listenFd_);
}

void TestServer::AcceptLoop() {
  while (!stopping_) {
    pollfd entry{listenFd_, POLLIN, 0};
    if (::poll(&entry, 1, 50) <= 0)
      continue;
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
      continue;
    ++connections_;
    // Finished workers are joined here so that a long benchmark does not pile them up.
    for (auto it = workers_.begin(); it != workers_.end();) {
      if (it->done->load()) {
        it->thread.join();
        it = workers_.erase(it);
      } else {
        ++it;
      }
    }
    auto done = std::make_shared<std::atomic<bool>>(false);
    workers_.push_back({std::thread([this, fd, done] {
                          Serve(fd);
                          *done = true;
                        }),
                        done});
  }
}

void TestServer::Serve(int fd) {
  timeval limit{10, 0};  // a backstop: no single send or handshake blocks longer
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  int noDelay = 1;  // small answers go out at once, not after the client's delayed ACK
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
  SSL* ssl = nullptr;
  if (tls_) {
    ssl = SSL_new(tls_);
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) != 1) {
      SSL_free(ssl);
      ::close(fd);
      return;
    }
  }
  ServerConnection connection(fd, ssl, stopping_);
  {
    std::lock_guard lock(mutex_);
    live_.insert(&connection);
    if (stopping_)
      connection.Interrupt();
  }
  bool keepOpen = true;
  while (keepOpen && !stopping_) {
    std::optional<RecordedRequest> request = connection.ReadRequest(kIdleMs);
    if (!request)
      break;
    std::shared_ptr<const ReplyHandler> handler;
    std::shared_ptr<const Reply> fixedReply;
    std::shared_ptr<const RawHandler> rawHandler;
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(*request);
      handler = handler_;
      fixedReply = fixedReply_;
      rawHandler = rawHandler_;
    }
    recorded_.notify_all();
    if (rawHandler) {
      (*rawHandler)(*request, connection);
      break;
    }
    if (fixedReply) {
      Answer(*request, *fixedReply, connection, keepOpen);
    } else {
      Answer(*request, (*handler)(*request), connection, keepOpen);
    }
  }
  std::lock_guard lock(mutex_);
  live_.erase(&connection);
  // The destructor closes the connection after it left the live set.
}

void TestServer::Answer(const RecordedRequest& request, const Reply& reply,
                        ServerConnection& connection, bool& keepOpen) {
  if (reply.delayMs > 0)
    connection.SleepMs(reply.delayMs);
  std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + reply.reason + "\r\n";
  for (const std::string& line : reply.headers) head += line + "\r\n";
  bool framed =
      HasLine(reply.headers, "Content-Length") || HasLine(reply.headers, "Transfer-Encoding");
  if (reply.addContentLength && !reply.endless && !framed) {
    head += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
  }
  head += "\r\n";
  bool noBody = request.method == "HEAD" || reply.status == 204 || reply.status == 304;
  keepOpen = !reply.close && !reply.endless && request.Header("Connection") != "close";

  if (reply.stallAfterHeaders) {
    connection.Send(head);
    connection.WaitUntilClosed(kIdleMs * 4);
    keepOpen = false;
  } else if (reply.resetAfter) {
    connection.Send(head + reply.body.substr(0, *reply.resetAfter));
    connection.Reset();
    keepOpen = false;
  } else if (reply.endless) {
    std::string piece = reply.body.empty() ? std::string(64 * 1024, 'x') : reply.body;
    if (connection.Send(head)) {
      while (connection.Send(piece) && !connection.Stopping()) {
      }
    }
    keepOpen = false;
  } else if (noBody || reply.body.size() > 65536) {
    // A big body goes out on its own rather than being copied behind the head.
    keepOpen = connection.Send(head) && (noBody || connection.Send(reply.body)) && keepOpen;
  } else if (!connection.Send(head + reply.body)) {
    keepOpen = false;
  }
  if (!keepOpen)
    connection.Close();
}

int UnusedLoopbackPort() {
  int port = 0;
  int fd = BindLoopback(port);
  ::close(fd);  // nothing listens there now: a connection to it is refused
  return port;
}
