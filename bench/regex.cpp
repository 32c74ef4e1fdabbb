// RegexObject with the workflow's context pattern over a trace answer, every
// group then read, against PCRE2 called directly on the same UTF-16 text
// with the same options. Prints one Markdown section.
#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/codepage/CodePage.h"
#include "script/RegexObject.h"

#include "Timing.h"

namespace {

const char kContextPattern[] = "context\":\"(.*?)\"},";

// A trace answer of `events` records, as the workflow searches it.
TextValue Answer(int events) {
  const TextValue place = GbkFromUtf8("【深圳市】快件已到达深圳转运中心，正在发往下一站，联系电话");
  TextValue text = "jQuery({\"message\":\"ok\",\"status\":\"200\",\"data\":[";
  for (int i = 0; i < events; ++i) {
    char time[64];
    std::snprintf(time, sizeof time, "2024-%02d-%02d %02d:%02d:00", 1 + i % 12, 1 + i % 28, i % 24,
                  i % 60);
    text += "{\"time\":\"";
    text += time;
    text += "\",\"ftime\":\"";
    text += time;
    text += "\",\"context\":\"" + place + std::to_string(i) + "\"},";
  }
  text += "\"state\":\"3\"})";
  return text;
}

// Every group 1 of the pattern over `subject`, read as UTF-16 copies.
std::size_t Pcre2Direct(const std::u16string& pattern, const std::u16string& subject) {
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code =
      pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                    PCRE2_UTF | PCRE2_CASELESS | PCRE2_MULTILINE, &error, &offset, nullptr);
  pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
  pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
  std::vector<std::u16string> groups;
  PCRE2_SIZE start = 0;
  std::uint32_t options = 0;  // the text is checked as UTF-16 once, on the first call
  while (pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), start,
                     options, data, nullptr) > 0) {
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
    groups.push_back(subject.substr(ovector[2], ovector[3] - ovector[2]));
    start = ovector[1];
    options = PCRE2_NO_UTF_CHECK;
  }
  pcre2_match_data_free(data);
  pcre2_code_free(code);
  return groups.size();
}

}  // namespace

int main() {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::printf("## Regular-expression object\n\n");
  std::printf(
      "RegexObject::Create with the context pattern over a GBK trace answer, then\n"
      "GetSubMatch(i, 1) for every match, against PCRE2 (JIT, same options) matching the\n"
      "same text already in UTF-16 and copying each group. Ours includes the GBK to UTF-16\n"
      "conversion of the subject and of every group back. Times in ms, median of runs.\n\n");
  std::printf("| events | answer size | Vantrel | PCRE2 direct | ratio | Vantrel per event |\n");
  std::printf("|---|---|---|---|---|---|\n");
  for (int events : {1000, 10000, 100000}) {
    const TextValue answer = Answer(events);
    const std::u16string wide = GbkToWide(answer);
    const std::u16string pattern = GbkToWide(kContextPattern);
    const int runs = events >= 100000 ? 5 : 9;
    std::size_t ourCount = 0, peerCount = 0;
    double ours = MedianMs(runs, [&] {
      RegexObject regex;
      regex.Create(kContextPattern, answer);
      int count = regex.MatchCount();
      std::size_t bytes = 0;
      for (int i = 1; i <= count; ++i) bytes += regex.GetSubMatch(i, 1).size();
      ourCount = bytes > 0 ? static_cast<std::size_t>(count) : 0;
    });
    double peer = MedianMs(runs, [&] { peerCount = Pcre2Direct(pattern, wide); });
    if (ourCount != peerCount || ourCount != static_cast<std::size_t>(events)) {
      std::printf("MISMATCH: %zu vs %zu\n", ourCount, peerCount);
    }
    std::printf("| %d | %.1f MB | %.1f | %.1f | %.2fx | %.2f us |\n", events,
                answer.size() / 1048576.0, ours, peer, ours / peer, ours * 1000.0 / events);
  }
  return 0;
}
