// The response phase of WinHttpFetch: a loopback server answers with the
// input's bytes (status line, headers, body, or anything else) and closes.
#include <algorithm>
#include <cctype>
#include <cstdint>

#include "AnswerServer.h"
#include "FuzzSupport.h"
#include "http/WinHttpFetch.h"
#include "text/TextOps.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view answer(reinterpret_cast<const char*>(data), size);
  AnswerServer& server = AnswerServer::Get();
  server.SetAnswer(answer);

  // Sentinels tell the out-parameters a failure leaves alone.
  const TextValue untouched = "untouched";
  TextValue cookies = "a=1; sid=old";
  TextValue returnedCookies = untouched;
  TextValue responseHeaders = untouched;
  TextValue location = untouched;
  TextValue status;
  ByteSet bytes;
  WinHttpFetchParams params;
  params.cookies = &cookies;
  params.returnedCookies = &returnedCookies;
  params.responseHeaders = &responseHeaders;
  params.location = &location;
  params.status = &status;
  params.responseBytes = &bytes;
  params.noRedirect = !OnlyLocalRedirects(answer);
  params.timeoutSeconds = 2;
  const TextValue text = WinHttpFetch(server.Url("/track?n=1"), params);

  Check(text.find('\0') == TextValue::npos);
  if (responseHeaders == untouched) {
    // Failed before the headers were read: nothing else was written.
    Check(text.empty());
    Check(returnedCookies == untouched && location == untouched && bytes.empty());
    Check(cookies == "a=1; sid=old");
    return 0;
  }
  // A well-formed status line always gives a status, whatever its line end.
  const bool statusLine = responseHeaders.size() > 12 &&
                          LeftText(responseHeaders, 9) == "HTTP/1.1 " &&
                          std::isdigit(static_cast<unsigned char>(responseHeaders[9]));
  Check(!statusLine || !status.empty());
  // Both cookie variables hold the merged text.
  Check(cookies == returnedCookies);
  // Without a charset declaration the text is the body up to its first NUL.
  const TextValue body(bytes.begin(), bytes.end());
  if (!ContainsText(body, "charset", true))
    Check(text == body.substr(0, body.find('\0')));
  return 0;
}
