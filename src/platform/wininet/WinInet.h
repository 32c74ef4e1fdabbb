// The WinINet stand-in: the seven operations a request needs, over the
// shared HTTP transport. Texts are GBK char* as on the platform; handles are
// opaque and each one is closed with InternetCloseHandle (children first;
// a handle copies what it needs from its parent, so order cannot corrupt).
//
// Decisions of the stand-in where the platform's own behaviour is not copied:
// - Cookies: one cookie store for the whole process, used by every request
//   unless it carries INTERNET_FLAG_NO_COOKIES; nothing is kept on disk.
// - Redirects are followed (at most 10 hops) unless
//   INTERNET_FLAG_NO_AUTO_REDIRECT; a hop from https to http is never
//   followed (the send fails). Without INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS
//   a plain request that ends on an https URL fails too.
// - TLS is always verified; a private CA is trusted only through the
//   transport's process-wide extra CA file (SetExtraTrustedCaFile).
// - Time-outs: connecting (with resolving, TLS and the proxy) may take 60 s;
//   a receive that stays idle for 30 s ends the response, so no read waits
//   forever. There is no cache: every request goes to the server, which is
//   what INTERNET_FLAG_RELOAD asks and why INTERNET_FLAG_NEED_FILE has no
//   effect.
// - Proxy list: entries separated by blanks or ";", each "host[:port]" for
//   every scheme or "scheme=host[:port]" for one ("http=h:8080" leaves https
//   direct); a proxy without a port uses 80. Bypass list: host names with "*"
//   wildcards, "<local>" for names without a dot; loopback is bypassed only
//   when listed.
// - Object names: bytes of 0x80 and above, blanks and the other characters
//   that may not stand in a request target are sent percent-escaped; a name
//   not beginning with "/" gets one. Control bytes are never escaped: such a
//   request is refused and nothing is sent. A fragment is not sent.
// - Failures are results only (a BOOL of 0, a null handle, 0 bytes read);
//   there is no error code to ask for.
#pragma once

#include <cstdint>

using HINTERNET = void*;
using DWORD = std::uint32_t;
using BOOL = int;
using INTERNET_PORT = std::uint16_t;
using LPCSTR = const char*;
using DWORD_PTR = std::uintptr_t;

inline constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;
inline constexpr DWORD INTERNET_OPEN_TYPE_PROXY = 3;
inline constexpr DWORD INTERNET_SERVICE_HTTP = 3;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = 443;
// Port 0 in InternetConnectA: the scheme's default port.
inline constexpr INTERNET_PORT INTERNET_INVALID_PORT_NUMBER = 0;

// Request flags (HttpOpenRequestA).
inline constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000;     // no cache: always the case
inline constexpr DWORD INTERNET_FLAG_NEED_FILE = 0x00000010;  // no cache file: no effect
inline constexpr DWORD INTERNET_FLAG_MUST_CACHE_REQUEST = INTERNET_FLAG_NEED_FILE;
inline constexpr DWORD INTERNET_FLAG_NO_COOKIES = 0x00080000;        // process cookie store off
inline constexpr DWORD INTERNET_FLAG_NO_AUTO_REDIRECT = 0x00200000;  // the 3xx answer is the answer
inline constexpr DWORD INTERNET_FLAG_SECURE = 0x00800000;            // TLS, verified
inline constexpr DWORD INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS =
    0x00004000;  // http may end on https

inline constexpr DWORD HTTP_QUERY_RAW_HEADERS_CRLF = 22;

// `agent` null or empty: no User-Agent line unless the request's headers give
// one. INTERNET_OPEN_TYPE_PROXY needs a non-empty `proxy` list; `proxyBypass`
// may be null. Other access types are not supported (null handle).
HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass,
                        DWORD flags);

// Only INTERNET_SERVICE_HTTP; user name and password must be null or empty.
// The server name is not resolved here: a bad name makes the send fail.
HINTERNET InternetConnectA(HINTERNET internet, LPCSTR serverName, INTERNET_PORT serverPort,
                           LPCSTR userName, LPCSTR password, DWORD service, DWORD flags,
                           DWORD_PTR context);

// `verb` null: GET. `version` null or "HTTP/1.1" (nothing else is offered);
// `referrer` and `acceptTypes` must be null: such lines go in the headers.
HINTERNET HttpOpenRequestA(HINTERNET connect, LPCSTR verb, LPCSTR objectName, LPCSTR version,
                           LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context);

// Sends the request and waits for the answer's header block. `headers` are
// lines joined by CR LF (`headersLength` bytes, or up to the NUL when it is
// DWORD(-1)); a line replaces the stand-in's own line of that name. The body
// is sent as given (none when its length is 0). Nonzero when an answer came,
// whatever its status.
BOOL HttpSendRequestA(HINTERNET request, LPCSTR headers, DWORD headersLength, const void* optional,
                      DWORD optionalLength);

// Up to `numberOfBytesToRead` body bytes, waiting only when none are buffered.
// `*numberOfBytesRead` is 0 at the end of the body, after any failure and
// before a successful send; the result is 0 only after a failure.
BOOL InternetReadFile(HINTERNET request, void* buffer, DWORD numberOfBytesToRead,
                      DWORD* numberOfBytesRead);

// HTTP_QUERY_RAW_HEADERS_CRLF only: the answer's header block (status line
// first, CR LF line ends, the empty line at its end) and a NUL. When block and
// NUL do not fit into `*bufferLength` bytes the buffer is left as it was,
// `*bufferLength` receives the size needed and the result is 0; on success it
// receives the block's length without the NUL. `index` may be null.
BOOL HttpQueryInfoA(HINTERNET request, DWORD infoLevel, void* buffer, DWORD* bufferLength,
                    DWORD* index);

// Nonzero when `handle` was open; a null or already closed handle gives 0.
BOOL InternetCloseHandle(HINTERNET handle);

// Not a platform operation: the default time-outs of handles opened later
// (milliseconds, 0 restores the stand-in's defaults). For tests that must not
// wait 30 s for an idle server.
void SetInternetDefaultTimeouts(long connectTimeoutMs, long receiveTimeoutMs);
