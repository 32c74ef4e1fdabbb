// Rewriting a multi-line box by its changed part must leave exactly the
// document that writing the whole text would give.
#include <QTextCursor>
#include <QTextDocument>
#include <random>

#include <gtest/gtest.h>

#include "platform/gui/BoxText.h"

namespace {

QString Edited(const TextValue& before, const TextValue& after) {
  QTextDocument document;
  document.setPlainText(MultiLineToQt(before));
  std::optional<BoxEdit> edit = MultiLineEdit(before, after);
  if (!edit)
    return QStringLiteral("<no edit>");
  QTextCursor cursor(&document);
  cursor.setPosition(edit->position);
  cursor.setPosition(edit->position + edit->removed, QTextCursor::KeepAnchor);
  cursor.insertText(MultiLineToQt(edit->inserted));
  return document.toRawText();
}

QString Written(const TextValue& text) {
  QTextDocument document;
  document.setPlainText(MultiLineToQt(text));
  return document.toRawText();
}

TEST(BoxText, EditGivesTheDocumentOfTheWholeText) {
  const struct {
    TextValue before, after;
  } cases[] = {
      {"a<i>b\r\n", "ab\r\n"},
      {"a\rX", "a\r\nX"},        // a lone CR becomes a break
      {"a\r\nX", "a\rX"},        // and back
      {"ab\nX", "a\r\nX"},       // the tail's LF joins a new CR
      {"x\xB0\x41y", "x\x41y"},  // a trail byte equal to the letter A
      {"\xB0\xA1\xB0\xA1", "\xB0\xA1"},
      {"line1\r\nline2\r\n", ""},
      {"", "line1\r\nline2\r\n"},
      {"b\r\na\r\n", "a\r\nb\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Edited(c.before, c.after), Written(c.after)) << c.before << " -> " << c.after;
  }
}

TEST(BoxText, EditMatchesWholeWritesOnRandomTexts) {
  const char* pieces[] = {"a", "A", "\r", "\n", "\r\n", "\xB0\xA1", "\xB0\x41", "\x81\x40", "<i>"};
  std::mt19937 random(7);
  auto text = [&] {
    TextValue t;
    for (int n = random() % 8; n > 0; --n) t += pieces[random() % std::size(pieces)];
    return t;
  };
  for (int i = 0; i < 3000; ++i) {
    const TextValue before = text(), after = text();
    ASSERT_EQ(Edited(before, after), Written(after)) << i;
  }
}

TEST(BoxText, TextsThatAreNotWellFormedGetNoEdit) {
  for (const TextValue& bad : {TextValue("\xB0"), TextValue("\xB0\x20"), TextValue("a\xFF")}) {
    EXPECT_FALSE(IsWellFormedGbk(bad));
    EXPECT_FALSE(MultiLineEdit("a", bad));
  }
  EXPECT_TRUE(IsWellFormedGbk("\x80\xB0\xA1\x81\x40 \r\n"));
}

}  // namespace
