#include "platform/gui/BoxText.h"

#include <algorithm>

#include "platform/codepage/CodePage.h"

namespace {

constexpr char16_t kCrPicture = u'\u240D';
constexpr char16_t kLfPicture = u'\u240A';

QString FromWide(const std::u16string& wide) {
  return QString(reinterpret_cast<const QChar*>(wide.data()), static_cast<qsizetype>(wide.size()));
}

std::u16string_view ToWide(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// Qt's paragraph and line separators, and the LF that MultiLineToQt writes.
bool IsLineBreak(QChar ch) {
  return ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator || ch == u'\n';
}

bool IsLead(unsigned char byte) {
  return byte >= 0x81 && byte <= 0xFE;
}

// Bytes of the box character at `i` of a well-formed text.
std::size_t UnitLength(std::string_view text, std::size_t i) {
  if (IsLead(static_cast<unsigned char>(text[i])))
    return 2;
  if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
    return 2;
  return 1;
}

// From `from` (a character boundary) to the first boundary at or after
// `target`; `characters` counts the box characters stepped over.
std::size_t BoundaryAtOrAfter(std::string_view text, std::size_t from, std::size_t target,
                              int& characters) {
  std::size_t i = from;
  while (i < target) {
    i += UnitLength(text, i);
    ++characters;
  }
  return i;
}

}  // namespace

QString SingleLineToQt(const TextValue& text) {
  return FromWide(GbkToWide(text));
}

TextValue SingleLineFromQt(const QString& text) {
  return WideToGbk(ToWide(text));
}

QString MultiLineToQt(std::string_view text) {
  std::u16string wide = GbkToWide(text);
  std::size_t out = 0;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char16_t ch = wide[i];
    if (ch == u'\r' && i + 1 < wide.size() && wide[i + 1] == u'\n') {
      ++i;  // CR LF: one line break
      ch = u'\n';
    } else if (ch == u'\r') {
      ch = kCrPicture;
    } else if (ch == u'\n') {
      ch = kLfPicture;
    }
    wide[out++] = ch;
  }
  wide.resize(out);
  return FromWide(wide);
}

TextValue MultiLineFromQt(const QString& rawText) {
  std::u16string wide;
  wide.reserve(static_cast<std::size_t>(rawText.size()) + 64);
  for (QChar ch : rawText) {
    if (IsLineBreak(ch)) {
      wide += u"\r\n";
    } else if (ch == kCrPicture) {
      wide += u'\r';
    } else if (ch == kLfPicture) {
      wide += u'\n';
    } else {
      wide += ch.unicode();
    }
  }
  return WideToGbk(wide);
}

bool IsWellFormedGbk(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == 0 || byte == 0xFF)
      return false;
    if (!IsLead(byte))
      continue;
    if (++i == text.size())
      return false;
    const auto trail = static_cast<unsigned char>(text[i]);
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF)
      return false;
  }
  return true;
}

int MultiLineLength(std::string_view text) {
  int characters = 0;
  BoundaryAtOrAfter(text, 0, text.size(), characters);
  return characters;
}

std::optional<BoxEdit> MultiLineEdit(std::string_view before, std::string_view after) {
  if (!IsWellFormedGbk(before) || !IsWellFormedGbk(after))
    return std::nullopt;
  const std::size_t common = std::min(before.size(), after.size());
  const std::size_t prefix = static_cast<std::size_t>(
      std::mismatch(before.begin(), before.begin() + common, after.begin()).first - before.begin());
  std::size_t suffix = 0;
  while (suffix < common - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
    ++suffix;
  }
  // The edit starts at the last character boundary within the common
  // prefix, but not right after a CR, which may begin a break in `after`.
  std::size_t start = 0;
  int position = 0;
  for (std::size_t i = 0, characters = 0; i < prefix;) {
    i += UnitLength(before, i);
    ++characters;
    if (i <= prefix && before[i - 1] != '\r') {
      start = i;
      position = static_cast<int>(characters);
    }
  }
  // It ends where the common tail starts at a character boundary of both texts.
  int removed = 0, inserted = 0;
  std::size_t beforeEnd = BoundaryAtOrAfter(before, start, before.size() - suffix, removed);
  std::size_t afterEnd = BoundaryAtOrAfter(after, start, after.size() - suffix, inserted);
  if (before.size() - beforeEnd != after.size() - afterEnd) {
    beforeEnd = BoundaryAtOrAfter(before, beforeEnd, before.size(), removed);
    afterEnd = after.size();
  }
  return BoxEdit{position, removed, after.substr(start, afterEnd - start)};
}

int MultiLinePosition(const QTextDocument& document, int offset) {
  // The document ends with a paragraph separator of its own.
  const int end = document.characterCount() - 1;
  int remaining = offset < 0 ? 0 : offset;
  int position = 0;
  while (remaining > 0 && position < end) {
    bool lineBreak = IsLineBreak(document.characterAt(position));
    remaining -= lineBreak ? 2 : 1;
    if (remaining < 0)
      break;  // between CR and LF: stay at the line's end
    ++position;
  }
  return position;
}
