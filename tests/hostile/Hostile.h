// Shared by the tests against peers that misbehave on purpose: the process's
// memory figures, a stopwatch and GBK literals.
#pragma once

#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>

#include "http/WinHttpFetch.h"
#include "http/WinInetFetch.h"
#include "platform/codepage/CodePage.h"
#include "platform/wininet/WinInet.h"
#include "text/TextTypes.h"

inline TextValue Gbk(std::string_view utf8) {
  return GbkFromUtf8(utf8);
}

// A line of /proc/self/status ("VmRSS", "VmHWM") in bytes; 0 when absent.
inline std::int64_t StatusBytes(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key + ":", 0) == 0)
      return std::stoll(line.substr(key.size() + 1)) * 1024;
  }
  return 0;
}

// Resets the peak (VmHWM) to the current resident size, so that a case's peak
// is its own; returns the resident size at that moment.
inline std::int64_t StartMemoryWatch() {
  std::ofstream("/proc/self/clear_refs") << "5";
  return StatusBytes("VmRSS");
}

// How far the peak rose above `base` since StartMemoryWatch().
inline std::int64_t PeakGrowth(std::int64_t base) {
  return StatusBytes("VmHWM") - base;
}

inline constexpr std::int64_t kMiB = std::int64_t{1} << 20;
// Memory an allocator may hold beyond what the code keeps: AddressSanitizer
// keeps freed blocks resident in its quarantine (256 MiB by default).
#if defined(__SANITIZE_ADDRESS__)
inline constexpr std::int64_t kAllocatorSlack = 320 * kMiB;
#else
inline constexpr std::int64_t kAllocatorSlack = 64 * kMiB;
#endif

class Stopwatch {
 public:
  double Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// What a caller of either client got back, and how long the call took.
struct Fetched {
  std::string body;   // WinHttpFetch's result text, or WinInetFetch's bytes
  TextValue status;   // WinHttpFetch only
  TextValue headers;  // the response header block
  double seconds = 0;
};

// Both clients wait at most this long for a peer that stays quiet.
inline constexpr int kIdleSeconds = 2;

inline Fetched ViaWinHttp(const std::string& url, WinHttpFetchParams params = {}) {
  Fetched got;
  if (params.timeoutSeconds == 0)
    params.timeoutSeconds = kIdleSeconds;
  params.status = &got.status;
  params.responseHeaders = &got.headers;
  Stopwatch watch;
  got.body = WinHttpFetch(url, params);
  got.seconds = watch.Seconds();
  return got;
}

// WinINet has no time-out parameter: its defaults are lowered for the call.
inline Fetched ViaWinInet(const std::string& url, WinInetFetchParams params = {}) {
  Fetched got;
  params.responseHeaders = &got.headers;
  SetInternetDefaultTimeouts(kIdleSeconds * 1000, kIdleSeconds * 1000);
  Stopwatch watch;
  ByteSet body = WinInetFetch(url, params);
  got.seconds = watch.Seconds();
  SetInternetDefaultTimeouts(0, 0);
  got.body.assign(reinterpret_cast<const char*>(body.data()), body.size());
  return got;
}
