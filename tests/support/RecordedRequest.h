// One HTTP request as a test server received it, byte for byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RecordedRequest {
  std::string raw;          // the exact bytes received: head and body
  std::string requestLine;  // as sent, without its CR LF (a "//" path stays as it is)
  std::string method;
  std::string target;  // the request target: path and query, absolute URL, or host:port
  std::string version;
  std::vector<std::string> headerLines;  // as sent, in order, with their case, without CR LF
  std::string body;                      // Content-Length bytes after the head
  bool tls = false;                      // came over TLS

  // The value of the first header line of that name (names without case),
  // blanks around it removed; nullopt when there is none.
  std::optional<std::string> Header(std::string_view name) const;
  // How many header lines carry that name.
  int HeaderCount(std::string_view name) const;
};

// Splits a complete head (up to and including the empty line) into the parts
// above; raw and body are left to the caller. False when it is not a request.
bool ParseRequestHead(std::string_view head, RecordedRequest& request);
