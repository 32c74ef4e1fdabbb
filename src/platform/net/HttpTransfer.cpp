#include "platform/net/HttpTransfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string_view>

#include "platform/net/CurlProcess.h"

namespace {

using Clock = std::chrono::steady_clock;

bool HasControlByte(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size())
    return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char a = text[i], b = prefix[i];
    if (a >= 'A' && a <= 'Z')
      a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z')
      b = static_cast<char>(b - 'A' + 'a');
    if (a != b)
      return false;
  }
  return true;
}

bool IsHttpUrl(std::string_view url) {
  return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://");
}

// "scheme://authority/" for libcurl to connect to, and the request target
// (path and query as given, never the fragment) for the request line.
struct UrlSplit {
  std::string base, target;
};

UrlSplit SplitUrl(const std::string& url) {
  std::size_t authority = url.find("://") + 3;
  std::size_t end = url.find_first_of("/?#", authority);
  if (end == std::string::npos)
    end = url.size();
  std::string target = url.substr(end, url.find('#', end) - end);
  if (target.empty() || target.front() == '?')
    target.insert(0, "/");
  return {url.substr(0, end) + "/", target};
}

std::string_view HeaderName(std::string_view line) {
  std::size_t colon = line.find(':');
  std::string_view name = line.substr(0, colon == std::string_view::npos ? line.size() : colon);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
  return name;
}

bool NameIs(std::string_view line, std::string_view name) {
  std::string_view lineName = HeaderName(line);
  return lineName.size() == name.size() && StartsWithNoCase(lineName, name);
}

bool HasHeader(const std::vector<std::string>& lines, std::string_view name) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& line) { return NameIs(line, name); });
}

// The parts of a URL that decide whether credentials may go to it.
struct Origin {
  std::string scheme, host, port;
  bool operator==(const Origin&) const = default;
};

std::string UrlPart(CURLU* url, CURLUPart part, unsigned int flags = 0) {
  char* value = nullptr;
  if (curl_url_get(url, part, &value, flags) != CURLUE_OK)
    return {};
  std::string result(value);
  curl_free(value);
  for (char& c : result) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return result;
}

std::optional<Origin> OriginOf(const std::string& url) {
  CURLU* parsed = curl_url();
  std::optional<Origin> origin;
  if (curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK) {
    origin = Origin{UrlPart(parsed, CURLUPART_SCHEME), UrlPart(parsed, CURLUPART_HOST),
                    UrlPart(parsed, CURLUPART_PORT, CURLU_DEFAULT_PORT)};
  }
  curl_url_cleanup(parsed);
  return origin;
}

// The absolute URL a Location value points to, seen from base; empty when it
// cannot be resolved.
std::string ResolveLocation(const std::string& base, const std::string& location) {
  CURLU* parsed = curl_url();
  std::string result;
  if (curl_url_set(parsed, CURLUPART_URL, base.c_str(), 0) == CURLUE_OK &&
      curl_url_set(parsed, CURLUPART_URL, location.c_str(), 0) == CURLUE_OK) {
    char* value = nullptr;
    if (curl_url_get(parsed, CURLUPART_URL, &value, 0) == CURLUE_OK) {
      result = value;
      curl_free(value);
    }
  }
  curl_url_cleanup(parsed);
  return result;
}

// The value of the first header of that name in a raw header block.
std::string HeaderValue(const std::string& block, std::string_view name) {
  std::size_t start = block.find("\r\n");
  while (start != std::string::npos && start + 2 < block.size()) {
    start += 2;
    std::size_t end = block.find("\r\n", start);
    std::string_view line(block.data() + start,
                          (end == std::string::npos ? block.size() : end) - start);
    if (NameIs(line, name)) {
      std::string_view value = line.substr(line.find(':') + 1);
      while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
        value.remove_prefix(1);
      }
      while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
        value.remove_suffix(1);
      }
      return std::string(value);
    }
    start = end;
  }
  return {};
}

int StatusOf(std::string_view statusLine) {
  std::size_t space = statusLine.find(' ');
  if (space == std::string_view::npos)
    return 0;
  int code = 0;
  for (std::size_t i = space + 1; i < statusLine.size() && i < space + 4; ++i) {
    if (statusLine[i] < '0' || statusLine[i] > '9')
      return 0;
    code = code * 10 + (statusLine[i] - '0');
  }
  return code;
}

