#include "platform/winhttp/WinHttp.h"

#include <unicode/unistr.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>

#include "platform/codepage/CodePage.h"
#include "platform/net/HttpTransfer.h"
#include "platform/winhttp/WinHttpProbe.h"

namespace {

enum class Kind { Session, Connection, Request };

struct Handle {
  explicit Handle(Kind k) : kind(k) {}
  virtual ~Handle() = default;
  Kind kind;
};

struct Proxies {
  std::string forHttp;  // "host:port", empty: direct
  std::string forHttps;
};

struct Session : Handle {
  Session() : Handle(Kind::Session) {}
  Proxies proxies;
};

struct Connection : Handle {
  Connection() : Handle(Kind::Connection) {}
  Proxies proxies;
  std::string host;
  INTERNET_PORT port = 0;
};

struct Request : Handle {
  Request() : Handle(Kind::Request) {}
  HttpRequest request;  // filled as the options arrive; the URL at open
  bool sent = false;
  bool received = false;
  HttpTransfer transfer;
  std::u16string headerBlock;  // the response's, once received
};

// Open handles, so that a stale or foreign handle is refused instead of used.
std::mutex handlesMutex;
std::unordered_set<Handle*> handles;

HINTERNET Register(std::unique_ptr<Handle> handle) {
  std::lock_guard lock(handlesMutex);
  handles.insert(handle.get());
  return handle.release();
}

template <typename T>
T* Find(HINTERNET h, Kind kind) {
  std::lock_guard lock(handlesMutex);
  auto* handle = static_cast<Handle*>(h);
  if (h == nullptr || handles.count(handle) == 0 || handle->kind != kind)
    return nullptr;
  return static_cast<T*>(handle);
}

std::string Utf8(std::u16string_view text) {
  std::string out;
  icu::UnicodeString(false, text.data(), static_cast<int32_t>(text.size())).toUTF8String(out);
  return out;
}

std::string Utf8(const char16_t* text) {
  return text == nullptr ? std::string() : Utf8(std::u16string_view(text));
}

std::string Hex(DWORD value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", value);
  return buffer;
}

bool IsBlankOrSemicolon(char c) {
  return c == ' ' || c == '\t' || c == ';';
}

// "[scheme=][scheme://]host[:port]" entries; the port defaults to 80.
Proxies ParseProxyList(const std::string& list) {
  Proxies proxies;
  std::size_t pos = 0;
  while (pos < list.size()) {
    while (pos < list.size() && IsBlankOrSemicolon(list[pos])) ++pos;
    std::size_t end = pos;
    while (end < list.size() && !IsBlankOrSemicolon(list[end])) ++end;
    std::string entry = list.substr(pos, end - pos);
    pos = end;
    if (entry.empty())
      continue;
    std::string scheme;
    std::size_t equals = entry.find('=');
    if (equals != std::string::npos) {
      scheme = entry.substr(0, equals);
      for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      entry = entry.substr(equals + 1);
    }
    std::size_t prefix = entry.find("://");
    if (prefix != std::string::npos)
      entry = entry.substr(prefix + 3);
    if (entry.empty())
      continue;
    if (entry.find(':') == std::string::npos || entry.back() == ']')
      entry += ":80";
    if ((scheme.empty() || scheme == "http") && proxies.forHttp.empty())
      proxies.forHttp = entry;
    if ((scheme.empty() || scheme == "https") && proxies.forHttps.empty())
      proxies.forHttps = entry;
  }
  return proxies;
}

// Bytes a request target may not carry as they are. Control bytes are left
// alone so that the transport refuses the URL rather than send them escaped.
bool NeedsEscape(unsigned char c) {
  return c == ' ' || c >= 0x7F || std::strchr("\"<>\\^`{|}", c) != nullptr;
}

std::string EscapeObjectName(const std::string& utf8) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : utf8) {
    auto c = static_cast<unsigned char>(ch);
    if (c == '#')
      break;  // a fragment stays on this side
    if (c != 0 && NeedsEscape(c)) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  if (out.empty() || out.front() != '/')
    out.insert(out.begin(), '/');
  return out;
}

bool HasControlByte(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      return true;
  }
  return false;
}

bool SameName(const std::string& line, const std::string& name) {
  if (line.size() <= name.size() || line[name.size()] != ':')
    return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(line[i])) !=
        std::tolower(static_cast<unsigned char>(name[i])))
      return false;
  }
  return true;
}

