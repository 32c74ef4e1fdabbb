#include "http/WinHttpFetch.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "http/Cookies.h"
#include "platform/codepage/CodePage.h"
#include "platform/com/Com.h"
#include "platform/com/ComObject.h"
#include "platform/gui/ProcessEvents.h"
#include "platform/winhttp/WinHttp.h"
#include "script/RegexObject.h"
#include "text/TextBetween.h"
#include "text/TextOps.h"

namespace {

const TextValue& FailureMessage(int code) {
  static const std::array<TextValue, 14> kMessages = {
      GbkFromUtf8("700 当前系统不支持WinHttp服务!"),
      GbkFromUtf8("701 解析URL地址失败!"),
      GbkFromUtf8("702 创建WinHttp会话失败!"),
      GbkFromUtf8("703 创建WinHttp连接失败!"),
      GbkFromUtf8("704 创建WinHttp请求失败!"),
      GbkFromUtf8("705 设置超时时间失败!"),
      TextValue(),  // there is no 706
      GbkFromUtf8("707 设置代理凭证失败!"),
      GbkFromUtf8("708 禁止自动设置Cookies失败!"),
      GbkFromUtf8("709 重定向设置失败!"),
      GbkFromUtf8("710 设置协议头失败!"),
      GbkFromUtf8("711 发送请求失败!"),
      GbkFromUtf8("712 服务器未响应!"),
      GbkFromUtf8("713 读取数据失败!"),
  };
  return kMessages[code - 700];
}

const char16_t* Verb(int method) {
  static const char16_t* const kVerbs[] = {u"GET",     u"POST",   u"HEAD",  u"PUT",
                                           u"OPTIONS", u"DELETE", u"TRACE", u"CONNECT"};
  return method >= 0 && method <= 7 ? kVerbs[method] : kVerbs[0];
}

bool HasControlByte(const TextValue& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20)
      return true;
  }
  return false;
}

// The header block: the caller's lines, then each default line whose search
// text does not occur in the block built so far. Nothing when the cookie text
// would break out of its Cookie line.
std::optional<TextValue> BuildHeaderBlock(const WinHttpFetchParams& p) {
  struct DefaultLine {
    const char* search;
    bool ignoreCase;
    const char* line;
  };
  static const DefaultLine kDefaults[] = {
      {"User-Agent: ", true,
       "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)"},
      {"Accept: ", true, "Accept: text/html, application/xhtml+xml, */*"},
      {"Accept-Encoding: ", true, "Accept-Encoding: gbk, GB2312"},
      {"Accept-Language: ", true, "Accept-Language: zh-cn"},
      {"Content-Type:", false, "Content-Type: application/x-www-form-urlencoded"},
      {"Cache-Control: ", true, "Cache-Control: no-cache"},
  };
  TextValue block = p.headers.empty() ? TextValue() : p.headers + "\r\n";
  for (const DefaultLine& d : kDefaults) {
    bool contentType = d.search[0] == 'C' && !d.ignoreCase;
    if (contentType && p.method != 1)
      continue;
    if (ContainsText(block, d.search, d.ignoreCase))
      continue;
    block += d.line;
    block += "\r\n";
  }
  if (p.cookies != nullptr && !p.cookies->empty() && !ContainsText(block, "Cookie: ", true)) {
    if (HasControlByte(*p.cookies))
      return std::nullopt;
    block += "Cookie: " + *p.cookies + "\r\n";
  }
  return block;
}

// The handles of one call, closed request first on every path.
struct Handles {
  HINTERNET session = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;

  ~Handles() {
    ProcessEvents();
    WinHttpCloseHandle(request);
    WinHttpCloseHandle(connection);
    WinHttpCloseHandle(session);
  }
};

bool SetDword(HINTERNET request, DWORD option, DWORD value) {
  return WinHttpSetOption(request, option, &value, sizeof value);
}

// The first line's text after "HTTP/1.1 ", up to its CR LF.
TextValue StatusText(const TextValue& headerBlock) {
  int end = FindText(headerBlock, "\r\n", 10);
  return end < 10 ? TextValue() : MiddleText(headerBlock, 10, end - 10);
}

