// The response phase of WinInetFetch: a loopback server answers with the
// input's bytes (status line, headers, body, or anything else) and closes.
#include <cstdint>

#include "AnswerServer.h"
#include "FuzzSupport.h"
#include "http/WinInetFetch.h"
#include "platform/wininet/WinInet.h"
#include "text/TextOps.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view answer(reinterpret_cast<const char*>(data), size);
  AnswerServer& server = AnswerServer::Get();
  server.SetAnswer(answer);
  // The server closes after writing; a short receive time-out only guards
  // against a transport that would wait for more.
  SetInternetDefaultTimeouts(2000, 2000);

  TextValue cookies = "a=1; sid=old";
  TextValue returnedCookies;
  TextValue headers;
  TextValue responseHeaders;
  WinInetFetchParams params;
  params.cookies = &cookies;
  params.returnedCookies = &returnedCookies;
  params.headers = &headers;
  params.responseHeaders = &responseHeaders;
  params.noRedirect = !OnlyLocalRedirects(answer);
  const ByteSet body = WinInetFetch(server.Url("/track?n=1"), params);

  // Both cookie variables hold the merged text; the body came from the input.
  Check(cookies == returnedCookies);
  Check(!responseHeaders.empty());
  Check(body.size() <= size);
  return 0;
}
