// vantrel-track: one tracking query without a window, on an in-memory window,
// printed in UTF-8.
//
//   vantrel-track [--detection-host HOST[:PORT]] [--trace-host HOST[:PORT]]
//                 [--ca-file PEM] [--demo] [--json] NUMBER
//
// Exit code 0 when the status line ends neither empty nor with the
// "unrecognised number" text, 1 otherwise, 2 on a usage error (an empty
// NUMBER included). With --demo the demo service runs inside the process;
// host flags given as well take precedence for their service.
#pragma once

#include <ostream>
#include <string>

#include "text/TextTypes.h"

struct TrackOptions {
  std::string detectionHost;  // empty: not given
  std::string traceHost;
  std::string caFile;
  bool demo = false;
  bool json = false;
  std::string number;  // UTF-8, as given
};

// False on a usage error, with `error` saying what was wrong.
bool ParseTrackArguments(int argc, const char* const* argv, TrackOptions& options,
                         std::string& error);
const char* TrackUsage();

// The controls' texts after a query, GBK.
struct TrackResult {
  TextValue number;
  TextValue status;
  TextValue log;
  TextValue scratch;
};

// {"number":...,"status":...,"log":...,"scratch":...} in UTF-8, one line.
std::string FormatTrackJson(const TrackResult& result);
// The status line, then the log with its line breaks as LF.
std::string FormatTrackText(const TrackResult& result);
int TrackExitCode(const TextValue& status);

// The whole command; needs an application object for the script engine.
int RunTrackCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
