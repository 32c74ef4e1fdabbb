#include "text/TextBetween.h"

#include <gtest/gtest.h>

#include "platform/codepage/CodePage.h"

namespace {

struct Case {
  std::string text, left, right;
  int startPos;
  bool ignoreCase;
  std::string expected;
};

TEST(TextBetween, CutsBetweenTheDelimiters) {
  const std::string quote = GbkFromUtf8("#引号");
  ASSERT_EQ(quote, "\x23\xD2\xFD\xBA\xC5");
  const Case cases[] = {
      {"[{\"comCode\":\"shunfeng\",\"id\":\"\",\"x\":1}]", "[{\"comCode\":\"", "\",\"id\":\"\"", 0,
       false, "shunfeng"},
      {"a=1; b=2", "a=", ";", 0, false, "1"},
      {"a=1", "a=", ";", 0, false, ""},
      {"x;y", "a=", ";", 0, false, ""},
      {"x;y=1;", "y=", ";", 0, false, "1"},
      {"k\"a\"v\"z", quote + "a" + quote, quote, 0, false, "v"},
      {"abcab", "A", "b", 0, false, ""},
      {"abcab", "A", "b", 0, true, ""},
      {"xAyb", "a", "b", 0, true, "y"},
      {"a=1;a=2;", "a=", ";", 4, false, "2"},
      {"a=1;", "", ";", 0, false, ""},
      {"", "a", "b", 0, false, ""},
      // A trail byte equal to the delimiter's first byte is not the delimiter.
      {"k=\xB0;v;", "k=", ";", 0, false, "\xB0;v"},
      {"\xB0=k=1;", "=", ";", 0, false, "1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextBetween(c.text, c.left, c.right, c.startPos, c.ignoreCase), c.expected)
        << c.text << " | " << c.left << " | " << c.right;
  }
}

TEST(TextBetween, LeavesTheCallersDelimitersUnchanged) {
  const std::string quote = GbkFromUtf8("#引号");
  TextValue left = quote, right = quote;
  EXPECT_EQ(TextBetween("a\"b\"c", left, right), "b");
  EXPECT_EQ(left, quote);
  EXPECT_EQ(right, quote);
}

}  // namespace
