// The WinHTTP operations this program uses, on the shared HTTP transport.
// Texts are UTF-16; a handle is closed with WinHttpCloseHandle.
//
// Decisions that the platform leaves open, taken here once:
// - Only synchronous sessions, access types NO_PROXY (1) and NAMED_PROXY (3).
//   A proxy name is a list of "[scheme=]host[:port]" entries (";" or blanks
//   between them); "http=" and "https=" entries serve only that scheme, an
//   entry without a scheme serves both; the proxy's port defaults to 80.
// - Every request has a cookie store of its own (kept across its redirects)
//   unless WINHTTP_DISABLE_COOKIES turns it off; nothing is shared between
//   requests. Redirects are followed (at most 10 hops, never https to http)
//   unless WINHTTP_DISABLE_REDIRECTS; credentials never follow to another host.
// - TLS is always verified against the system's CAs plus the transport's
//   extra CA file. WINHTTP_ENABLE_SSL_REVOCATION is accepted; no revocation
//   list is consulted beyond what the TLS library does by itself.
// - Time-outs of 0 or less, and requests whose time-outs were never set, take
//   the transport's defaults (connect 60 s, send and receive 30 s): nothing
//   waits forever.
// - The object name goes out as UTF-8 with space, bytes above 0x7E and
//   " < > \ ^ ` { | } percent-escaped; a fragment is not sent. Header lines and
//   Basic credentials go out as UTF-8; response headers are read in code page
//   936. A URL or header holding CR, LF or another control byte never reaches
//   the wire: adding such a header fails, sending to such a URL fails.
// - WinHttpSendRequest waits for the final response's headers: a failure to
//   resolve, connect, establish TLS or send fails the send; a time-out or a
//   broken answer fails WinHttpReceiveResponse.
#pragma once

#include <cstdint>

using HINTERNET = void*;
using DWORD = std::uint32_t;
using INTERNET_PORT = std::uint16_t;
using INTERNET_SCHEME = int;

inline constexpr INTERNET_SCHEME INTERNET_SCHEME_HTTP = 1;
inline constexpr INTERNET_SCHEME INTERNET_SCHEME_HTTPS = 2;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_PORT = 0;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = 443;

inline constexpr DWORD WINHTTP_ACCESS_TYPE_NO_PROXY = 1;
inline constexpr DWORD WINHTTP_ACCESS_TYPE_NAMED_PROXY = 3;
inline constexpr DWORD WINHTTP_FLAG_SECURE = 0x00800000;

inline constexpr DWORD WINHTTP_AUTH_TARGET_SERVER = 0;
inline constexpr DWORD WINHTTP_AUTH_TARGET_PROXY = 1;
inline constexpr DWORD WINHTTP_AUTH_SCHEME_BASIC = 1;

inline constexpr DWORD WINHTTP_OPTION_DISABLE_FEATURE = 63;
inline constexpr DWORD WINHTTP_OPTION_ENABLE_FEATURE = 79;
inline constexpr DWORD WINHTTP_DISABLE_COOKIES = 1;
inline constexpr DWORD WINHTTP_DISABLE_REDIRECTS = 2;
inline constexpr DWORD WINHTTP_ENABLE_SSL_REVOCATION = 1;

inline constexpr DWORD WINHTTP_ADDREQ_FLAG_ADD = 0x20000000;
inline constexpr DWORD WINHTTP_ADDREQ_FLAG_REPLACE = 0x80000000;

inline constexpr DWORD WINHTTP_QUERY_RAW_HEADERS_CRLF = 22;
inline constexpr const char16_t* WINHTTP_HEADER_NAME_BY_INDEX = nullptr;

// The platform's record, with the fields this program reads. A length set to
// a non-zero value with a null pointer asks for that component: the call
// points into the given URL and sets the length in characters.
struct URL_COMPONENTS {
  DWORD dwStructSize;  // must be kUrlComponentsSize
  char16_t* lpszScheme;
  DWORD dwSchemeLength;
  INTERNET_SCHEME nScheme;
  char16_t* lpszHostName;
  DWORD dwHostNameLength;
  INTERNET_PORT nPort;  // the URL's port, else the scheme's default
  char16_t* lpszUserName;
  DWORD dwUserNameLength;
  char16_t* lpszPassword;
  DWORD dwPasswordLength;
  char16_t* lpszUrlPath;
  DWORD dwUrlPathLength;
  char16_t* lpszExtraInfo;  // query and fragment
  DWORD dwExtraInfoLength;
};
// The record's size on the platform, which callers put in dwStructSize.
inline constexpr DWORD kUrlComponentsSize = 60;

