// The text operations, TextBetween and SortTextLines over arbitrary bytes.
// The input is split at 0xFF bytes into a text, two delimiters and lines.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "text/SortTextLines.h"
#include "text/TextBetween.h"
#include "text/TextOps.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> parts = SplitInput(data, size, 0xFF, 3);
  const std::string& text = parts[0];
  const std::string& left = parts[1];
  const std::string& right = parts[2];

  for (bool ignoreCase : {false, true}) {
    for (int start : {-1, 0, 1, 2, static_cast<int>(text.size())}) {
      int at = FindText(text, left, start, ignoreCase);
      Check(at == -1 || (at >= 1 && at + left.size() - 1 <= text.size()));
      TextValue between = TextBetween(text, left, right, start, ignoreCase);
      Check(between.size() <= text.size());
    }
  }
  FindLastText(text, left, static_cast<int>(size % 64));
  TextValue replaced = ReplaceText(text, left, right);
  if (!left.empty() && left != right && !ContainsText(right, left)) {
    Check(!ContainsText(replaced, left) || ContainsText(text + right, left));
  }
  TextArray pieces = SplitText(text, left);
  if (!left.empty()) {
    // Joining the pieces back gives the text, less a trailing empty rest.
    TextValue joined = JoinLines(pieces, left);
    Check(joined == text || joined == text + left);
  }
  TextValue trimmed = TrimSpaces(text);
  Check(trimmed.size() <= text.size());
  Check(RemoveAllSpaces(trimmed).size() <= trimmed.size());
  TextToInt(text);

  TextArray lines;
  for (std::size_t i = 3; i < parts.size(); ++i) lines.Append(parts[i]);
  const int count = lines.Size();
  SortTextLines(lines, size % 2 == 0);
  Check(lines.Size() == count);
  return 0;
}
