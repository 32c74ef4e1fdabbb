// WinHttpFetch: one synchronous HTTP(S) exchange over the WinHTTP API,
// returning the response body as text.
//
// Only the URL is required; everything else is a field of WinHttpFetchParams
// with its default. The in/out and out parameters are pointers: null means
// "not given" (the call then writes into a scratch value of its own). For
// `cookies` that difference matters: not given switches WinHTTP's own cookie
// handling off and skips the merge, while a pointer to an empty text still
// counts as given.
//
// A failure writes a numbered message ("700 ..." to "713 ...", GBK) into
// *status, leaves the other out-parameters untouched and returns the empty
// text. A cookie text holding a control byte fails with 710 before anything
// is sent: it could otherwise start a header line of its own. A body whose first 1024 bytes declare
// a meta charset other than "gbk"/"gb2312" comes back decoded to GBK; any other body comes back as
// its bytes up to the first zero byte, whatever the status code.
//
// Call it on a thread that may process its own GUI events: it lets the GUI
// layer run between header lines and before it closes its handles.
#pragma once

#include "text/TextTypes.h"

struct WinHttpFetchParams {
  // 0 GET, 1 POST (adds a default Content-Type), 2 HEAD, 3 PUT, 4 OPTIONS,
  // 5 DELETE, 6 TRACE, 7 CONNECT; any other index sends GET.
  int method = 0;
  TextValue postData = {};               // sent as the body whatever the method
  TextValue* cookies = nullptr;          // in/out: sent as a Cookie line; merged into
  TextValue* returnedCookies = nullptr;  // out: "a=1; b=2" as the response set them
                                         // (replaced, never appended to)
  TextValue headers = {};                // extra "Name: value" lines joined by CR LF
  TextValue* responseHeaders = nullptr;  // out: the raw header block
  bool noRedirect = false;
  TextValue userName = {};  // Basic, set only when both halves are given
  TextValue password = {};
  TextValue proxy = {};  // "host:port"; empty: direct
  TextValue proxyUserName = {};
  TextValue proxyPassword = {};
  int timeoutSeconds = 0;            // 0 or less: 30 seconds
  TextValue* location = nullptr;     // out: a Location header's value, if any
  TextValue* status = nullptr;       // out: "200 OK", or the failure message
  ByteSet* responseBytes = nullptr;  // out: the raw body
  bool autoMergeCookies = true;      // with cookies given: merge the response's into it
};

TextValue WinHttpFetch(const TextValue& url, const WinHttpFetchParams& params = {});
