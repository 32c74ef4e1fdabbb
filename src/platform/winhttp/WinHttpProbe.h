// Test hooks of the WinHTTP stand-in: make one operation fail, and see the
// arguments each operation was called with. Both act on the calling thread
// only.
#pragma once

#include <string>
#include <vector>

enum class WinHttpOperation {
  CheckPlatform,
  CrackUrl,
  Open,
  Connect,
  OpenRequest,
  SetTimeouts,
  SetCredentials,
  SetOption,
  AddRequestHeaders,
  SendRequest,
  ReceiveResponse,
  QueryDataAvailable,
  ReadData,
  QueryHeaders,
  CloseHandle,
};

// The call of `operation` that follows `skip` calls of it fails once, as the
// platform reports a failure (false or NULL), without doing its work.
void WinHttpFailCall(WinHttpOperation operation, int skip = 0);
// Drops every armed failure.
void WinHttpClearFaults();

struct WinHttpCall {
  WinHttpOperation operation;
  std::string arguments;  // UTF-8, the arguments that matter, blank-separated
};
// Appends a record of every later call to `sink`; nullptr stops recording.
void WinHttpRecordCalls(std::vector<WinHttpCall>* sink);

// For the stand-in itself: records the call and tells whether it must fail.
bool WinHttpCallMustFail(WinHttpOperation operation, const std::string& arguments = {});
