#include "platform/wininet/WinInet.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/net/HttpTransfer.h"
#include "platform/wininet/InternetProxyList.h"

namespace {

std::atomic<long> defaultConnectTimeoutMs{0};
std::atomic<long> defaultReceiveTimeoutMs{0};

// What every kind of handle is; a child copies what it needs from its parent.
struct InternetHandle {
  virtual ~InternetHandle() = default;
};

struct SessionHandle : InternetHandle {
  std::string agent;
  std::string proxyList;  // empty: direct
  std::string bypassList;
  long connectTimeoutMs = 0;
  long receiveTimeoutMs = 0;
};

struct ConnectionHandle : InternetHandle {
  SessionHandle session;
  std::string host;
  INTERNET_PORT port = 0;
};

struct RequestHandle : InternetHandle {
  ConnectionHandle connection;
  std::string verb;
  std::string objectName;
  DWORD flags = 0;
  std::unique_ptr<HttpTransfer> transfer;  // set by a successful send
};

// Every open handle; a handle the caller made up or closed twice is refused
// instead of being dereferenced.
std::mutex handlesMutex;
std::unordered_map<void*, std::unique_ptr<InternetHandle>>& Handles() {
  static auto* handles = new std::unordered_map<void*, std::unique_ptr<InternetHandle>>();
  return *handles;
}

HINTERNET Register(std::unique_ptr<InternetHandle> handle) {
  void* key = handle.get();
  std::lock_guard lock(handlesMutex);
  Handles().emplace(key, std::move(handle));
  return key;
}

template <typename T>
T* Lookup(HINTERNET handle) {
  std::lock_guard lock(handlesMutex);
  auto it = Handles().find(handle);
  return it == Handles().end() ? nullptr : dynamic_cast<T*>(it->second.get());
}

std::string Text(LPCSTR text) {
  return text ? std::string(text) : std::string();
}

bool HostNameUsable(std::string_view host) {
  if (host.empty())
    return false;
  if (host.front() == '[') {
    if (host.back() != ']' || host.size() < 3)
      return false;
    return std::all_of(host.begin() + 1, host.end() - 1, [](char c) {
      return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
    });
  }
  return std::all_of(host.begin(), host.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
  });
}

// Bytes that cannot stand in a request target go out percent-escaped; control
// bytes stay, so that the transport refuses the request.
std::string RequestTarget(std::string_view objectName) {
  const std::size_t hash = objectName.find('#');
  if (hash != std::string_view::npos)
    objectName = objectName.substr(0, hash);
  std::string target;
  if (objectName.empty() || objectName.front() != '/')
    target += '/';
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (char c : objectName) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 || std::strchr(" \"<>\\^`{|}", c) != nullptr) {
      target += '%';
      target += kHex[byte >> 4];
      target += kHex[byte & 0x0F];
    } else {
      target += c;
    }
  }
  return target;
}

std::vector<std::string> HeaderLines(LPCSTR headers, DWORD headersLength) {
  std::vector<std::string> lines;
  if (!headers)
    return lines;
  const std::string_view block = headersLength == static_cast<DWORD>(-1)
                                     ? std::string_view(headers)
                                     : std::string_view(headers, headersLength);
  std::size_t pos = 0;
  while (pos <= block.size()) {
    const std::size_t end = block.find("\r\n", pos);
    const std::size_t stop = end == std::string_view::npos ? block.size() : end;
    if (stop > pos)
      lines.emplace_back(block.substr(pos, stop - pos));
    if (end == std::string_view::npos)
      break;
    pos = end + 2;
  }
  return lines;
}

HttpRequest BuildRequest(const RequestHandle& request) {
  const SessionHandle& session = request.connection.session;
  const bool secure = (request.flags & INTERNET_FLAG_SECURE) != 0;
  const std::string scheme = secure ? "https" : "http";
  const INTERNET_PORT defaultPort =
      secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
  const INTERNET_PORT port = request.connection.port == INTERNET_INVALID_PORT_NUMBER
                                 ? defaultPort
                                 : request.connection.port;

  HttpRequest http;
  http.url = scheme + "://" + request.connection.host;
  if (port != defaultPort)
    http.url += ":" + std::to_string(port);
  http.url += RequestTarget(request.objectName);
  http.method = request.verb;
  http.userAgent = session.agent;
  if (!session.proxyList.empty()) {
    http.proxy =
        ProxyForRequest(session.proxyList, session.bypassList, scheme, request.connection.host);
  }
  http.connectTimeoutMs = session.connectTimeoutMs;
  http.receiveTimeoutMs = session.receiveTimeoutMs;
  http.followRedirects = (request.flags & INTERNET_FLAG_NO_AUTO_REDIRECT) == 0;
  http.allowHttpsToHttp = false;
  http.cookies =
      (request.flags & INTERNET_FLAG_NO_COOKIES) ? CookieMode::None : CookieMode::ProcessStore;
  return http;
}

