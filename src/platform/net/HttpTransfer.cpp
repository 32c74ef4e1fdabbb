#include "platform/net/HttpTransfer.h"

// Interface first; the libcurl exchange follows in the next change.
struct HttpTransfer::State {
  std::string headerBlock;
  std::string url;
  HttpError error = HttpError::Other;
};

HttpTransfer::HttpTransfer() : state_(std::make_unique<State>()) {}
HttpTransfer::~HttpTransfer() = default;
bool HttpTransfer::Send(const HttpRequest&) {
  return false;
}
const std::string& HttpTransfer::HeaderBlock() const {
  return state_->headerBlock;
}
int HttpTransfer::StatusCode() const {
  return 0;
}
const std::string& HttpTransfer::Url() const {
  return state_->url;
}
std::size_t HttpTransfer::Available() {
  return 0;
}
std::size_t HttpTransfer::Read(void*, std::size_t) {
  return 0;
}
BodyState HttpTransfer::BodyStatus() const {
  return BodyState::Failed;
}
HttpError HttpTransfer::Error() const {
  return state_->error;
}
bool SetExtraTrustedCaFile(const std::string&) {
  return false;
}
void ClearProcessCookies() {}
