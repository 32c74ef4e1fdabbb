#include "http/WinInetFetch.h"

#include <array>

#include "http/Cookies.h"
#include "http/Url.h"
#include "platform/wininet/WinInet.h"
#include "text/TextBetween.h"
#include "text/TextOps.h"

namespace {

constexpr std::array<const char*, 8> kVerbs = {"GET",     "POST",   "HEAD",  "PUT",
                                               "OPTIONS", "DELETE", "TRACE", "CONNECT"};
constexpr const char* kDefaultAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
constexpr DWORD kReadSize = 1024;
constexpr DWORD kResponseHeaderSize = 5000;

// The line of `headers` that holds `name`, whatever its letter case.
TextValue LineHolding(const TextValue& headers, const TextValue& name) {
  const TextArray lines = SplitText(headers, "\r\n");
  for (const TextValue& line : lines.Items()) {
    if (ContainsText(line, name, true))
      return line;
  }
  return TextValue();
}

TextValue UserAgent(const TextValue& headers) {
  if (!ContainsText(headers, "User-Agent:", true))
    return kDefaultAgent;
  TextValue agent = TrimBlanks(TextBetween(headers + "\r\n", "User-Agent:", "\r\n"));
  // The value of the line itself, not of the whole block: the block's first
  // ":" may belong to another line and would put line breaks into the agent.
  if (agent.empty())
    agent = HeaderValue(LineHolding(headers, "User-Agent:"));
  return agent;
}

void CompleteHeaders(TextValue& headers, const TextValue& url, bool post,
                     const TextValue* cookies) {
  if (headers.empty()) {
    headers = "Accept: */*";
  } else if (!ContainsText(headers, "Accept:")) {
    headers += "\r\nAccept: */*";
  }
  if (!ContainsText(headers, "Referer:"))
    headers += "\r\nReferer: " + url;
  if (!ContainsText(headers, "Accept-Language:"))
    headers += "\r\nAccept-Language: zh-cn";
  if (post && !ContainsText(headers, "Content-Type:")) {
    headers += "\r\nContent-Type: application/x-www-form-urlencoded";
  }
  if (cookies && !cookies->empty()) {
    headers += ContainsText(*cookies, "Cookie:") ? "\r\n" + *cookies : "\r\nCookie: " + *cookies;
  }
}

TextValue AnswerCookies(const TextValue& responseHeaders) {
  TextValue found;
  const TextArray lines = SplitText(responseHeaders, "\r\n");
  for (const TextValue& line : lines.Items()) {
    if (!ContainsText(line, "Set-Cookie"))
      continue;
    const TextValue piece = ContainsText(line, ";") ? TextBetween(line, "Set-Cookie:", ";")
                                                    : ReplaceText(line, "Set-Cookie:", "", true);
    found += TrimBlanks(piece) + "; ";
  }
  return LeftText(found, static_cast<int>(found.size()) - 2);
}

struct Handles {
  HINTERNET internet = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
  ~Handles() {
    if (request)
      InternetCloseHandle(request);
    if (connection)
      InternetCloseHandle(connection);
    if (internet)
      InternetCloseHandle(internet);
  }
};

}  // namespace

TextValue HeaderValue(const TextValue& text) {
  const int colon = FindText(text, ":");
  if (colon == -1)
    return TextValue();
  return TrimBlanks(MiddleText(text, colon + 1, static_cast<int>(text.size()) - colon));
}

ByteSet WinInetFetch(const TextValue& url, const WinInetFetchParams& params) {
  const int method = params.method < 0 || params.method > 7 ? 0 : params.method;
  const bool get = method == 0;
  const bool secure = LeftText(ToLowerAscii(url), 8) == "https://";

  TextValue localHeaders, localReturnedCookies, localResponseHeaders;
  ByteSet localPostBytes;
  TextValue& headers = params.headers ? *params.headers : localHeaders;
  TextValue& returnedCookies =
      params.returnedCookies ? *params.returnedCookies : localReturnedCookies;
  TextValue& responseHeaders =
      params.responseHeaders ? *params.responseHeaders : localResponseHeaders;
  ByteSet& postBytes = params.postBytes ? *params.postBytes : localPostBytes;

  Handles handles;
  const TextValue agent = UserAgent(headers);
  if (params.proxy.empty()) {
    handles.internet = InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  } else {
    const TextValue proxyList = secure ? params.proxy : "http=" + params.proxy;
    handles.internet =
        InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PROXY, proxyList.c_str(), "", 0);
  }
  if (!handles.internet)
    return ByteSet();

  const TextValue host = UrlHost(url);
  handles.connection =
      InternetConnectA(handles.internet, host.c_str(), static_cast<INTERNET_PORT>(UrlPort(url)),
                       nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  if (!handles.connection)
    return ByteSet();

  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NEED_FILE;
  if (params.cookies)
    flags |= INTERNET_FLAG_NO_COOKIES;
  if (params.noRedirect)
    flags |= INTERNET_FLAG_NO_AUTO_REDIRECT;
  flags |= secure ? INTERNET_FLAG_SECURE : INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
  const TextValue path = UrlPath(url);
  handles.request = HttpOpenRequestA(handles.connection, kVerbs[method], path.c_str(), "HTTP/1.1",
                                     nullptr, nullptr, flags, 0);
  if (!handles.request)
    return ByteSet();

  CompleteHeaders(headers, url, method == 1, params.cookies);
  if (get) {
    HttpSendRequestA(handles.request, headers.c_str(), static_cast<DWORD>(headers.size()), "", 0);
  } else {
    if (postBytes.empty())
      postBytes = TextToBytes(params.postData);
    HttpSendRequestA(handles.request, headers.c_str(), static_cast<DWORD>(headers.size()),
                     postBytes.data(), static_cast<DWORD>(postBytes.size()));
  }

  ByteSet body;
  std::array<std::uint8_t, kReadSize> buffer;
  for (;;) {
    DWORD read = 0;
    InternetReadFile(handles.request, buffer.data(), kReadSize, &read);
    if (read == 0)
      break;
    body.insert(body.end(), buffer.begin(), buffer.begin() + read);
  }

  TextValue headerBuffer(kResponseHeaderSize, ' ');
  DWORD headerLength = kResponseHeaderSize;
  HttpQueryInfoA(handles.request, HTTP_QUERY_RAW_HEADERS_CRLF, headerBuffer.data(), &headerLength,
                 nullptr);
  responseHeaders =
      BytesToText(reinterpret_cast<const std::uint8_t*>(headerBuffer.data()), headerBuffer.size());
  responseHeaders = ReplaceText(responseHeaders, "Set-Cookie", "Set-Cookie", true);

  InternetCloseHandle(handles.request);
  handles.request = nullptr;
  InternetCloseHandle(handles.connection);
  handles.connection = nullptr;
  InternetCloseHandle(handles.internet);
  handles.internet = nullptr;

  returnedCookies = AnswerCookies(responseHeaders);
  if (params.autoMergeCookies && params.cookies) {
    returnedCookies = MergeCookies(*params.cookies, returnedCookies);
  }
  return body;
}