HttpError ErrorOf(CURLcode code) {
  switch (code) {
    case CURLE_OK:
      return HttpError::None;
    case CURLE_URL_MALFORMAT:
      return HttpError::InvalidRequest;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return HttpError::CannotResolve;
    case CURLE_COULDNT_CONNECT:
    case CURLE_PROXY:
      return HttpError::CannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
      return HttpError::Timeout;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
      return HttpError::SecureFailure;
    case CURLE_TOO_MANY_REDIRECTS:
      return HttpError::RedirectFailed;
    case CURLE_SEND_ERROR:
      return HttpError::SendFailed;
    case CURLE_UNSUPPORTED_PROTOCOL:  // our own checks pass only http(s): the answer was HTTP/0.9
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_BAD_CONTENT_ENCODING:
      return HttpError::ReceiveFailed;
    default:
      return HttpError::Other;
  }
}

bool IsFollowedRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

struct HttpTransfer::State {
  HttpRequest request;
  CURLM* multi = nullptr;
  CURL* easy = nullptr;
  curl_slist* headerList = nullptr;
  std::shared_ptr<const void> trust;
  bool attached = false;  // easy is in multi
  bool sent = false;

  // One hop's exchange.
  std::string url;
  std::string requestTarget;
  std::optional<Origin> firstOrigin;
  bool sameOrigin = true;
  bool connected = false;    // the request may go out (tunnel and TLS are up)
  std::string pendingBlock;  // header lines of the response being received
  std::string connectBlock;  // a proxy's answer to CONNECT
  std::string headerBlock;
  int status = 0;
  bool headersDone = false;
  bool transferDone = false;
  CURLcode result = CURLE_OK;
  HttpError error = HttpError::None;
  BodyState bodyState = BodyState::Failed;

  // The body waiting for the reader: bytes before readPos are consumed.
  std::string buffer;
  std::size_t readPos = 0;
  bool paused = false;

  // Idle watch.
  Clock::time_point lastActivity;
  curl_off_t lastUpload = 0, lastDownload = 0;
  bool bodySent = false;

  ~State() {
    Detach();
    if (easy)
      curl_easy_cleanup(easy);
    if (multi)
      curl_multi_cleanup(multi);
    curl_slist_free_all(headerList);
  }

  std::size_t Buffered() const { return buffer.size() - readPos; }

  void Detach() {
    if (attached)
      curl_multi_remove_handle(multi, easy);
    attached = false;
  }

  void Fail(HttpError why) {
    Detach();
    transferDone = true;
    if (error == HttpError::None)
      error = why;
    bodyState = BodyState::Failed;
  }

  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto* state = static_cast<State*>(self);
    std::string_view line(data, size * count);
    state->lastActivity = Clock::now();
    if (state->headersDone)
      return line.size();  // trailers of a chunked body
    std::string& block = state->connected ? state->pendingBlock : state->connectBlock;
    if (block.ends_with("\r\n\r\n"))
      block.clear();  // an earlier answer to CONNECT
    // A server that ends its lines with a bare LF still gives a block with
    // CR LF line ends, the form every reader of the block looks for.
    if (line.ends_with('\n') && !line.ends_with("\r\n")) {
      block.append(line.substr(0, line.size() - 1));
      block.append("\r\n");
    } else {
      block.append(line);
    }
    if (line == "\r\n" || line == "\n") {
      int status = StatusOf(std::string_view(block).substr(0, block.find('\n')));
      if (!state->connected || (status >= 100 && status < 200)) {
        if (state->connected)
          block.clear();  // an interim answer: the real one follows
        return line.size();
      }
      state->headerBlock.swap(block);
      block.clear();
      state->status = status;
      state->headersDone = true;
    }
    return line.size();
  }

  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto* state = static_cast<State*>(self);
    if (state->Buffered() >= kBodyBufferBound) {
      state->paused = true;
      return CURL_WRITEFUNC_PAUSE;
    }
    if (state->readPos == state->buffer.size()) {
      state->buffer.clear();
      state->readPos = 0;
    } else if (state->readPos >= kBodyBufferBound) {
      state->buffer.erase(0, state->readPos);
      state->readPos = 0;
    }
    state->buffer.append(data, size * count);
    state->lastActivity = Clock::now();
    return size * count;
  }

  static int OnConnected(void* self, char*, char*, int, int) {
    auto* state = static_cast<State*>(self);
    state->connected = true;
    state->lastActivity = Clock::now();
    return CURL_PREREQFUNC_OK;
  }

  static int OnProgress(void* self, curl_off_t, curl_off_t downloaded, curl_off_t,
                        curl_off_t uploaded) {
    auto* state = static_cast<State*>(self);
    if (uploaded != state->lastUpload || downloaded != state->lastDownload) {
      state->lastActivity = Clock::now();
      state->lastUpload = uploaded;
      state->lastDownload = downloaded;
    }
    if (static_cast<std::size_t>(uploaded) >= state->request.body.size())
      state->bodySent = true;
    return 0;
  }

  long IdleLimitMs() const {
    if (!bodySent && !request.body.empty()) {
      return request.sendTimeoutMs > 0 ? request.sendTimeoutMs : kDefaultSendTimeoutMs;
    }
    return request.receiveTimeoutMs > 0 ? request.receiveTimeoutMs : kDefaultReceiveTimeoutMs;
  }

  bool Configure();
  bool ConfigureHop(bool withBody);
  bool StartHop();
  void Pump(bool (*ready)(const State&));
  void TakeFinished();
  bool NextHop();
};