bool WinHttpCheckPlatform();
// dwUrlLength 0: the URL ends at its NUL. dwFlags must be 0.
bool WinHttpCrackUrl(const char16_t* pwszUrl, DWORD dwUrlLength, DWORD dwFlags,
                     URL_COMPONENTS* lpUrlComponents);

HINTERNET WinHttpOpen(const char16_t* pszAgentW, DWORD dwAccessType, const char16_t* pszProxyW,
                      const char16_t* pszProxyBypassW, DWORD dwFlags);
// nServerPort INTERNET_DEFAULT_PORT: 80, or 443 for a secure request.
HINTERNET WinHttpConnect(HINTERNET hSession, const char16_t* pswzServerName,
                         INTERNET_PORT nServerPort, DWORD dwReserved);
// Version, referrer and accept types must be null; flags 0 or
// WINHTTP_FLAG_SECURE; a null verb is GET.
HINTERNET WinHttpOpenRequest(HINTERNET hConnect, const char16_t* pwszVerb,
                             const char16_t* pwszObjectName, const char16_t* pwszVersion,
                             const char16_t* pwszReferrer, const char16_t* const* ppwszAcceptTypes,
                             DWORD dwFlags);

// Milliseconds, on a request before it is sent.
bool WinHttpSetTimeouts(HINTERNET hRequest, int nResolveTimeout, int nConnectTimeout,
                        int nSendTimeout, int nReceiveTimeout);
// Basic only; pAuthParams must be null.
bool WinHttpSetCredentials(HINTERNET hRequest, DWORD AuthTargets, DWORD AuthScheme,
                           const char16_t* pwszUserName, const char16_t* pwszPassword,
                           void* pAuthParams);
// WINHTTP_OPTION_DISABLE_FEATURE with cookies and/or redirects, or
// WINHTTP_OPTION_ENABLE_FEATURE with SSL revocation; a DWORD, length 4.
bool WinHttpSetOption(HINTERNET hInternet, DWORD dwOption, void* lpBuffer, DWORD dwBufferLength);
// CR LF separated "Name: value" lines; dwHeadersLength (DWORD)-1: up to the
// NUL. ADD adds a line whose name is not there yet, REPLACE replaces the
// line of that name (names compared without case).
bool WinHttpAddRequestHeaders(HINTERNET hRequest, const char16_t* lpszHeaders,
                              DWORD dwHeadersLength, DWORD dwModifiers);
// The whole body at once: dwTotalLength must equal dwOptionalLength.
bool WinHttpSendRequest(HINTERNET hRequest, const char16_t* lpszHeaders, DWORD dwHeadersLength,
                        void* lpOptional, DWORD dwOptionalLength, DWORD dwTotalLength,
                        std::uintptr_t dwContext);
bool WinHttpReceiveResponse(HINTERNET hRequest, void* lpReserved);

// Waits until body bytes arrive; 0 at the end. False when the body broke off.
bool WinHttpQueryDataAvailable(HINTERNET hRequest, DWORD* lpdwNumberOfBytesAvailable);
bool WinHttpReadData(HINTERNET hRequest, void* lpBuffer, DWORD dwNumberOfBytesToRead,
                     DWORD* lpdwNumberOfBytesRead);

// WINHTTP_QUERY_RAW_HEADERS_CRLF with WINHTTP_HEADER_NAME_BY_INDEX only. A
// buffer too small (or null) fails and sets *lpdwBufferLength to the bytes
// needed, terminator included; a large enough one receives the block and its
// NUL, and *lpdwBufferLength becomes the bytes without the terminator.
bool WinHttpQueryHeaders(HINTERNET hRequest, DWORD dwInfoLevel, const char16_t* pwszName,
                         void* lpBuffer, DWORD* lpdwBufferLength, DWORD* lpdwIndex);

// False for NULL or a handle that is not open.
bool WinHttpCloseHandle(HINTERNET hInternet);
