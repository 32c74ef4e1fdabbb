#include "support/TestProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

std::string Base64(const std::string& text) {
  std::string encoded(4 * ((text.size() + 2) / 3) + 1, '\0');
  int size = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(encoded.data()),
                             reinterpret_cast<const unsigned char*>(text.data()),
                             static_cast<int>(text.size()));
  encoded.resize(static_cast<std::size_t>(size));
  return encoded;
}

// Splits "host:port" (or "[::1]:port"); false when it is not of that form.
bool SplitHostPort(const std::string& authority, std::string& host, int& port) {
  std::size_t colon = authority.rfind(':');
  if (colon == std::string::npos)
    return false;
  host = authority.substr(0, colon);
  port = std::atoi(authority.c_str() + colon + 1);
  return port > 0 && port < 65536;
}

int ConnectLoopback(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    return fd;
  }
  if (fd >= 0)
    ::close(fd);
  return -1;
}

bool SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    long sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0)
      return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

// Copies bytes both ways until one side closes or the proxy stops.
void Pipe(ServerConnection& client, int server) {
  char chunk[65536];
  while (!client.Stopping()) {
    pollfd entries[2] = {{client.Fd(), POLLIN, 0}, {server, POLLIN, 0}};
    int ready = ::poll(entries, 2, 50);
    if (ready < 0)
      return;
    for (int side = 0; side < 2; ++side) {
      if (!(entries[side].revents & (POLLIN | POLLHUP | POLLERR)))
        continue;
      long got = ::recv(entries[side].fd, chunk, sizeof chunk, 0);
      if (got <= 0 || !SendAll(entries[1 - side].fd, std::string_view(chunk, got)))
        return;
    }
  }
}

const char kRefused[] =
    "HTTP/1.1 407 Proxy Authentication Required\r\n"
    "Proxy-Authenticate: Basic realm=\"test proxy\"\r\n"
    "Content-Length: 0\r\nConnection: close\r\n\r\n";
const char kBadGateway[] =
    "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";

}  // namespace

TestProxy::TestProxy() {
  server_.SetRawHandler(
      [this](const RecordedRequest& request, ServerConnection& client) { Relay(request, client); });
}

std::string TestProxy::Address() const {
  return "127.0.0.1:" + std::to_string(Port());
}

void TestProxy::RequireCredentials(std::string user, std::string password) {
  std::lock_guard lock(mutex_);
  expectedAuthorization_ = "Basic " + Base64(user + ":" + password);
}

void TestProxy::Relay(const RecordedRequest& request, ServerConnection& client) {
  {
    std::lock_guard lock(mutex_);
    if (expectedAuthorization_ && request.Header("Proxy-Authorization") != expectedAuthorization_) {
      client.Send(kRefused);
      return;
    }
  }
  bool tunnel = request.method == "CONNECT";
  std::string authority = request.target;
  std::string path = "/";
  if (!tunnel) {
    std::size_t schemeEnd = request.target.find("://");
    if (schemeEnd == std::string::npos) {
      client.Send(kBadGateway);
      return;
    }
    std::size_t pathStart = request.target.find('/', schemeEnd + 3);
    authority = request.target.substr(schemeEnd + 3, pathStart == std::string::npos
                                                         ? std::string::npos
                                                         : pathStart - schemeEnd - 3);
    if (pathStart != std::string::npos)
      path = request.target.substr(pathStart);
    if (authority.find(':') == std::string::npos)
      authority += ":80";
  }
  std::string host;
  int port = 0;
  int server = -1;
  if (SplitHostPort(authority, host, port) && (host == "127.0.0.1" || host == "localhost")) {
    server = ConnectLoopback(port);
  }
  if (server < 0) {
    client.Send(kBadGateway);
    return;
  }
  bool ready;
  if (tunnel) {
    ready = client.Send("HTTP/1.1 200 Connection established\r\n\r\n");
  } else {
    std::string forward = request.method + " " + path + " " + request.version + "\r\n";
    for (const std::string& line : request.headerLines) {
      RecordedRequest one;
      one.headerLines = {line};
      if (one.Header("Proxy-Authorization") || one.Header("Proxy-Connection"))
        continue;
      forward += line + "\r\n";
    }
    ready = SendAll(server, forward + "\r\n" + request.body);
  }
  if (ready && SendAll(server, client.TakeUnread()))
    Pipe(client, server);
  ::close(server);
}
