// RegexObject over arbitrary text: the workflow's context, time and meta
// charset patterns over the whole input, then the input's first line as a
// pattern over the rest. Every match and group is read with its position.
#include <cstdint>

#include "FuzzSupport.h"
#include "platform/codepage/CodePage.h"
#include "script/RegexObject.h"
#include "text/TextOps.h"

namespace {

// Enough matches to reach every code path; reading positions costs a pass
// over the subject per match.
constexpr int kMatchesRead = 40;

// A position, when found, points at the returned text in the subject as the
// component reads it: bytes that are no GBK character come back as "?", so
// the subject is compared after the same round trip. The text is looked for
// from the match's start, ignoring case when the search did, so a group may
// point at an earlier copy of its text inside the match.
void CheckPosition(const TextValue& seen, const TextValue& text, int position, bool ignoreCase) {
  if (position == -2)
    return;
  Check(position >= 0 && static_cast<std::size_t>(position) + text.size() <= seen.size());
  const TextValue there = seen.substr(static_cast<std::size_t>(position), text.size());
  Check(ignoreCase ? ToLowerAscii(there) == ToLowerAscii(text) : there == text);
}

void Search(const TextValue& pattern, const TextValue& subject, unsigned flags) {
  RegexObject regex;
  const bool ran = regex.Create(pattern, subject, flags & 1, flags & 2, !(flags & 4), flags & 8);
  const int matches = regex.MatchCount();
  const int groups = regex.SubMatchCount();
  if (!ran) {
    Check(matches == 0);
    return;
  }
  const TextValue seen = WideToGbk(GbkToWide(subject));
  for (int m = 0; m <= std::min(matches, kMatchesRead) + 1; ++m) {
    int position = 0;
    const TextValue text = regex.GetMatchText(m, &position);
    if (m >= 1 && m <= matches) {
      CheckPosition(seen, text, position, !(flags & 1));
    } else {
      Check(text.empty());
    }
    for (int g = 0; g <= groups + 1; ++g) {
      const TextValue group = regex.GetSubMatch(m, g, &position);
      if (m >= 1 && m <= matches && g >= 1 && g <= groups) {
        CheckPosition(seen, group, position, !(flags & 1));
      } else {
        Check(group.empty());
      }
    }
  }
  regex.Replace("[$1]");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TextValue input = SplitInput(data, size, 0, 1)[0];
  const unsigned flags = static_cast<unsigned>(size);
  static const TextValue kContext = "context\":\"(.*?)\"},";
  static const TextValue kContextMarked = ReplaceText(kContext, "\"", kQuoteMarker);
  static const TextValue kTime = "time\":\"(.*?)\"";
  static const TextValue kMeta = "<meta.+?charset=[^\\w]?([-\\w]+)";
  Search(kContext, input, 2 | 4);
  Search(kContextMarked, input, 8);
  Search(kTime, input, 0);
  Search(kMeta, input.substr(0, 1024), 0);

  const int lineEnd = FindText(input, "\n");
  if (lineEnd != -1)
    Search(LeftText(input, lineEnd - 1), input.substr(lineEnd), flags);
  return 0;
}
