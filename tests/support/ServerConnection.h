// One accepted connection of a test server, plain or TLS, with the moves a
// test may script: send (all at once or trickling), pause, reset, close.
//
// Every wait is bounded and ends early when the server stops, so a test that
// forgets a client never hangs on its server.
#pragma once

#include <openssl/ssl.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "support/RecordedRequest.h"

class ServerConnection {
 public:
  // Takes ownership of fd (and ssl, when not null).
  ServerConnection(int fd, SSL* ssl, const std::atomic<bool>& stopping);
  ~ServerConnection();
  ServerConnection(const ServerConnection&) = delete;
  ServerConnection& operator=(const ServerConnection&) = delete;

  // Sends every byte; false when the peer is gone.
  bool Send(std::string_view bytes);
  // Sends chunkSize bytes at a time with delayMs between them.
  bool SendSlowly(std::string_view bytes, std::size_t chunkSize, int delayMs);
  // Sleeps, but returns early when the server stops.
  void SleepMs(int ms);
  // Waits until the peer closes, the server stops, or maxMs pass.
  void WaitUntilClosed(int maxMs);
  // Ends the connection with a TCP reset (no TLS close notice).
  void Reset();
  // Ends the connection in order.
  void Close();

  // Reads the next request (head and Content-Length body). nullopt when the
  // peer closes, sends something that is not a request, or stays silent for
  // idleMs.
  std::optional<RecordedRequest> ReadRequest(int idleMs);
  // Bytes received beyond the last request, handed over (for relaying).
  std::string TakeUnread();
  // Reads what is available now into the unread bytes; false at close or error.
  bool ReadSome(int timeoutMs);

  // From another thread: wakes every wait and send of this connection (used
  // when the server stops).
  void Interrupt();

  int Fd() const { return fd_; }
  bool IsTls() const { return ssl_ != nullptr; }
  bool Stopping() const { return stopping_.load(); }

 private:
  enum class Wait { Ready, Timeout, Closed };
  Wait WaitReadable(int timeoutMs);

  int fd_;
  SSL* ssl_;
  const std::atomic<bool>& stopping_;
  std::string unread_;
  std::mutex closeMutex_;  // Interrupt() must not touch a closed descriptor
  std::atomic<bool> open_ = true;
};
