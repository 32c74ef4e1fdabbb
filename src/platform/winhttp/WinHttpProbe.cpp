#include "platform/winhttp/WinHttpProbe.h"

#include <map>

namespace {

struct ProbeState {
  std::map<WinHttpOperation, int> armed;  // calls to let through before failing
  std::vector<WinHttpCall>* sink = nullptr;
};

ProbeState& State() {
  thread_local ProbeState state;
  return state;
}

}  // namespace

void WinHttpFailCall(WinHttpOperation operation, int skip) {
  State().armed[operation] = skip < 0 ? 0 : skip;
}

void WinHttpClearFaults() {
  State().armed.clear();
}

void WinHttpRecordCalls(std::vector<WinHttpCall>* sink) {
  State().sink = sink;
}

bool WinHttpCallMustFail(WinHttpOperation operation, const std::string& arguments) {
  ProbeState& state = State();
  if (state.sink != nullptr)
    state.sink->push_back({operation, arguments});
  auto armed = state.armed.find(operation);
  if (armed == state.armed.end())
    return false;
  if (armed->second > 0) {
    --armed->second;
    return false;
  }
  state.armed.erase(armed);
  return true;
}