bool EndsOnHttps(const HttpTransfer& transfer) {
  return transfer.Url().rfind("https://", 0) == 0;
}

}  // namespace

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass,
                        DWORD /*flags*/) {
  auto session = std::make_unique<SessionHandle>();
  if (accessType == INTERNET_OPEN_TYPE_PROXY) {
    session->proxyList = Text(proxy);
    if (session->proxyList.empty())
      return nullptr;
    session->bypassList = Text(proxyBypass);
  } else if (accessType != INTERNET_OPEN_TYPE_DIRECT) {
    return nullptr;
  }
  session->agent = Text(agent);
  session->connectTimeoutMs = defaultConnectTimeoutMs.load();
  session->receiveTimeoutMs = defaultReceiveTimeoutMs.load();
  return Register(std::move(session));
}

HINTERNET InternetConnectA(HINTERNET internet, LPCSTR serverName, INTERNET_PORT serverPort,
                           LPCSTR userName, LPCSTR password, DWORD service, DWORD /*flags*/,
                           DWORD_PTR /*context*/) {
  const SessionHandle* session = Lookup<SessionHandle>(internet);
  if (!session || service != INTERNET_SERVICE_HTTP || Text(serverName).empty())
    return nullptr;
  if (!Text(userName).empty() || !Text(password).empty())
    return nullptr;
  auto connection = std::make_unique<ConnectionHandle>();
  connection->session = *session;
  connection->host = serverName;
  connection->port = serverPort;
  return Register(std::move(connection));
}

HINTERNET HttpOpenRequestA(HINTERNET connect, LPCSTR verb, LPCSTR objectName, LPCSTR version,
                           LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags,
                           DWORD_PTR /*context*/) {
  const ConnectionHandle* connection = Lookup<ConnectionHandle>(connect);
  if (!connection || referrer || acceptTypes)
    return nullptr;
  if (version && std::string_view(version) != "HTTP/1.1")
    return nullptr;
  auto request = std::make_unique<RequestHandle>();
  request->connection = *connection;
  request->verb = Text(verb).empty() ? "GET" : Text(verb);
  request->objectName = Text(objectName);
  request->flags = flags;
  return Register(std::move(request));
}

BOOL HttpSendRequestA(HINTERNET requestHandle, LPCSTR headers, DWORD headersLength,
                      const void* optional, DWORD optionalLength) {
  RequestHandle* request = Lookup<RequestHandle>(requestHandle);
  if (!request)
    return 0;
  request->transfer.reset();
  if (!HostNameUsable(request->connection.host))
    return 0;

  HttpRequest http = BuildRequest(*request);
  http.headerLines = HeaderLines(headers, headersLength);
  if (optional && optionalLength > 0) {
    http.body.assign(static_cast<const char*>(optional), optionalLength);
  }
  auto transfer = std::make_unique<HttpTransfer>();
  if (!transfer->Send(http))
    return 0;
  const bool plain = (request->flags & INTERNET_FLAG_SECURE) == 0;
  const bool mayEndOnHttps = (request->flags & INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS) != 0;
  if (plain && !mayEndOnHttps && EndsOnHttps(*transfer))
    return 0;
  request->transfer = std::move(transfer);
  return 1;
}

BOOL InternetReadFile(HINTERNET requestHandle, void* buffer, DWORD numberOfBytesToRead,
                      DWORD* numberOfBytesRead) {
  if (numberOfBytesRead)
    *numberOfBytesRead = 0;
  RequestHandle* request = Lookup<RequestHandle>(requestHandle);
  if (!request || !numberOfBytesRead || (!buffer && numberOfBytesToRead > 0))
    return 0;
  if (!request->transfer)
    return 0;
  const std::size_t count = request->transfer->Read(buffer, numberOfBytesToRead);
  *numberOfBytesRead = static_cast<DWORD>(count);
  return count == 0 && request->transfer->BodyStatus() == BodyState::Failed ? 0 : 1;
}

BOOL HttpQueryInfoA(HINTERNET requestHandle, DWORD infoLevel, void* buffer, DWORD* bufferLength,
                    DWORD* /*index*/) {
  const RequestHandle* request = Lookup<RequestHandle>(requestHandle);
  if (!request || !bufferLength || infoLevel != HTTP_QUERY_RAW_HEADERS_CRLF)
    return 0;
  if (!request->transfer)
    return 0;
  const std::string& block = request->transfer->HeaderBlock();
  if (block.empty())
    return 0;
  const std::size_t needed = block.size() + 1;
  if (!buffer || *bufferLength < needed) {
    *bufferLength = static_cast<DWORD>(needed);
    return 0;
  }
  std::memcpy(buffer, block.data(), block.size());
  static_cast<char*>(buffer)[block.size()] = '\0';
  *bufferLength = static_cast<DWORD>(block.size());
  return 1;
}

BOOL InternetCloseHandle(HINTERNET handle) {
  std::unique_ptr<InternetHandle> closing;
  {
    std::lock_guard lock(handlesMutex);
    auto it = Handles().find(handle);
    if (it == Handles().end())
      return 0;
    closing = std::move(it->second);
    Handles().erase(it);
  }
  return 1;  // `closing` ends any transfer outside the lock
}

void SetInternetDefaultTimeouts(long connectTimeoutMs, long receiveTimeoutMs) {
  defaultConnectTimeoutMs = connectTimeoutMs;
  defaultReceiveTimeoutMs = receiveTimeoutMs;
}
