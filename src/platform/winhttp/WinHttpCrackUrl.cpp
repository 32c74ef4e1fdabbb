// Splitting of an http or https URL into the record's components.
#include <string_view>

#include "platform/winhttp/WinHttp.h"
#include "platform/winhttp/WinHttpProbe.h"

namespace {

bool EqualsIgnoringCase(std::u16string_view text, std::u16string_view lower) {
  if (text.size() != lower.size())
    return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c >= u'A' && c <= u'Z')
      c = static_cast<char16_t>(c + 32);
    if (c != lower[i])
      return false;
  }
  return true;
}

// Points a requested component (non-zero length) into the URL.
void SetComponent(const char16_t* base, std::u16string_view url, std::u16string_view piece,
                  char16_t** pointer, DWORD* length) {
  if (*length == 0)
    return;
  *pointer = const_cast<char16_t*>(base + (piece.data() - url.data()));
  *length = static_cast<DWORD>(piece.size());
}

// A decimal port of 1 to 65535; an empty text gives the default.
bool ParsePort(std::u16string_view text, INTERNET_PORT fallback, INTERNET_PORT* port) {
  if (text.empty()) {
    *port = fallback;
    return true;
  }
  if (text.size() > 5)
    return false;
  unsigned value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9')
      return false;
    value = value * 10 + (c - u'0');
  }
  if (value == 0 || value > 65535)
    return false;
  *port = static_cast<INTERNET_PORT>(value);
  return true;
}

}  // namespace

bool WinHttpCrackUrl(const char16_t* pwszUrl, DWORD dwUrlLength, DWORD dwFlags,
                     URL_COMPONENTS* lpUrlComponents) {
  if (WinHttpCallMustFail(WinHttpOperation::CrackUrl))
    return false;
  if (pwszUrl == nullptr || lpUrlComponents == nullptr || dwFlags != 0 ||
      lpUrlComponents->dwStructSize != kUrlComponentsSize)
    return false;
  std::u16string_view url =
      dwUrlLength == 0 ? std::u16string_view(pwszUrl) : std::u16string_view(pwszUrl, dwUrlLength);

  std::size_t colon = url.find(u"://");
  if (colon == std::u16string_view::npos)
    return false;
  std::u16string_view scheme = url.substr(0, colon);
  INTERNET_SCHEME nScheme = 0;
  INTERNET_PORT defaultPort = 0;
  if (EqualsIgnoringCase(scheme, u"http")) {
    nScheme = INTERNET_SCHEME_HTTP;
    defaultPort = INTERNET_DEFAULT_HTTP_PORT;
  } else if (EqualsIgnoringCase(scheme, u"https")) {
    nScheme = INTERNET_SCHEME_HTTPS;
    defaultPort = INTERNET_DEFAULT_HTTPS_PORT;
  } else {
    return false;
  }

  // The authority ends where a path, a query or a fragment begins.
  std::u16string_view rest = url.substr(colon + 3);
  std::size_t authorityEnd = rest.find_first_of(u"/?#");
  if (authorityEnd == std::u16string_view::npos)
    authorityEnd = rest.size();
  std::u16string_view authority = rest.substr(0, authorityEnd);
  std::u16string_view afterAuthority = rest.substr(authorityEnd);

  std::u16string_view userInfo, userName, password;
  std::size_t at = authority.rfind(u'@');
  if (at != std::u16string_view::npos) {
    userInfo = authority.substr(0, at);
    authority = authority.substr(at + 1);
    std::size_t split = userInfo.find(u':');
    userName = userInfo.substr(0, split);
    if (split != std::u16string_view::npos)
      password = userInfo.substr(split + 1);
  }

  // A bracketed IPv6 address keeps its colons; the port follows the bracket.
  std::u16string_view host = authority, portText;
  std::size_t portColon = authority.rfind(u':');
  if (!authority.empty() && authority.front() == u'[') {
    std::size_t close = authority.find(u']');
    if (close == std::u16string_view::npos)
      return false;
    host = authority.substr(1, close - 1);
    std::u16string_view tail = authority.substr(close + 1);
    if (!tail.empty() && tail.front() != u':')
      return false;
    if (!tail.empty())
      portText = tail.substr(1);
  } else if (portColon != std::u16string_view::npos) {
    host = authority.substr(0, portColon);
    portText = authority.substr(portColon + 1);
  }
  if (host.empty())
    return false;
  INTERNET_PORT port = 0;
  if (!ParsePort(portText, defaultPort, &port))
    return false;

  std::size_t extraStart = afterAuthority.find_first_of(u"?#");
  if (extraStart == std::u16string_view::npos)
    extraStart = afterAuthority.size();
  std::u16string_view path = afterAuthority.substr(0, extraStart);
  std::u16string_view extra = afterAuthority.substr(extraStart);

  URL_COMPONENTS& c = *lpUrlComponents;
  c.nScheme = nScheme;
  c.nPort = port;
  SetComponent(pwszUrl, url, scheme, &c.lpszScheme, &c.dwSchemeLength);
  SetComponent(pwszUrl, url, host, &c.lpszHostName, &c.dwHostNameLength);
  SetComponent(pwszUrl, url, userName, &c.lpszUserName, &c.dwUserNameLength);
  SetComponent(pwszUrl, url, password, &c.lpszPassword, &c.dwPasswordLength);
  SetComponent(pwszUrl, url, path, &c.lpszUrlPath, &c.dwUrlPathLength);
  SetComponent(pwszUrl, url, extra, &c.lpszExtraInfo, &c.dwExtraInfoLength);
  return true;
}
