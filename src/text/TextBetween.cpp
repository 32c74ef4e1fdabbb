#include "text/TextBetween.h"

#include "text/TextOps.h"

TextValue TextBetween(const TextValue& text, const TextValue& left, const TextValue& right,
                      int startPos, bool ignoreCase) {
  const TextValue leftDelimiter = ReplaceText(left, kQuoteMarker, "\"");
  const TextValue rightDelimiter = ReplaceText(right, kQuoteMarker, "\"");
  int p = FindText(text, leftDelimiter, startPos, ignoreCase);
  if (p == -1)
    return TextValue();
  p += static_cast<int>(leftDelimiter.size());
  int q = FindText(text, rightDelimiter, p, ignoreCase);
  if (q == -1)
    return TextValue();
  return TextValue(text, static_cast<std::size_t>(p - 1), static_cast<std::size_t>(q - p));
}