bool HttpTransfer::State::Configure() {
  const HttpRequest& r = request;
  // A space would split the request line as surely as CR LF would end it.
  if (!IsHttpUrl(r.url) || HasControlByte(r.url) || r.url.find(' ') != std::string::npos ||
      HasControlByte(r.method) || HasControlByte(r.userAgent) || HasControlByte(r.proxy) ||
      std::any_of(r.headerLines.begin(), r.headerLines.end(),
                  [](const std::string& line) { return HasControlByte(line); })) {
    return false;
  }
  if (!r.proxy.empty() && r.proxy.find("://") != std::string::npos &&
      !StartsWithNoCase(r.proxy, "http://")) {
    return false;
  }
  firstOrigin = OriginOf(SplitUrl(r.url).base);
  if (!firstOrigin)
    return false;

  multi = curl_multi_init();
  easy = curl_easy_init();
  if (!multi || !easy)
    return false;
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);  // hops are ours: see NextHop
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
  // Larger reads mean fewer trips through the multi loop for a big body.
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, static_cast<long>(kBodyBufferBound / 2));
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
  trust = ApplyExtraTrust(easy);

  long connectMs = (r.connectTimeoutMs > 0 ? r.connectTimeoutMs : kDefaultConnectTimeoutMs) +
                   std::max(r.resolveTimeoutMs, 0L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connectMs);

  // An empty proxy and no-proxy list keep the environment's proxy settings out.
  std::string proxy = r.proxy;
  if (!proxy.empty() && proxy.find("://") == std::string::npos)
    proxy = "http://" + proxy;
  curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
  curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
  if (r.proxyCredentials) {
    curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, r.proxyCredentials->user.c_str());
    curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, r.proxyCredentials->password.c_str());
  }
  if (!r.userAgent.empty())
    curl_easy_setopt(easy, CURLOPT_USERAGENT, r.userAgent.c_str());

  if (r.cookies == CookieMode::ProcessStore) {
    curl_easy_setopt(easy, CURLOPT_SHARE, ProcessCookieShare());
  }
  if (r.cookies != CookieMode::None)
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");

  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, OnConnected);
  curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  url = r.url;
  return true;
}

