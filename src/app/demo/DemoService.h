// The demo courier service: the detection service over plain HTTP and the
// trace service over HTTPS, both inside this process on 127.0.0.1 with ports
// the OS picks. Its answers are listed in DemoAnswers.h.
//
// HTTPS uses a certificate of a throw-away authority made at Start(); a
// client trusts it only when given CaPem(). Every request is recorded with
// its request line and headers as received.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/demo/DemoAnswers.h"

struct ReceivedRequest {
  bool trace = false;  // false: the detection service
  // Method, target exactly as sent, version.
  std::string requestLine;
  std::vector<std::pair<std::string, std::string>> headers;
};

class DemoService {
 public:
  // Knows the numbers of DemoCatalogue() and the generated ones.
  DemoService();
  ~DemoService();
  DemoService(const DemoService&) = delete;
  DemoService& operator=(const DemoService&) = delete;

  // False when the certificates or a port cannot be had.
  bool Start();
  void Stop();

  // "127.0.0.1:PORT"
  std::string DetectionHost() const;
  std::string TraceHost() const;
  const std::string& CaPem() const;

  // Adds or replaces the answers for `number` (the number as it appears in
  // the request, unescaped).
  void SetCase(const std::string& number, DemoCase demoCase);
  std::vector<ReceivedRequest> Received() const;
  void ClearReceived();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
