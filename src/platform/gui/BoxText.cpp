#include "platform/gui/BoxText.h"

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

}  // namespace

QString SingleLineToQt(const TextValue& text) {
  return FromWide(GbkToWide(text));
}

TextValue SingleLineFromQt(const QString& text) {
  return WideToGbk(ToWide(text));
}

QString MultiLineToQt(const TextValue& text) {
  std::u16string wide = GbkToWide(text);
  QString out;
  out.reserve(static_cast<qsizetype>(wide.size()));
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char16_t ch = wide[i];
    if (ch == u'\r' && i + 1 < wide.size() && wide[i + 1] == u'\n') {
      out += QChar(u'\n');
      ++i;
    } else if (ch == u'\r') {
      out += QChar(kCrPicture);
    } else if (ch == u'\n') {
      out += QChar(kLfPicture);
    } else {
      out += QChar(ch);
    }
  }
  return out;
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