void CutEnd(TextValue& text, std::size_t count) {
  text.resize(text.size() > count ? text.size() - count : 0);
}

// The response's cookies ("a=1; b=2") from its Set-Cookie lines, and the
// last Location line's target into *location. `headerBlock` has its
// Set-Cookie names rewritten in their usual case.
TextValue CollectCookies(TextValue& headerBlock, TextValue& location) {
  static const TextValue kSetCookie = "Set-Cookie";
  headerBlock = ReplaceText(headerBlock, kSetCookie, kSetCookie, true);
  TextValue cookies;
  const TextArray lines = SplitText(headerBlock, "\r\n");
  for (const TextValue& line : lines.Items()) {
    if (ContainsText(line, kSetCookie)) {
      TextValue value = ContainsText(line, ";") ? TextBetween(line, "Set-Cookie:", ";")
                                                : ReplaceText(line, "Set-Cookie:", "", true);
      cookies += TrimSpaces(value) + "; ";
    }
    if (line.size() >= 10 && FindText(LeftText(line, 10), "Location: ", 1, true) == 1)
      location = line.substr(10);
    ProcessEvents();
  }
  CutEnd(cookies, 2);
  return cookies;
}

// The body decoded from `charset` into GBK through the stream component, into
// `text`; false when the component cannot be created.
bool DecodeBody(ByteSet body, const TextValue& charset, TextValue& text) {
  ComObject stream;
  if (!stream.Create("Adodb.Stream"))
    return false;
  Variant bytes(std::move(body));
  stream.Put("Type", 1);
  stream.Put("Mode", 3);
  stream.CallNone("Open");
  stream.CallNone("Write", {bytes});
  stream.Put("Position", 0);
  stream.Put("Type", 2);
  stream.Put("Charset", Variant::FromText(charset));
  text = stream.CallText("ReadText");
  stream.CallNone("Close");
  return true;
}

}  // namespace

