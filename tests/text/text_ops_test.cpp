#include "text/TextOps.h"

#include <gtest/gtest.h>

#include "platform/codepage/CodePage.h"

namespace {

// 0xB0 0x41 is one GBK character whose trail byte is an ASCII 'A'.
const std::string kTrailA = "\xB0\x41";

struct FindCase {
  std::string text, pattern;
  int startPos;
  bool ignoreCase;
  int expected;
};

TEST(FindText, FindsAtCharacterBoundariesOnly) {
  const FindCase cases[] = {
      {"abcabc", "bc", 1, false, 2},
      {"abcabc", "bc", 3, false, 5},
      {"abcabc", "bc", 0, false, 2},
      {"abcabc", "bc", -5, false, 2},
      {"abcabc", "bc", 6, false, -1},
      {"abcabc", "bc", 7, false, -1},
      {"abc", "", 1, false, -1},
      {"", "a", 1, false, -1},
      {"ABC", "b", 1, false, -1},
      {"ABC", "b", 1, true, 2},
      {"xAyb", "a", 1, true, 2},
      {kTrailA + "A", "A", 1, false, 3},  // the trail byte is not a match
      {kTrailA + "A", "a", 1, true, 3},
      {"a" + kTrailA, "A", 1, false, -1},
      {"\xB0", "\xB0", 1, false, 1},
      {"\xB0\xB0\xB0\xB0;", ";", 1, false, 5},  // after two characters
      {"a\xB0\xB0\xB0;b;", ";", 1, false, 7},   // the first ';' is a trail byte
      {"\xB0\xB0\xB0;b;", ";", 2, false, 4},  // a start inside a character counts from there  // a
                                              // lone lead byte at the end still matches itself
  };
  for (const FindCase& c : cases) {
    EXPECT_EQ(FindText(c.text, c.pattern, c.startPos, c.ignoreCase), c.expected)
        << c.text << " / " << c.pattern << " from " << c.startPos;
  }
}

TEST(FindLastText, FindsTheLastOccurrenceEndingBeforeAPosition) {
  EXPECT_EQ(FindLastText("a.b.c", "."), 4);
  EXPECT_EQ(FindLastText("a.b.c", ".", 4), 2);
  EXPECT_EQ(FindLastText("a.b.c", ".", 2), -1);
  EXPECT_EQ(FindLastText("abc", "x"), -1);
  EXPECT_EQ(FindLastText(kTrailA + "A", "A"), 3);
}

TEST(ReplaceText, ReplacesEveryOccurrenceWithoutOverlap) {
  EXPECT_EQ(ReplaceText("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceText("a<i>b<i>", "<i>", ""), "ab");
  EXPECT_EQ(ReplaceText("Set-cookie SET-COOKIE", "set-cookie", "Set-Cookie", true),
            "Set-Cookie Set-Cookie");
  EXPECT_EQ(ReplaceText(kTrailA + "A", "A", "x"), kTrailA + "x");
  EXPECT_EQ(ReplaceText("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceText("", "a", "x"), "");
}

TEST(SplitText, KeepsEmptyPiecesButNotAnEmptyRest) {
  struct Case {
    std::string text, delimiter;
    std::vector<std::string> pieces;
  };
  const Case cases[] = {
      {"a;b;c", ";", {"a", "b", "c"}},
      {"a;;b", ";", {"a", "", "b"}},
      {"a;b;", ";", {"a", "b"}},
      {";a", ";", {"", "a"}},
      {"", ";", {}},
      {"abc", ";", {"abc"}},
      {"l1\r\nl2\r\n\r\n", "\r\n", {"l1", "l2", ""}},
      {kTrailA + ";x", "A", {kTrailA + ";x"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitText(c.text, c.delimiter).Items(), c.pieces) << c.text;
}

TEST(Spaces, TrimAndRemoveBothKindsOfSpace) {
  const std::string ideographic = "\xA1\xA1";
  EXPECT_EQ(TrimSpaces("  a b  "), "a b");
  EXPECT_EQ(TrimSpaces(ideographic + "a" + ideographic + " "), "a");
  EXPECT_EQ(TrimSpaces("   "), "");
  EXPECT_EQ(RemoveAllSpaces("a b" + ideographic + "c"), "abc");
  EXPECT_EQ(TrimSpaces("\ta\t"), "\ta\t");
  // 0xB0 0xA1 is a character whose trail byte looks like half a space.
  EXPECT_EQ(RemoveAllSpaces("\xB0\xA1\xA1x"), "\xB0\xA1\xA1x");
  EXPECT_EQ(TrimSpaces("x\xB0\xA1\xA1"), "x\xB0\xA1\xA1");
}

TEST(Parts, TakeBytesAndGiveEmptyForCountsBelowOne) {
  EXPECT_EQ(LeftText("abcdef", 2), "ab");
  EXPECT_EQ(LeftText("abc", 9), "abc");
  EXPECT_EQ(LeftText("abc", 0), "");
  EXPECT_EQ(RightText("abcdef", 2), "ef");
  EXPECT_EQ(RightText("abc", -1), "");
  EXPECT_EQ(MiddleText("abcdef", 3, 2), "cd");
  EXPECT_EQ(MiddleText("abcdef", 10, 2), "");
  EXPECT_EQ(ToLowerAscii("AbC\xC4\xE3"), "abc\xC4\xE3");
  EXPECT_EQ(ToUpperAscii("aBc\xC4\xE3"), "ABC\xC4\xE3");
}

TEST(TextToInt, ReadsBlanksSignAndDigits) {
  const std::pair<std::string, int> cases[] = {
      {"8080", 8080}, {"  42abc", 42}, {"-7", -7}, {"+3", 3},
      {"", 0},        {"abc", 0},      {"- 1", 0}, {"99999999999", 2147483647},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(TextToInt(text), value) << text;
}

TEST(BytesToText, StopsAtTheFirstNul) {
  EXPECT_EQ(BytesToText(ByteSet{'a', 'b', 0, 'c'}), "ab");
  EXPECT_EQ(BytesToText(ByteSet{'a', 'b'}), "ab");
  EXPECT_EQ(BytesToText(ByteSet{}), "");
}

}  // namespace
