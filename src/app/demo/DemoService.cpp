#include "app/demo/DemoService.h"

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "app/demo/DemoCertificates.h"

namespace {

constexpr const char* kLoopback = "127.0.0.1";
constexpr std::string_view kDetectionPrefix = "/autonumber/autoComNum?text=";

// What the server library files under headers but no client sent.
bool IsConnectionNote(const std::string& name) {
  return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
         name == "LOCAL_PORT";
}

}  // namespace

struct DemoService::Impl {
  DemoCertificates certificates;
  std::unique_ptr<httplib::Server> detection;
  std::unique_ptr<httplib::SSLServer> trace;
  std::thread detectionThread;
  std::thread traceThread;
  int detectionPort = 0;
  int tracePort = 0;

  mutable std::mutex mutex;
  std::condition_variable stopping;
  bool stopped = false;
  std::map<std::string, DemoCase> cases = DemoCatalogue();
  std::vector<ReceivedRequest> received;

  void Record(bool isTrace, const httplib::Request& request) {
    ReceivedRequest entry;
    entry.trace = isTrace;
    entry.requestLine = request.method + " " + request.target + " " + request.version;
    for (const auto& [name, value] : request.headers) {
      if (!IsConnectionNote(name)) {
        entry.headers.emplace_back(name, value);
      }
    }
    std::lock_guard lock(mutex);
    received.push_back(std::move(entry));
  }

  bool FindCase(const std::string& number, DemoCase& out) {
    {
      std::lock_guard lock(mutex);
      const auto found = cases.find(number);
      if (found != cases.end()) {
        out = found->second;
        return true;
      }
    }
    return GeneratedDemoCase(number, out);
  }

  void Detect(const httplib::Request& request, httplib::Response& response) {
    Record(false, request);
    std::string_view target(request.target);
    std::string number;
    if (target.starts_with(kDetectionPrefix)) {
      number = target.substr(kDetectionPrefix.size());
    }
    DemoCase demoCase;
    const std::string answer =
        FindCase(number, demoCase) ? demoCase.detectionAnswer : DemoDetectionAnswer("");
    response.set_content(answer, "application/json;charset=UTF-8");
  }

  // The target is "/" CODE "/" NUMBER "?" query; CODE may be empty.
  void Trace(const httplib::Request& request, httplib::Response& response) {
    Record(true, request);
    std::string_view path(request.target);
    path = path.substr(0, path.find('?'));
    std::string code;
    std::string number;
    if (path.starts_with("/")) {
      path.remove_prefix(1);
      const std::size_t slash = path.find('/');
      if (slash != std::string_view::npos) {
        code = path.substr(0, slash);
        number = path.substr(slash + 1);
      }
    }
    DemoCase demoCase;
    std::string answer = DemoUnknownTraceAnswer(code, number);
    if (FindCase(number, demoCase) && demoCase.code == code) {
      answer = demoCase.traceAnswer;
      if (demoCase.delayMilliseconds > 0) {
        std::unique_lock lock(mutex);
        stopping.wait_for(lock, std::chrono::milliseconds(demoCase.delayMilliseconds),
                          [this] { return stopped; });
      }
    }
    response.set_content(answer, "application/javascript;charset=UTF-8");
  }
};

DemoService::DemoService() : impl_(std::make_unique<Impl>()) {}

DemoService::~DemoService() {
  Stop();
}

bool DemoService::Start() {
  Impl& d = *impl_;
  if (d.detection) {
    return true;
  }
  if (!MakeDemoCertificates(d.certificates)) {
    return false;
  }
  auto detection = std::make_unique<httplib::Server>();
  auto trace = std::make_unique<httplib::SSLServer>(d.certificates.serverCertificate.get(),
                                                    d.certificates.serverKey.get());
  if (!trace->is_valid()) {
    return false;
  }
  detection->Get("/autonumber/autoComNum",
                 [&d](const httplib::Request& request, httplib::Response& response) {
                   d.Detect(request, response);
                 });
  trace->Get(".*", [&d](const httplib::Request& request, httplib::Response& response) {
    d.Trace(request, response);
  });
  const int detectionPort = detection->bind_to_any_port(kLoopback);
  const int tracePort = trace->bind_to_any_port(kLoopback);
  if (detectionPort <= 0 || tracePort <= 0) {
    return false;
  }
  {
    std::lock_guard lock(d.mutex);
    d.stopped = false;
  }
  d.detectionPort = detectionPort;
  d.tracePort = tracePort;
  d.detection = std::move(detection);
  d.trace = std::move(trace);
  d.detectionThread = std::thread([&d] { d.detection->listen_after_bind(); });
  d.traceThread = std::thread([&d] { d.trace->listen_after_bind(); });
  // Stop() only reaches a server that has begun to listen.
  for (int i = 0; i < 5000 && !(d.detection->is_running() && d.trace->is_running()); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void DemoService::Stop() {
  Impl& d = *impl_;
  if (!d.detection) {
    return;
  }
  {
    std::lock_guard lock(d.mutex);
    d.stopped = true;
  }
  d.stopping.notify_all();
  d.detection->stop();
  d.trace->stop();
  d.detectionThread.join();
  d.traceThread.join();
  d.detection.reset();
  d.trace.reset();
}

std::string DemoService::DetectionHost() const {
  return std::string(kLoopback) + ":" + std::to_string(impl_->detectionPort);
}

std::string DemoService::TraceHost() const {
  return std::string(kLoopback) + ":" + std::to_string(impl_->tracePort);
}

const std::string& DemoService::CaPem() const {
  return impl_->certificates.caPem;
}

void DemoService::SetCase(const std::string& number, DemoCase demoCase) {
  std::lock_guard lock(impl_->mutex);
  impl_->cases[number] = std::move(demoCase);
}

std::vector<ReceivedRequest> DemoService::Received() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->received;
}

void DemoService::ClearReceived() {
  std::lock_guard lock(impl_->mutex);
  impl_->received.clear();
}
