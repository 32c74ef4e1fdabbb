// One whole exchange through the transport, for the transport's tests.
#pragma once

#include <string>

#include "platform/net/HttpTransfer.h"

struct Outcome {
  bool sent = false;
  int status = 0;
  std::string headerBlock;
  std::string url;
  std::string body;
  BodyState bodyState = BodyState::Failed;
  HttpError error = HttpError::None;
};

// Sends the request and reads the body 1024 bytes at a time, as the stand-ins do.
inline Outcome FetchAll(const HttpRequest& request) {
  HttpTransfer transfer;
  Outcome outcome;
  outcome.sent = transfer.Send(request);
  outcome.status = transfer.StatusCode();
  outcome.headerBlock = transfer.HeaderBlock();
  outcome.url = transfer.Url();
  char chunk[1024];
  while (std::size_t count = transfer.Read(chunk, sizeof chunk)) outcome.body.append(chunk, count);
  outcome.bodyState = transfer.BodyStatus();
  outcome.error = transfer.Error();
  return outcome;
}

// A request for url with a receive time-out short enough for tests.
inline HttpRequest TestRequest(std::string url, std::string method = "GET", std::string body = "") {
  HttpRequest request;
  request.url = std::move(url);
  request.method = std::move(method);
  request.body = std::move(body);
  request.receiveTimeoutMs = 5000;
  return request;
}
