#include "text/TextOps.h"

#include <climits>

namespace {

char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool IsLeadByte(char c) {
  return static_cast<unsigned char>(c) >= 0x80;
}

bool MatchesAt(std::string_view text, std::size_t offset, std::string_view pattern,
               bool ignoreCase) {
  if (!ignoreCase)
    return text.compare(offset, pattern.size(), pattern) == 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (FoldAscii(text[offset + i]) != FoldAscii(pattern[i]))
      return false;
  }
  return true;
}

// Offset of the first match at or after `offset`, stepping by characters.
std::size_t FindFrom(std::string_view text, std::string_view pattern, std::size_t offset,
                     bool ignoreCase) {
  const std::size_t n = text.size(), m = pattern.size();
  if (m == 0)
    return std::string_view::npos;
  if (!ignoreCase && !IsLeadByte(pattern[0])) {
    // Fast path: jump to a candidate, then tell from the run of high bytes
    // just before it whether it sits on a trail byte. That run starts on a
    // character boundary (after a single byte, after a trail byte, or at
    // `pos`), so its length's parity decides.
    std::size_t pos = offset;
    while (pos + m <= n) {
      std::size_t hit = text.find(pattern, pos);
      if (hit == std::string_view::npos)
        return hit;
      std::size_t runStart = hit;
      while (runStart > pos && IsLeadByte(text[runStart - 1])) --runStart;
      if ((hit - runStart) % 2 == 0)
        return hit;
      pos = hit + 1;  // a trail byte; the next character starts after it
    }
    return std::string_view::npos;
  }
  for (std::size_t pos = offset; pos + m <= n;) {
    if (MatchesAt(text, pos, pattern, ignoreCase))
      return pos;
    if (IsLeadByte(text[pos])) {
      if (pos + 1 >= n)
        break;  // a lead byte that ends the text
      pos += 2;
    } else {
      pos += 1;
    }
  }
  return std::string_view::npos;
}

bool IsSpaceAt(std::string_view text, std::size_t pos, std::size_t* width) {
  if (text[pos] == ' ') {
    *width = 1;
    return true;
  }
  if (static_cast<unsigned char>(text[pos]) == 0xA1 && pos + 1 < text.size() &&
      static_cast<unsigned char>(text[pos + 1]) == 0xA1) {
    *width = 2;
    return true;
  }
  *width = IsLeadByte(text[pos]) && pos + 1 < text.size() ? 2 : 1;
  return false;
}

}  // namespace

int FindText(std::string_view text, std::string_view pattern, int startPos, bool ignoreCase) {
  std::size_t offset = startPos <= 1 ? 0 : static_cast<std::size_t>(startPos) - 1;
  if (offset >= text.size())
    return -1;
  std::size_t hit = FindFrom(text, pattern, offset, ignoreCase);
  return hit == std::string_view::npos ? -1 : static_cast<int>(hit) + 1;
}

int FindLastText(std::string_view text, std::string_view pattern, int beforePos) {
  std::size_t limit = text.size();
  if (beforePos > 0)
    limit = std::min(limit, static_cast<std::size_t>(beforePos) - 1);
  int last = -1;
  for (std::size_t pos = 0;;) {
    std::size_t hit = FindFrom(text, pattern, pos, false);
    if (hit == std::string_view::npos || hit + pattern.size() > limit)
      break;
    last = static_cast<int>(hit) + 1;
    pos = hit + (IsLeadByte(text[hit]) ? 2 : 1);
  }
  return last;
}

bool ContainsText(std::string_view text, std::string_view pattern, bool ignoreCase) {
  return FindFrom(text, pattern, 0, ignoreCase) != std::string_view::npos;
}

TextValue ReplaceText(std::string_view text, std::string_view from, std::string_view to,
                      bool ignoreCase) {
  TextValue out;
  if (from.empty())
    return TextValue(text);
  std::size_t pos = 0;
  for (;;) {
    std::size_t hit = FindFrom(text, from, pos, ignoreCase);
    if (hit == std::string_view::npos)
      break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

TextArray SplitText(std::string_view text, std::string_view delimiter) {
  TextArray pieces;
  if (text.empty())
    return pieces;
  if (delimiter.empty()) {
    pieces.Append(TextValue(text));
    return pieces;
  }
  std::size_t pos = 0;
  for (;;) {
    std::size_t hit = FindFrom(text, delimiter, pos, false);
    if (hit == std::string_view::npos)
      break;
    pieces.Append(TextValue(text.substr(pos, hit - pos)));
    pos = hit + delimiter.size();
  }
  if (pos < text.size())
    pieces.Append(TextValue(text.substr(pos)));
  return pieces;
}

TextValue JoinLines(const TextArray& lines, std::string_view separator) {
  std::size_t total = 0;
  for (const TextValue& line : lines.Items()) total += line.size() + separator.size();
  TextValue out;
  out.reserve(total);
  for (const TextValue& line : lines.Items()) {
    out.append(line);
    out.append(separator);
  }
  return out;
}

TextValue TrimSpaces(std::string_view text) {
  std::size_t begin = 0, width = 0;
  while (begin < text.size() && IsSpaceAt(text, begin, &width)) begin += width;
  // The end is found by walking characters forward, so a trail byte of
  // 0xA1 0xA1-looking pairs is never cut.
  std::size_t end = begin, pos = begin;
  while (pos < text.size()) {
    bool space = IsSpaceAt(text, pos, &width);
    pos += width;
    if (!space)
      end = std::min(pos, text.size());
  }
  return TextValue(text.substr(begin, end - begin));
}

TextValue RemoveAllSpaces(std::string_view text) {
  TextValue out;
  out.reserve(text.size());
  std::size_t width = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += width) {
    if (!IsSpaceAt(text, pos, &width))
      out.append(text.substr(pos, width));
  }
  return out;
}

TextValue TrimBlanks(std::string_view text) {
  std::size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos)
    return TextValue();
  std::size_t end = text.find_last_not_of(' ');
  return TextValue(text.substr(begin, end - begin + 1));
}

TextValue LeftText(std::string_view text, int count) {
  if (count <= 0)
    return TextValue();
  return TextValue(text.substr(0, static_cast<std::size_t>(count)));
}

TextValue RightText(std::string_view text, int count) {
  if (count <= 0)
    return TextValue();
  std::size_t n = std::min(text.size(), static_cast<std::size_t>(count));
  return TextValue(text.substr(text.size() - n));
}

TextValue MiddleText(std::string_view text, int startPos, int count) {
  if (count <= 0)
    return TextValue();
  std::size_t offset = startPos <= 1 ? 0 : static_cast<std::size_t>(startPos) - 1;
  if (offset >= text.size())
    return TextValue();
  return TextValue(text.substr(offset, static_cast<std::size_t>(count)));
}

TextValue ToLowerAscii(std::string_view text) {
  TextValue out(text);
  for (char& c : out) c = FoldAscii(c);
  return out;
}

TextValue ToUpperAscii(std::string_view text) {
  TextValue out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 32);
  }
  return out;
}

int TextToInt(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && text[pos] == ' ') ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  long long value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    value = value * 10 + (text[pos] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1)
      value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative)
    value = -value;
  if (value > INT_MAX)
    value = INT_MAX;
  return static_cast<int>(value);
}