// Adds or replaces the lines of a CR LF block; false (and no change) when a
// line is not "Name: value" or carries a control byte.
bool MergeHeaderLines(std::vector<std::string>& lines, std::u16string_view block, DWORD modifiers) {
  std::vector<std::string> incoming;
  for (std::size_t pos = 0; pos <= block.size();) {
    std::size_t end = block.find(u"\r\n", pos);
    if (end == std::u16string_view::npos)
      end = block.size();
    std::string line = Utf8(block.substr(pos, end - pos));
    pos = end + 2;
    if (line.empty())
      continue;
    std::size_t colon = line.find(':');
    if (colon == 0 || colon == std::string::npos || HasControlByte(line))
      return false;
    incoming.push_back(std::move(line));
  }
  std::vector<std::string> merged = lines;
  for (std::string& line : incoming) {
    std::string name = line.substr(0, line.find(':'));
    auto existing = std::find_if(merged.begin(), merged.end(),
                                 [&](const std::string& l) { return SameName(l, name); });
    if (existing != merged.end()) {
      if ((modifiers & WINHTTP_ADDREQ_FLAG_REPLACE) == 0)
        return false;
      *existing = std::move(line);
    } else {
      if ((modifiers & WINHTTP_ADDREQ_FLAG_ADD) == 0)
        return false;
      merged.push_back(std::move(line));
    }
  }
  lines = std::move(merged);
  return true;
}

