// One HTTP(S) exchange on libcurl, synchronous and streaming: the transport
// under both HTTP stand-ins.
//
// Use one HttpTransfer per request, on one thread: Send() blocks until the
// final response's header block has arrived (or the exchange failed), then
// Available()/Read() stream the body. The body is never held whole: at most
// about kBodyBufferBound bytes wait in memory, the connection is paused
// beyond that and resumed as the reader drains it.
//
// Always on: TLS verification (a private CA is trusted only through
// SetExtraTrustedCaFile); http and https only, also for redirects; a URL,
// method, user agent or header line holding a byte below 0x20 or 0x7F is
// refused before anything is sent; credentials (and Authorization/Cookie
// lines given by the caller) never go to another origin (scheme, host, port)
// after a redirect. Time-outs of 0 take the defaults below; nothing waits
// forever.
//
// Redirects (301, 302, 303, 307, 308 with a Location) are followed by the
// transport itself: 303, and 301/302 after a POST, go on as GET without the
// body. A proxy's refusal of a CONNECT tunnel (407 and the like) is handed
// back as the response, with an empty body. The protocol is HTTP/1.1.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

inline constexpr long kDefaultConnectTimeoutMs = 60'000;  // resolve + connect (+ TLS, proxy)
inline constexpr long kDefaultSendTimeoutMs = 30'000;     // longest idle while sending
inline constexpr long kDefaultReceiveTimeoutMs = 30'000;  // longest idle while receiving
inline constexpr int kDefaultMaxRedirects = 10;
inline constexpr std::size_t kBodyBufferBound = 256 * 1024;

enum class CookieMode {
  None,          // no cookie engine: only Cookie lines the caller gives
  PrivateStore,  // a store that lives for this one transfer (kept across its redirects)
  ProcessStore,  // the store shared by every transfer of the process (thread safe)
};

struct HttpCredentials {
  std::string user;
  std::string password;
};

struct HttpRequest {
  std::string url;             // absolute http:// or https:// URL, sent as given
  std::string method = "GET";  // sent as given (empty: GET); HEAD expects no body
  // "Name: value", sent in order after the Host line; a name given replaces
  // the transport's own line of that name. A given Host line is sent first,
  // spelled "Host".
  std::vector<std::string> headerLines;
  std::string body;       // bytes; sent with any method when not empty, and
                          // (as Content-Length: 0) for POST, PUT and PATCH
  std::string userAgent;  // empty: no User-Agent line unless a header line gives one
  std::string proxy;      // "host:port" of an HTTP proxy; empty: direct
  std::optional<HttpCredentials> proxyCredentials;   // Basic, to the proxy
  std::optional<HttpCredentials> serverCredentials;  // Basic, sent at once, only to the URL's host
  // Milliseconds; 0 takes the default. Resolve and connect together may take
  // resolve + connect (resolve defaults to 0 extra). Send and receive bound
  // how long the exchange may stay idle while sending and receiving.
  long resolveTimeoutMs = 0;
  long connectTimeoutMs = 0;
  long sendTimeoutMs = 0;
  long receiveTimeoutMs = 0;
  bool followRedirects = true;
  int maxRedirects = kDefaultMaxRedirects;  // hops followed before failing
  bool allowHttpsToHttp = false;            // false: a redirect from https to http fails
  CookieMode cookies = CookieMode::None;
};

enum class HttpError {
  None,
  InvalidRequest,  // URL (or a line) refused, not http/https, malformed
  CannotResolve,   // host or proxy name did not resolve
  CannotConnect,   // refused, unreachable, or the proxy refused the tunnel
  Timeout,         // a time-out expired
  SecureFailure,   // TLS handshake or certificate verification failed
  RedirectFailed,  // too many hops, https to http refused, bad Location
  SendFailed,      // the connection broke while sending
  ReceiveFailed,   // the connection broke, or the answer was malformed
  Other,
};

enum class BodyState {
  Streaming,  // more may come
  Complete,   // the whole body has been received (it may still be buffered)
  Failed,     // ended by a failure (reset, truncated, idle time-out); see Error()
};

class HttpTransfer {
 public:
  HttpTransfer();
  ~HttpTransfer();
  HttpTransfer(const HttpTransfer&) = delete;
  HttpTransfer& operator=(const HttpTransfer&) = delete;

  // Sends the request, following redirects as asked, and waits for the final
  // response's header block. True when a response arrived (any status). Call
  // once per object.
  bool Send(const HttpRequest& request);

  // The final response's header block exactly as received: status line first,
  // CR LF line ends, the empty line at its end. Empty before a response.
  const std::string& HeaderBlock() const;
  int StatusCode() const;  // 0 before a response
  // The URL the final response came from (after redirects).
  const std::string& Url() const;

  // Bytes readable now without waiting; if none, waits until data arrives,
  // the body ends, or it fails. 0 means end of body: BodyStatus() tells which.
  std::size_t Available();
  // Copies up to size bytes of the body; waits like Available() when nothing
  // is buffered. 0 means end of body.
  std::size_t Read(void* buffer, std::size_t size);
  BodyState BodyStatus() const;

  // Why Send() failed or the body ended early; None otherwise.
  HttpError Error() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Process-wide: adds the certificates of a PEM file to the trusted set of every
// later TLS exchange, in addition to the system's. An empty path removes them.
// False (and no change) when the file cannot be read or holds no certificate.
bool SetExtraTrustedCaFile(const std::string& pemPath);

// Empties the process-wide cookie store.
void ClearProcessCookies();
