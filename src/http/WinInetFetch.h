// WinInetFetch: one HTTP or HTTPS request through the WinINet stand-in,
// returning the whole response body whatever its status.
//
// The caller's variables that the request writes are passed by pointer: a
// null pointer is a parameter left out (a fresh empty variable inside the
// call). `cookies` left out (null) and given empty (pointing at "") differ:
// a given `cookies` switches the platform's own cookie store off and enables
// the merge of the answer's cookies into it. When the internet handle, the
// connection or the request cannot be opened the result is empty and nothing
// has been written into any parameter.
#pragma once

#include "text/TextTypes.h"

struct WinInetFetchParams {
  int method = 0;           // GET POST HEAD PUT OPTIONS DELETE TRACE CONNECT; outside 0..7: GET
  TextValue postData = {};  // body when not GET and `postBytes` is empty
  TextValue* cookies = nullptr;          // in/out: sent, then merged with the answer's
  TextValue* returnedCookies = nullptr;  // out: the answer's cookies joined by "; "
  TextValue* headers = nullptr;          // in/out: extra lines; the default lines are added
  TextValue* responseHeaders = nullptr;  // out: the raw header block, or 5000 blanks
  bool noRedirect = false;
  ByteSet* postBytes = nullptr;  // in/out: body bytes; filled from `postData` when empty
  TextValue proxy = {};          // "host:port"; empty: a direct connection
  bool autoMergeCookies = true;
};

ByteSet WinInetFetch(const TextValue& url, const WinInetFetchParams& params = {});

// The text after the first ":", blanks trimmed; empty when there is no ":".
TextValue HeaderValue(const TextValue& text);