// Sets what may change from one hop to the next: URL, method, body, and what
// only the first origin may see.
bool HttpTransfer::State::ConfigureHop(bool withBody) {
  const HttpRequest& r = request;
  // libcurl would re-encode a path (and drop what it cannot parse): it gets
  // the authority only, and the request line carries the target as given.
  UrlSplit split = SplitUrl(url);
  curl_easy_setopt(easy, CURLOPT_URL, split.base.c_str());
  requestTarget = split.target;
  if (!r.proxy.empty() && StartsWithNoCase(url, "http://")) {
    requestTarget = split.base.substr(0, split.base.size() - 1) + split.target;  // absolute form
  }
  curl_easy_setopt(easy, CURLOPT_REQUEST_TARGET, requestTarget.c_str());
  std::optional<Origin> origin = OriginOf(split.base);
  sameOrigin = origin && *origin == *firstOrigin;

  std::string method = r.method.empty() ? "GET" : r.method;
  bool head = method == "HEAD";
  withBody = withBody && !head &&
             (!r.body.empty() || method == "POST" || method == "PUT" || method == "PATCH");
  curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);  // resets the body of an earlier hop
  if (head) {
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
  } else if (withBody) {
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, r.body.data());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(r.body.size()));
  }
  curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, head ? nullptr : method.c_str());

  curl_slist_free_all(headerList);
  headerList = nullptr;
  std::vector<std::string> lines;
  for (const std::string& line : r.headerLines) {
    std::string_view name = HeaderName(line);
    bool secret = StartsWithNoCase(name, "authorization") || StartsWithNoCase(name, "cookie");
    bool aboutBody =
        StartsWithNoCase(name, "content-type") || StartsWithNoCase(name, "content-length");
    if ((secret && name.size() >= 6 && !sameOrigin) || (aboutBody && !withBody))
      continue;
    lines.push_back(line);
  }
  std::vector<std::string> own = lines;
  // libcurl drops a header given as "Name:" with no value; "Name;" sends it empty.
  for (std::string& line : own) {
    std::size_t colon = line.find(':');
    if (colon != std::string::npos &&
        line.find_first_not_of(" \t", colon + 1) == std::string::npos) {
      line = line.substr(0, colon) + ";";
    }
  }
  // Headers libcurl would add on its own are sent only when given.
  if (!HasHeader(lines, "Accept"))
    own.push_back("Accept:");
  if (!HasHeader(lines, "Expect"))
    own.push_back("Expect:");
  if (!HasHeader(lines, "Content-Type"))
    own.push_back("Content-Type:");
  for (const std::string& line : own) headerList = curl_slist_append(headerList, line.c_str());
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList);

  if (r.serverCredentials && sameOrigin) {
    curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(easy, CURLOPT_USERNAME, r.serverCredentials->user.c_str());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, r.serverCredentials->password.c_str());
  } else {
    curl_easy_setopt(easy, CURLOPT_USERNAME, nullptr);
    curl_easy_setopt(easy, CURLOPT_PASSWORD, nullptr);
  }
  return true;
}

bool HttpTransfer::State::StartHop() {
  connected = false;
  pendingBlock.clear();
  connectBlock.clear();
  headerBlock.clear();
  status = 0;
  headersDone = false;
  transferDone = false;
  result = CURLE_OK;
  buffer.clear();
  readPos = 0;
  paused = false;
  lastUpload = lastDownload = 0;
  bodySent = false;
  lastActivity = Clock::now();
  if (curl_multi_add_handle(multi, easy) != CURLM_OK)
    return false;
  attached = true;
  return true;
}

void HttpTransfer::State::TakeFinished() {
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
    if (message->msg != CURLMSG_DONE || message->easy_handle != easy)
      continue;
    result = message->data.result;
    Detach();
    transferDone = true;
    if (result == CURLE_OK) {
      bodyState = BodyState::Complete;
      continue;
    }
    long connectCode = 0;
    curl_easy_getinfo(easy, CURLINFO_HTTP_CONNECTCODE, &connectCode);
    if (!headersDone && connectCode >= 300 && !connectBlock.empty()) {
      // The proxy refused the tunnel (407 and the like): its answer is the response.
      headerBlock = connectBlock;
      status = static_cast<int>(connectCode);
      headersDone = true;
      bodyState = BodyState::Complete;
      continue;
    }
    Fail(ErrorOf(result));
  }
}

