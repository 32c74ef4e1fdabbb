// Small helpers shared by the fuzz targets: a check that stops the run, and
// the split of one input into texts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// Ends the run so the fuzzer keeps the input; a plain abort also fails the
// corpus replay.
// The default arguments name the caller's line (a builtin of gcc and clang).
inline void Check(bool condition, const char* file = __builtin_FILE(),
                  int line = __builtin_LINE()) {
  if (condition)
    return;
  std::fprintf(stderr, "check failed at %s:%d\n", file, line);
  std::abort();
}

// The input split at every `separator` byte into at least `minimum` texts.
// NUL bytes are dropped: a text never holds one.
inline std::vector<std::string> SplitInput(const std::uint8_t* data, std::size_t size,
                                           std::uint8_t separator, std::size_t minimum) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == separator) {
      parts.emplace_back();
    } else if (data[i] != 0) {
      parts.back().push_back(static_cast<char>(data[i]));
    }
  }
  if (parts.size() < minimum)
    parts.resize(minimum);
  return parts;
}

inline bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}