// Failures that happen before the request is out count against the send.
bool FailsTheSend(HttpError error) {
  switch (error) {
    case HttpError::InvalidRequest:
    case HttpError::CannotResolve:
    case HttpError::CannotConnect:
    case HttpError::SecureFailure:
    case HttpError::SendFailed:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool WinHttpCheckPlatform() {
  return !WinHttpCallMustFail(WinHttpOperation::CheckPlatform);
}

HINTERNET WinHttpOpen(const char16_t* pszAgentW, DWORD dwAccessType, const char16_t* pszProxyW,
                      const char16_t* pszProxyBypassW, DWORD dwFlags) {
  std::string proxyName = Utf8(pszProxyW);
  if (WinHttpCallMustFail(WinHttpOperation::Open, std::to_string(dwAccessType) + " " + proxyName))
    return nullptr;
  if (dwFlags != 0 || pszProxyBypassW != nullptr)
    return nullptr;
  auto session = std::make_unique<Session>();
  if (dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) {
    session->proxies = ParseProxyList(proxyName);
    if (session->proxies.forHttp.empty() && session->proxies.forHttps.empty())
      return nullptr;
  } else if (dwAccessType != WINHTTP_ACCESS_TYPE_NO_PROXY) {
    return nullptr;
  }
  (void)pszAgentW;  // the user agent comes from the request's header lines
  return Register(std::move(session));
}

HINTERNET WinHttpConnect(HINTERNET hSession, const char16_t* pswzServerName,
                         INTERNET_PORT nServerPort, DWORD dwReserved) {
  std::string host = Utf8(pswzServerName);
  if (WinHttpCallMustFail(WinHttpOperation::Connect, host + " " + std::to_string(nServerPort)))
    return nullptr;
  auto* session = Find<Session>(hSession, Kind::Session);
  if (session == nullptr || host.empty() || dwReserved != 0)
    return nullptr;
  auto connection = std::make_unique<Connection>();
  connection->proxies = session->proxies;
  connection->host = host;
  connection->port = nServerPort;
  return Register(std::move(connection));
}

HINTERNET WinHttpOpenRequest(HINTERNET hConnect, const char16_t* pwszVerb,
                             const char16_t* pwszObjectName, const char16_t* pwszVersion,
                             const char16_t* pwszReferrer, const char16_t* const* ppwszAcceptTypes,
                             DWORD dwFlags) {
  std::string verb = pwszVerb == nullptr ? "GET" : Utf8(pwszVerb);
  std::string objectName = Utf8(pwszObjectName);
  if (WinHttpCallMustFail(WinHttpOperation::OpenRequest,
                          verb + " " + objectName + " " + Hex(dwFlags)))
    return nullptr;
  auto* connection = Find<Connection>(hConnect, Kind::Connection);
  if (connection == nullptr || pwszVersion != nullptr || pwszReferrer != nullptr ||
      ppwszAcceptTypes != nullptr || (dwFlags & ~WINHTTP_FLAG_SECURE) != 0 || verb.empty())
    return nullptr;
  bool secure = (dwFlags & WINHTTP_FLAG_SECURE) != 0;
  INTERNET_PORT port = connection->port;
  if (port == INTERNET_DEFAULT_PORT)
    port = secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
  std::string host = connection->host;
  if (host.find(':') != std::string::npos && host.front() != '[')
    host = "[" + host + "]";

  auto request = std::make_unique<Request>();
  HttpRequest& r = request->request;
  r.url = (secure ? "https://" : "http://") + host + ":" + std::to_string(port) +
          EscapeObjectName(objectName);
  r.method = verb;
  r.proxy = secure ? connection->proxies.forHttps : connection->proxies.forHttp;
  r.cookies = CookieMode::PrivateStore;
  r.followRedirects = true;
  return Register(std::move(request));
}

bool WinHttpSetTimeouts(HINTERNET hRequest, int nResolveTimeout, int nConnectTimeout,
                        int nSendTimeout, int nReceiveTimeout) {
  if (WinHttpCallMustFail(WinHttpOperation::SetTimeouts, std::to_string(nResolveTimeout) + " " +
                                                             std::to_string(nConnectTimeout) + " " +
                                                             std::to_string(nSendTimeout) + " " +
                                                             std::to_string(nReceiveTimeout)))
    return false;
  auto* request = Find<Request>(hRequest, Kind::Request);
  if (request == nullptr || request->sent)
    return false;
  auto positive = [](int ms) { return ms > 0 ? static_cast<long>(ms) : 0L; };
  request->request.resolveTimeoutMs = positive(nResolveTimeout);
  request->request.connectTimeoutMs = positive(nConnectTimeout);
  request->request.sendTimeoutMs = positive(nSendTimeout);
  request->request.receiveTimeoutMs = positive(nReceiveTimeout);
  return true;
}

bool WinHttpSetCredentials(HINTERNET hRequest, DWORD AuthTargets, DWORD AuthScheme,
                           const char16_t* pwszUserName, const char16_t* pwszPassword,
                           void* pAuthParams) {
  HttpCredentials credentials{Utf8(pwszUserName), Utf8(pwszPassword)};
  if (WinHttpCallMustFail(WinHttpOperation::SetCredentials,
                          std::to_string(AuthTargets) + " " + std::to_string(AuthScheme) + " " +
                              credentials.user + " " + credentials.password))
    return false;
  auto* request = Find<Request>(hRequest, Kind::Request);
  if (request == nullptr || request->sent || AuthScheme != WINHTTP_AUTH_SCHEME_BASIC ||
      pAuthParams != nullptr || pwszUserName == nullptr || pwszPassword == nullptr)
    return false;
  if (AuthTargets == WINHTTP_AUTH_TARGET_SERVER) {
    request->request.serverCredentials = credentials;
  } else if (AuthTargets == WINHTTP_AUTH_TARGET_PROXY) {
    request->request.proxyCredentials = credentials;
  } else {
    return false;
  }
  return true;
}

bool WinHttpSetOption(HINTERNET hInternet, DWORD dwOption, void* lpBuffer, DWORD dwBufferLength) {
  DWORD value = 0;
  if (lpBuffer != nullptr && dwBufferLength == sizeof value)
    std::memcpy(&value, lpBuffer, sizeof value);
  if (WinHttpCallMustFail(WinHttpOperation::SetOption,
                          std::to_string(dwOption) + " " + std::to_string(value)))
    return false;
  auto* request = Find<Request>(hInternet, Kind::Request);
  if (request == nullptr || request->sent || lpBuffer == nullptr || dwBufferLength != sizeof value)
    return false;
  if (dwOption == WINHTTP_OPTION_DISABLE_FEATURE) {
    if (value == 0 || (value & ~(WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_REDIRECTS)) != 0)
      return false;
    if (value & WINHTTP_DISABLE_COOKIES)
      request->request.cookies = CookieMode::None;
    if (value & WINHTTP_DISABLE_REDIRECTS)
      request->request.followRedirects = false;
    return true;
  }
  return dwOption == WINHTTP_OPTION_ENABLE_FEATURE && value == WINHTTP_ENABLE_SSL_REVOCATION;
}

bool WinHttpAddRequestHeaders(HINTERNET hRequest, const char16_t* lpszHeaders,
                              DWORD dwHeadersLength, DWORD dwModifiers) {
  std::u16string_view block;
  if (lpszHeaders != nullptr)
    block = dwHeadersLength == static_cast<DWORD>(-1)
                ? std::u16string_view(lpszHeaders)
                : std::u16string_view(lpszHeaders, dwHeadersLength);
  if (WinHttpCallMustFail(WinHttpOperation::AddRequestHeaders,
                          Utf8(block) + " " + Hex(dwModifiers)))
    return false;
  auto* request = Find<Request>(hRequest, Kind::Request);
  if (request == nullptr || request->sent || lpszHeaders == nullptr)
    return false;
  return MergeHeaderLines(request->request.headerLines, block, dwModifiers);
}

bool WinHttpSendRequest(HINTERNET hRequest, const char16_t* lpszHeaders, DWORD dwHeadersLength,
                        void* lpOptional, DWORD dwOptionalLength, DWORD dwTotalLength,
                        std::uintptr_t dwContext) {
  if (WinHttpCallMustFail(WinHttpOperation::SendRequest,
                          std::to_string(dwOptionalLength) + " " + std::to_string(dwTotalLength)))
    return false;
  auto* request = Find<Request>(hRequest, Kind::Request);
  if (request == nullptr || request->sent || dwTotalLength != dwOptionalLength ||
      (dwOptionalLength > 0 && lpOptional == nullptr))
    return false;
  (void)dwContext;
  if (lpszHeaders != nullptr && dwHeadersLength != 0 &&
      !WinHttpAddRequestHeaders(hRequest, lpszHeaders, dwHeadersLength,
                                WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE))
    return false;
  request->sent = true;
  if (dwOptionalLength > 0)
    request->request.body.assign(static_cast<const char*>(lpOptional), dwOptionalLength);
  if (request->transfer.Send(request->request)) {
    request->received = true;
    request->headerBlock = GbkToWide(request->transfer.HeaderBlock());
    return true;
  }
  return !FailsTheSend(request->transfer.Error());
}

bool WinHttpReceiveResponse(HINTERNET hRequest, void* lpReserved) {
  if (WinHttpCallMustFail(WinHttpOperation::ReceiveResponse))
    return false;
  auto* request = Find<Request>(hRequest, Kind::Request);
  return request != nullptr && lpReserved == nullptr && request->received;
}

bool WinHttpQueryDataAvailable(HINTERNET hRequest, DWORD* lpdwNumberOfBytesAvailable) {
  if (WinHttpCallMustFail(WinHttpOperation::QueryDataAvailable))
    return false;
  auto* request = Find<Request>(hRequest, Kind::Request);
  if (request == nullptr || !request->received || lpdwNumberOfBytesAvailable == nullptr)
    return false;
  std::size_t available = request->transfer.Available();
  if (available == 0 && request->transfer.BodyStatus() == BodyState::Failed)
    return false;
  *lpdwNumberOfBytesAvailable = static_cast<DWORD>(std::min<std::size_t>(available, 0x7FFFFFFF));
  return true;
}

bool WinHttpReadData(HINTERNET hRequest, void* lpBuffer, DWORD dwNumberOfBytesToRead,
                     DWORD* lpdwNumberOfBytesRead) {
  if (WinHttpCallMustFail(WinHttpOperation::ReadData))
    return false;
  auto* request = Find<Request>(hRequest, Kind::Request);
  if (request == nullptr || !request->received || lpBuffer == nullptr ||
      lpdwNumberOfBytesRead == nullptr)
    return false;
  std::size_t read = request->transfer.Read(lpBuffer, dwNumberOfBytesToRead);
  if (read == 0 && request->transfer.BodyStatus() == BodyState::Failed)
    return false;
  *lpdwNumberOfBytesRead = static_cast<DWORD>(read);
  return true;
}

bool WinHttpQueryHeaders(HINTERNET hRequest, DWORD dwInfoLevel, const char16_t* pwszName,
                         void* lpBuffer, DWORD* lpdwBufferLength, DWORD* lpdwIndex) {
  if (WinHttpCallMustFail(WinHttpOperation::QueryHeaders,
                          std::to_string(dwInfoLevel) + " " +
                              std::to_string(lpdwBufferLength ? *lpdwBufferLength : 0)))
    return false;
  auto* request = Find<Request>(hRequest, Kind::Request);
  if (request == nullptr || !request->received || dwInfoLevel != WINHTTP_QUERY_RAW_HEADERS_CRLF ||
      pwszName != WINHTTP_HEADER_NAME_BY_INDEX || lpdwBufferLength == nullptr)
    return false;
  (void)lpdwIndex;  // one raw block: there is no second instance
  const std::u16string& block = request->headerBlock;
  const DWORD needed = static_cast<DWORD>((block.size() + 1) * sizeof(char16_t));
  if (lpBuffer == nullptr || *lpdwBufferLength < needed) {
    *lpdwBufferLength = needed;
    return false;
  }
  std::memcpy(lpBuffer, block.c_str(), needed);
  *lpdwBufferLength = needed - sizeof(char16_t);
  return true;
}

bool WinHttpCloseHandle(HINTERNET hInternet) {
  std::unique_ptr<Handle> handle;
  {
    std::lock_guard lock(handlesMutex);
    auto* h = static_cast<Handle*>(hInternet);
    if (h != nullptr && handles.erase(h) == 1)
      handle.reset(h);
  }
  static const char* const kNames[] = {"session", "connection", "request"};
  WinHttpCallMustFail(WinHttpOperation::CloseHandle,
                      handle ? kNames[static_cast<int>(handle->kind)] : "none");
  return handle != nullptr;
}
