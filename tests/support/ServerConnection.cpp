#include "support/ServerConnection.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

constexpr std::size_t kMaxHead = 1 << 20;
constexpr int kSlice = 50;

}  // namespace

ServerConnection::ServerConnection(int fd, SSL* ssl, const std::atomic<bool>& stopping)
    : fd_(fd), ssl_(ssl), stopping_(stopping) {}

ServerConnection::~ServerConnection() {
  Close();
}

bool ServerConnection::Send(std::string_view bytes) {
  while (open_ && !bytes.empty()) {
    long sent = ssl_ ? SSL_write(ssl_, bytes.data(),
                                 static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 20)))
                     : ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0)
      return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return open_;
}

bool ServerConnection::SendSlowly(std::string_view bytes, std::size_t chunkSize, int delayMs) {
  while (!bytes.empty()) {
    std::size_t count = std::min(chunkSize, bytes.size());
    if (!Send(bytes.substr(0, count)) || Stopping())
      return false;
    bytes.remove_prefix(count);
    if (!bytes.empty())
      SleepMs(delayMs);
  }
  return true;
}

void ServerConnection::SleepMs(int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!Stopping() && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, kSlice)));
  }
}

ServerConnection::Wait ServerConnection::WaitReadable(int timeoutMs) {
  if (ssl_ && SSL_pending(ssl_) > 0)
    return Wait::Ready;
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (open_ && !Stopping()) {
    pollfd entry{fd_, POLLIN, 0};
    int ready = ::poll(&entry, 1, kSlice);
    if (ready > 0)
      return (entry.revents & (POLLIN | POLLHUP | POLLERR)) ? Wait::Ready : Wait::Closed;
    if (ready < 0 || std::chrono::steady_clock::now() >= end)
      return Wait::Timeout;
  }
  return Wait::Closed;
}

bool ServerConnection::ReadSome(int timeoutMs) {
  if (WaitReadable(timeoutMs) != Wait::Ready)
    return false;
  char chunk[16384];
  long got = ssl_ ? SSL_read(ssl_, chunk, sizeof chunk) : ::recv(fd_, chunk, sizeof chunk, 0);
  if (got <= 0)
    return false;
  unread_.append(chunk, static_cast<std::size_t>(got));
  return true;
}

void ServerConnection::WaitUntilClosed(int maxMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
  while (std::chrono::steady_clock::now() < end) {
    Wait wait = WaitReadable(kSlice);
    if (wait == Wait::Closed)
      return;
    if (wait == Wait::Ready && !ReadSome(0))
      return;
  }
}

std::optional<RecordedRequest> ServerConnection::ReadRequest(int idleMs) {
  std::size_t headEnd;
  while ((headEnd = unread_.find("\r\n\r\n")) == std::string::npos) {
    if (unread_.size() > kMaxHead || !ReadSome(idleMs))
      return std::nullopt;
  }
  RecordedRequest request;
  request.tls = ssl_ != nullptr;
  if (!ParseRequestHead(std::string_view(unread_).substr(0, headEnd + 4), request)) {
    return std::nullopt;
  }
  std::size_t bodySize = 0;
  if (std::optional<std::string> length = request.Header("Content-Length")) {
    bodySize = std::strtoull(length->c_str(), nullptr, 10);
  }
  std::size_t total = headEnd + 4 + bodySize;
  while (unread_.size() < total) {
    if (!ReadSome(idleMs))
      return std::nullopt;
  }
  request.raw = unread_.substr(0, total);
  request.body = unread_.substr(headEnd + 4, bodySize);
  unread_.erase(0, total);
  return request;
}

std::string ServerConnection::TakeUnread() {
  std::string taken;
  taken.swap(unread_);
  return taken;
}

void ServerConnection::Interrupt() {
  std::lock_guard lock(closeMutex_);
  if (open_)
    ::shutdown(fd_, SHUT_RDWR);
}

void ServerConnection::Reset() {
  std::lock_guard lock(closeMutex_);
  if (!open_)
    return;
  linger hard{1, 0};
  ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  if (ssl_)
    SSL_free(ssl_);
  ssl_ = nullptr;
  ::close(fd_);
  open_ = false;
}

void ServerConnection::Close() {
  if (!open_)
    return;
  if (ssl_)
    SSL_shutdown(ssl_);
  ::shutdown(fd_, SHUT_WR);
  // Closing with unread input would reset the connection and could destroy
  // the answer before the client reads it: drain briefly first.
  char sink[4096];
  for (int round = 0; round < 4 && !Stopping(); ++round) {
    pollfd entry{fd_, POLLIN, 0};
    if (::poll(&entry, 1, kSlice) <= 0 || ::recv(fd_, sink, sizeof sink, 0) <= 0)
      break;
  }
  std::lock_guard lock(closeMutex_);
  if (ssl_)
    SSL_free(ssl_);
  ssl_ = nullptr;
  ::close(fd_);
  open_ = false;
}