TextValue WinHttpFetch(const TextValue& url, const WinHttpFetchParams& p) {
  RegexObject regex;  // the call's own, from start to end
  TextValue scratchStatus, scratchHeaders, scratchReturned, scratchLocation;
  TextValue& status = p.status ? *p.status : scratchStatus;
  auto fail = [&status](int code) {
    status = FailureMessage(code);
    return TextValue();
  };

  Handles h;  // declared after the regex object: closed before it goes
  if (!WinHttpCheckPlatform())
    return fail(700);

  const std::u16string wideUrl = GbkToWide(url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = kUrlComponentsSize;
  parts.dwSchemeLength = parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(wideUrl.c_str(), static_cast<DWORD>(wideUrl.size()), 0, &parts))
    return fail(701);
  const std::u16string host(parts.lpszHostName, parts.dwHostNameLength);
  const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  std::u16string objectName = u"/";
  if (parts.dwUrlPathLength >= 1) {
    objectName.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    objectName.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  }

  const DWORD accessType =
      p.proxy.empty() ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY;
  const std::u16string proxyName =
      p.proxy.empty() ? std::u16string() : GbkToWide(secure ? p.proxy : "http=" + p.proxy);
  h.session = WinHttpOpen(nullptr, accessType, proxyName.c_str(), nullptr, 0);
  if (h.session == nullptr)
    return fail(702);
  h.connection = WinHttpConnect(h.session, host.c_str(), parts.nPort, 0);
  if (h.connection == nullptr)
    return fail(703);
  h.request = WinHttpOpenRequest(h.connection, Verb(p.method), objectName.c_str(), nullptr, nullptr,
                                 nullptr, secure ? WINHTTP_FLAG_SECURE : 0);
  if (h.request == nullptr)
    return fail(704);

  const int timeoutMs = p.timeoutSeconds > 0 ? p.timeoutSeconds * 1000 : 30000;
  if (!WinHttpSetTimeouts(h.request, timeoutMs, timeoutMs, timeoutMs, timeoutMs))
    return fail(705);
  if (!p.userName.empty() && !p.password.empty() &&
      !WinHttpSetCredentials(h.request, WINHTTP_AUTH_TARGET_SERVER, WINHTTP_AUTH_SCHEME_BASIC,
                             GbkToWide(p.userName).c_str(), GbkToWide(p.password).c_str(), nullptr))
    return fail(707);
  if (!p.proxyUserName.empty() && !p.proxyPassword.empty() &&
      !WinHttpSetCredentials(h.request, WINHTTP_AUTH_TARGET_PROXY, WINHTTP_AUTH_SCHEME_BASIC,
                             GbkToWide(p.proxyUserName).c_str(), GbkToWide(p.proxyPassword).c_str(),
                             nullptr))
    return fail(707);
  const bool cookieOption =
      p.cookies == nullptr
          ? SetDword(h.request, WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_COOKIES)
          : SetDword(h.request, WINHTTP_OPTION_ENABLE_FEATURE, WINHTTP_ENABLE_SSL_REVOCATION);
  if (!cookieOption)
    return fail(708);
  if (p.noRedirect &&
      !SetDword(h.request, WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_REDIRECTS))
    return fail(709);

  const std::optional<TextValue> block = BuildHeaderBlock(p);
  const std::u16string headerBlock = block ? GbkToWide(*block) : std::u16string();
  if (!block || !WinHttpAddRequestHeaders(h.request, headerBlock.c_str(),
                                          static_cast<DWORD>(headerBlock.size()),
                                          WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE))
    return fail(710);
  void* postData = p.postData.empty() ? nullptr : const_cast<char*>(p.postData.data());
  const auto postLength = static_cast<DWORD>(p.postData.size());
  if (!WinHttpSendRequest(h.request, nullptr, 0, postData, postLength, postLength, 0))
    return fail(711);

  if (!WinHttpReceiveResponse(h.request, nullptr))
    return fail(712);

  // The body grows chunk by chunk; each chunk is read straight into its
  // zero-filled tail. It is kept as text so that it can become the result
  // without another copy.
  TextValue body;
  for (;;) {
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(h.request, &available) || available < 1)
      break;
    const std::size_t old = body.size();
    body.resize(old + available);
    DWORD read = 0;
    if (!WinHttpReadData(h.request, body.data() + old, available, &read)) {
      body.resize(old);
      status = FailureMessage(713);
      break;
    }
    body.resize(old + read);
  }

  DWORD size = 0, index = 0;
  WinHttpQueryHeaders(h.request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                      nullptr, &size, &index);
  ByteSet wideHeaders(size);
  index = 0;
  if (!WinHttpQueryHeaders(h.request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                           wideHeaders.data(), &size, &index))
    return TextValue();

  TextValue& responseHeaders = p.responseHeaders ? *p.responseHeaders : scratchHeaders;
  TextValue& returnedCookies = p.returnedCookies ? *p.returnedCookies : scratchReturned;
  TextValue& location = p.location ? *p.location : scratchLocation;

  responseHeaders = Utf16ToGbk(wideHeaders);
  status = StatusText(responseHeaders);
  returnedCookies = CollectCookies(responseHeaders, location);
  if (p.autoMergeCookies && p.cookies != nullptr)
    returnedCookies = MergeCookies(*p.cookies, returnedCookies);
  if (p.responseBytes != nullptr)
    p.responseBytes->assign(body.begin(), body.end());
  const std::size_t textLength = std::min(body.find('\0'), body.size());

  CoInitialize(nullptr);
  static const TextValue kMetaCharset = "<meta.+?charset=[^\\w]?([-\\w]+)";
  TextValue text;
  bool decoded = false;
  if (regex.Create(kMetaCharset, body.substr(0, std::min<std::size_t>(textLength, 1024)))) {
    const TextValue charset = regex.GetSubMatch(1, 1);
    if (!charset.empty() && charset != "gbk" && charset != "gb2312")
      decoded = DecodeBody(ByteSet(body.begin(), body.end()), charset, text);
    ProcessEvents();
  }
  if (!decoded) {
    text = std::move(body);
    text.resize(textLength);
  }
  CoUninitialize();
  return text;
}
