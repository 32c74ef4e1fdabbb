#include "app/vantrel-track/TrackCommand.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string_view>

#include "app/MemoryWindow.h"
#include "app/TrackingQuery.h"
#include "app/demo/DemoService.h"
#include "app/demo/TrustPem.h"
#include "platform/codepage/CodePage.h"
#include "text/TextOps.h"

namespace {

constexpr std::string_view kEmptyNumber = "请输入快递单号";
constexpr std::string_view kUnrecognised = "无法识别单号，建议去官网查询或者暂无物流信息";

std::string JsonString(std::string_view utf8) {
  std::string quoted = "\"";
  for (const char c : utf8) {
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\t':
        quoted += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          quoted += escaped;
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}

// A flag's value, from "--flag VALUE" or "--flag=VALUE".
bool TakeValue(std::string_view flag, std::string_view argument, int argc, const char* const* argv,
               int& index, std::string& value, std::string& error) {
  if (argument.size() > flag.size() && argument[flag.size()] == '=') {
    value = argument.substr(flag.size() + 1);
  } else if (index + 1 < argc) {
    value = argv[++index];
  } else {
    value.clear();
  }
  if (value.empty()) {
    error = "vantrel-track: " + std::string(flag) + " needs a value";
    return false;
  }
  return true;
}

bool IsFlag(std::string_view argument, std::string_view flag) {
  return argument == flag || (argument.starts_with(flag) && argument[flag.size()] == '=');
}

std::string ReadFile(const std::string& path, bool& ok) {
  std::ifstream file(path, std::ios::binary);
  ok = static_cast<bool>(file);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

const char* TrackUsage() {
  return "usage: vantrel-track [--detection-host HOST[:PORT]] [--trace-host HOST[:PORT]] "
         "[--ca-file PEM] [--demo] [--json] NUMBER";
}

bool ParseTrackArguments(int argc, const char* const* argv, TrackOptions& options,
                         std::string& error) {
  bool haveNumber = false;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
      if (argument == "--") {
        optionsEnded = true;
      } else if (argument == "--demo") {
        options.demo = true;
      } else if (argument == "--json") {
        options.json = true;
      } else if (IsFlag(argument, "--detection-host")) {
        if (!TakeValue("--detection-host", argument, argc, argv, i, options.detectionHost, error)) {
          return false;
        }
      } else if (IsFlag(argument, "--trace-host")) {
        if (!TakeValue("--trace-host", argument, argc, argv, i, options.traceHost, error)) {
          return false;
        }
      } else if (IsFlag(argument, "--ca-file")) {
        if (!TakeValue("--ca-file", argument, argc, argv, i, options.caFile, error)) {
          return false;
        }
      } else {
        error = "vantrel-track: unknown option " + std::string(argument);
        return false;
      }
      continue;
    }
    if (haveNumber) {
      error = "vantrel-track: one NUMBER only";
      return false;
    }
    options.number = argument;
    haveNumber = true;
  }
  if (options.number.empty()) {
    error = kEmptyNumber;
    return false;
  }
  return true;
}

std::string FormatTrackJson(const TrackResult& result) {
  return "{\"number\": " + JsonString(Utf8FromGbk(result.number)) +
         ", \"status\": " + JsonString(Utf8FromGbk(result.status)) +
         ", \"log\": " + JsonString(Utf8FromGbk(result.log)) +
         ", \"scratch\": " + JsonString(Utf8FromGbk(result.scratch)) + "}\n";
}

std::string FormatTrackText(const TrackResult& result) {
  std::string text = Utf8FromGbk(result.status) + "\n";
  std::string log = Utf8FromGbk(ReplaceText(result.log, "\r\n", "\n"));
  if (!log.empty() && !log.ends_with('\n')) {
    log += '\n';
  }
  return text + log;
}

int TrackExitCode(const TextValue& status) {
  static const TextValue kUnrecognisedText = GbkFromUtf8(kUnrecognised);
  return status.empty() || status == kUnrecognisedText ? 1 : 0;
}

int RunTrackCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  TrackOptions options;
  std::string error;
  if (!ParseTrackArguments(argc, argv, options, error)) {
    err << error << "\n" << TrackUsage() << "\n";
    return 2;
  }
  ServiceHosts hosts{VANTREL_DETECTION_HOST, VANTREL_TRACE_HOST};
  DemoService demo;
  std::string trusted;
  if (options.demo) {
    if (!demo.Start()) {
      err << "vantrel-track: the demo service could not start\n";
      return 1;
    }
    hosts = {demo.DetectionHost(), demo.TraceHost()};
    trusted = demo.CaPem();
  }
  if (!options.caFile.empty()) {
    bool read = false;
    trusted += ReadFile(options.caFile, read);
    if (!read) {
      err << "vantrel-track: cannot read " << options.caFile << "\n" << TrackUsage() << "\n";
      return 2;
    }
  }
  if (!trusted.empty() && !TrustPemText(trusted)) {
    err << "vantrel-track: no certificate in " << options.caFile << "\n" << TrackUsage() << "\n";
    return 2;
  }
  if (!options.detectionHost.empty()) {
    hosts.detectionHost = options.detectionHost;
  }
  if (!options.traceHost.empty()) {
    hosts.traceHost = options.traceHost;
  }

  MemoryWindow window;
  window.SetText(ControlId::编辑框3, GbkFromUtf8(options.number));
  RunTrackingQuery(window, hosts);
  const TrackResult result{
      window.GetText(ControlId::编辑框3), window.GetText(ControlId::透明标签14),
      window.GetText(ControlId::编辑框_日志1), window.GetText(ControlId::编辑框4)};
  out << (options.json ? FormatTrackJson(result) : FormatTrackText(result));
  out.flush();
  return TrackExitCode(result.status);
}