// Drives the exchange on this thread until ready() holds or it ends. Only time
// spent waiting here counts as idle, so a reader that pauses is not punished.
void HttpTransfer::State::Pump(bool (*ready)(const State&)) {
  Clock::time_point waitStart = Clock::now();
  while (!transferDone && !ready(*this)) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) {
      Fail(HttpError::Other);
      return;
    }
    TakeFinished();
    if (transferDone || ready(*this))
      return;
    int events = 0;
    if (connected) {
      Clock::time_point since = std::max(lastActivity, waitStart);
      auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since);
      if (idle.count() >= IdleLimitMs()) {
        Fail(HttpError::Timeout);
        return;
      }
      curl_multi_poll(multi, nullptr, 0,
                      static_cast<int>(std::min(IdleLimitMs() - idle.count(), 1000L)), &events);
    } else {
      curl_multi_poll(multi, nullptr, 0, 1000, &events);
    }
    // Any byte on the socket counts, also part of a header line still being
    // assembled, as with a platform whose time-out applies to each receive.
    if (events > 0)
      lastActivity = Clock::now();
  }
}

// Follows the final response's Location when asked to; false when the hop
// cannot be taken (the failure is recorded).
bool HttpTransfer::State::NextHop() {
  std::string location = HeaderValue(headerBlock, "Location");
  std::string target = ResolveLocation(url, location);
  if (target.empty() || !IsHttpUrl(target) || HasControlByte(target) ||
      target.find(' ') != std::string::npos) {
    Fail(HttpError::RedirectFailed);
    return false;
  }
  if (StartsWithNoCase(url, "https://") && StartsWithNoCase(target, "http://") &&
      !request.allowHttpsToHttp) {
    Fail(HttpError::RedirectFailed);
    return false;
  }
  // As browsers do: 303 turns into GET, and so does a POST answered by 301 or 302.
  bool dropBody = status == 303 || ((status == 301 || status == 302) && request.method == "POST");
  if (dropBody) {
    if (request.method != "HEAD")
      request.method = "GET";
    request.body.clear();
  }
  Detach();
  url = target;
  return ConfigureHop(!dropBody) && StartHop();
}

HttpTransfer::HttpTransfer() : state_(std::make_unique<State>()) {
  EnsureCurlReady();
}

HttpTransfer::~HttpTransfer() = default;

bool HttpTransfer::Send(const HttpRequest& request) {
  State& s = *state_;
  if (s.sent)
    return false;
  s.sent = true;
  s.request = request;
  if (!s.Configure() || !s.ConfigureHop(true)) {
    s.Fail(HttpError::InvalidRequest);
    return false;
  }
  if (!s.StartHop()) {
    s.Fail(HttpError::Other);
    return false;
  }
  for (int hops = 0;; ++hops) {
    s.Pump([](const State& state) { return state.headersDone; });
    if (!s.headersDone) {
      if (s.error == HttpError::None)
        s.Fail(HttpError::ReceiveFailed);
      return false;
    }
    if (!s.transferDone)
      s.bodyState = BodyState::Streaming;
    bool redirect = s.request.followRedirects && IsFollowedRedirect(s.status) &&
                    !HeaderValue(s.headerBlock, "Location").empty();
    if (!redirect)
      return true;
    if (hops >= s.request.maxRedirects) {
      s.Fail(HttpError::RedirectFailed);
      s.headerBlock.clear();
      s.status = 0;
      return false;
    }
    if (!s.NextHop()) {
      s.headerBlock.clear();
      s.status = 0;
      return false;
    }
  }
}

const std::string& HttpTransfer::HeaderBlock() const {
  return state_->headerBlock;
}

int HttpTransfer::StatusCode() const {
  return state_->status;
}

const std::string& HttpTransfer::Url() const {
  return state_->url;
}

std::size_t HttpTransfer::Available() {
  State& s = *state_;
  if (s.Buffered() == 0 && s.headersDone && !s.transferDone) {
    if (s.paused) {
      s.paused = false;
      curl_easy_pause(s.easy, CURLPAUSE_CONT);
    }
    s.Pump([](const State& state) { return state.Buffered() > 0; });
  }
  return s.Buffered();
}

std::size_t HttpTransfer::Read(void* buffer, std::size_t size) {
  State& s = *state_;
  std::size_t count = std::min(size, Available());
  std::memcpy(buffer, s.buffer.data() + s.readPos, count);
  s.readPos += count;
  if (s.paused && s.Buffered() <= kBodyBufferBound / 2) {
    s.paused = false;
    curl_easy_pause(s.easy, CURLPAUSE_CONT);
  }
  return count;
}

BodyState HttpTransfer::BodyStatus() const {
  return state_->bodyState;
}

HttpError HttpTransfer::Error() const {
  return state_->error;
}
