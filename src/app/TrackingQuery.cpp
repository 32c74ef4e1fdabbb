#include "app/TrackingQuery.h"

#include <optional>

#include "charset/ConvertCharset.h"
#include "http/WinHttpFetch.h"
#include "http/WinInetFetch.h"
#include "platform/codepage/CodePage.h"
#include "script/RegexObject.h"
#include "script/ScriptJson.h"
#include "text/SortTextLines.h"
#include "text/TextBetween.h"
#include "text/TextOps.h"

namespace {

constexpr ControlId kNumber = ControlId::编辑框3;
constexpr ControlId kLog = ControlId::编辑框_日志1;
constexpr ControlId kStatus = ControlId::透明标签14;
constexpr ControlId kScratch = ControlId::编辑框4;

const TextValue kCodeLeft = "[{\"comCode\":\"";
const TextValue kCodeRight = "\",\"id\":\"\"";
const TextValue kMessageLeft = "_jqjsp({\"status\":0,\"message\":\"";
const TextValue kCompanyLeft = "\"expTextName\":\"";
const TextValue kValueRight = "\",";
// The service's fixed query: its own mail number and access key, not the user's.
const TextValue kTraceQuery =
    "?mailNo=619283317807&tk=3c90e5d1&tm=1523370764629&callback=_jqjsp&_1523370764630=";
// The record that closes the event list ends in "}], ; made to end like the rest.
const TextValue kListEnd = "\"}],";
const TextValue kRecordEnd = "\"},";
const TextValue kContextPattern = "context\":\"(.*?)\"},";
const TextValue kTimePattern = "time\":\"(.*?)\"";
const TextValue kSeparator = "  ";
const TextValue kLineBreak = "\r\n";
const TextValue kMarkupOpen = "<i>";
const TextValue kMarkupClose = "<\\/i>";

const TextValue& UnrecognisedText() {
  static const TextValue text = GbkFromUtf8("无法识别单号，建议去官网查询或者暂无物流信息");
  return text;
}

const TextValue& NoTraceText() {
  static const TextValue text = GbkFromUtf8("单号错误或暂时无物流信息");
  return text;
}

}  // namespace

void RunTrackingQuery(WindowControls& window, const ServiceHosts& hosts) {
  // The objects enter COM on this thread and leave it in the order below.
  std::optional<ScriptJson> json(std::in_place);
  std::optional<RegexObject> contextMatcher(std::in_place);
  std::optional<RegexObject> timeMatcher(std::in_place);
  TextArray lines;

  window.SetText(kLog, TextValue());

  const TextValue detectionUrl =
      "http://" + hosts.detectionHost + "/autonumber/autoComNum?text=" + window.GetText(kNumber);
  const TextValue detectionAnswer = WinHttpFetch(detectionUrl);
  const TextValue code = TextBetween(detectionAnswer, kCodeLeft, kCodeRight);

  // An empty code is sent as it is: the path then begins with "//".
  const TextValue traceUrl =
      "https://" + hosts.traceHost + "/" + code + "/" + window.GetText(kNumber) + kTraceQuery;
  WinInetFetchParams traceParams;
  traceParams.method = 0;
  const ByteSet traceBody = WinInetFetch(traceUrl, traceParams);
  TextValue fromCharset = "UTF-8";
  TextValue toCharset = "GBK";
  const TextValue traceText = BytesToText(ConvertCharset(traceBody, fromCharset, toCharset));

  const TextValue message = TextBetween(traceText, kMessageLeft, kValueRight);
  window.AppendText(kLog, message);
  json->Parse(traceText);
  const TextValue company = TextBetween(traceText, kCompanyLeft, kValueRight);
  window.SetText(kStatus, company);

  window.AppendText(kScratch, traceText);
  window.SetText(kScratch, ReplaceText(window.GetText(kScratch), kListEnd, kRecordEnd));

  if (!message.empty()) {
    window.SetText(kStatus, UnrecognisedText());
  }

  contextMatcher->Create(kContextPattern, window.GetText(kScratch));
  timeMatcher->Create(kTimePattern, window.GetText(kScratch));

  const int eventCount = contextMatcher->MatchCount();
  for (int event = 1; event <= eventCount; ++event) {
    const TextValue time = timeMatcher->GetSubMatch(event, 1);
    const TextValue description = contextMatcher->GetSubMatch(event, 1);
    window.AppendText(kLog, time + kSeparator + description + kLineBreak);
    window.SetText(kLog, ReplaceText(window.GetText(kLog), kMarkupOpen, TextValue()));
    window.SetText(kLog, ReplaceText(window.GetText(kLog), kMarkupClose, TextValue()));
    // Brings the top of the log back into view.
    window.SetSelectionStart(kLog, 1);
  }

  lines = SplitText(window.GetText(kLog), kLineBreak);
  SortTextLines(lines, true);
  window.SetText(kLog, JoinLines(lines, kLineBreak));

  if (window.GetText(kStatus).empty()) {
    window.AppendText(kLog, NoTraceText());
  }

  json.reset();
  contextMatcher.reset();
  timeMatcher.reset();
}
