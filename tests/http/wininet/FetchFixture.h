// What the WinInetFetch tests share: a clean process cookie store per test,
// and the text forms of what a server received.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/WinInetFetch.h"
#include "platform/net/HttpTransfer.h"
#include "platform/wininet/WinInet.h"
#include "support/TestServer.h"

inline const TextValue kDefaultAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
inline const TextValue kBlankHeaders = TextValue(5000, ' ');

class WinInetFetchTest : public testing::Test {
 protected:
  void SetUp() override {
    ClearProcessCookies();
    TrustTestCa();
  }
  void TearDown() override { SetInternetDefaultTimeouts(0, 0); }
};

// The position of each line among the request's header lines (-1: missing).
inline std::vector<int> LinePositions(const RecordedRequest& request,
                                      const std::vector<std::string>& lines) {
  std::vector<int> positions;
  for (const std::string& line : lines) {
    int found = -1;
    for (std::size_t i = 0; i < request.headerLines.size(); ++i) {
      if (request.headerLines[i] == line)
        found = static_cast<int>(i);
    }
    positions.push_back(found);
  }
  return positions;
}
