// A loopback server whose every answer is the current fuzz input, byte for
// byte, after which it closes the connection: the response phase of a client
// then sees exactly what the input says, and an exchange ends in milliseconds.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "support/TestServer.h"

class AnswerServer {
 public:
  // The process's one server, started on first use and never stopped.
  static AnswerServer& Get() {
    static AnswerServer* server = new AnswerServer();
    return *server;
  }

  void SetAnswer(std::string_view bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    answer_.assign(bytes);
  }

  std::string Url(std::string_view path) const { return server_.Url(path); }

 private:
  AnswerServer() {
    server_.SetRawHandler([this](const RecordedRequest&, ServerConnection& connection) {
      std::string answer;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        answer = answer_;
      }
      connection.Send(answer);
    });
  }

  TestServer server_;
  std::mutex mutex_;
  std::string answer_;
};

// True when every Location the answer could carry points back to the same
// server (a path beginning with one "/"), so following redirects never leaves
// loopback. Anything else the caller fetches with redirects off.
inline bool OnlyLocalRedirects(std::string_view answer) {
  constexpr std::string_view kName = "location:";
  for (std::size_t i = 0; i + kName.size() <= answer.size(); ++i) {
    bool same = true;
    for (std::size_t k = 0; k < kName.size() && same; ++k) {
      char c = answer[i + k];
      if (c >= 'A' && c <= 'Z')
        c = static_cast<char>(c - 'A' + 'a');
      same = c == kName[k];
    }
    if (!same)
      continue;
    std::size_t at = i + kName.size();
    while (at < answer.size() && (answer[at] == ' ' || answer[at] == '\t')) ++at;
    if (at + 1 >= answer.size() || answer[at] != '/' || answer[at + 1] == '/' ||
        answer[at + 1] == '\\')
      return false;
  }
  return true;
}
