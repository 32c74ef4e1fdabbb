// Invalid UTF-8, lone surrogates and broken GBK through every conversion:
// the valid characters around them survive, the broken ones become a stand-in
// character, and nothing crashes or runs past the text.
#include <gtest/gtest.h>

#include <string>

#include "charset/ConvertCharset.h"
#include "hostile/Hostile.h"
#include "platform/com/Com.h"
#include "platform/com/ComObject.h"
#include "script/RegexObject.h"

namespace {

ByteSet Bytes(std::string_view text) {
  return ByteSet(text.begin(), text.end());
}
std::string Text(const ByteSet& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

const char* const kBrokenUtf8[] = {
    "a\xFF"
    "b",  // a byte that never starts a character
    "a\xC3"
    "b",  // a lead byte without its continuation
    "a\xE4\xB8"
    "b",  // a three-byte character cut short
    "a\xED\xA0\x80"
    "b",  // an encoded lone surrogate
    "a\xC0\xAF"
    "b",  // an overlong "/"
    "a\xF4\x90\x80\x80"
    "b",  // past U+10FFFF
};

TEST(BrokenText, InvalidUtf8ThroughConvertCharset) {
  for (const char* input : kBrokenUtf8) {
    std::string got = Text(ConvertCharset(Bytes(input)));
    ASSERT_GE(got.size(), 3u) << input;
    EXPECT_EQ(got.front(), 'a') << input;
    EXPECT_EQ(got.back(), 'b') << input;
    EXPECT_EQ(got.find('\0'), std::string::npos) << input;
    // What came out is GBK that reads back as the same characters.
    EXPECT_EQ(WideToGbk(GbkToWide(got)), got) << input;
  }
}

TEST(BrokenText, LoneSurrogatesBecomeTheDefaultCharacter) {
  EXPECT_EQ(WideToGbk(u"a\xD800"
                      u"b"),
            "a?b");
  EXPECT_EQ(WideToGbk(u"a\xDC00"), "a?");
  EXPECT_EQ(WideToGbk(u"\xDBFF\xDBFF"
                      u"b"),
            "??b");
  // UTF-16LE bytes: a lone high surrogate, then a dangling odd byte.
  EXPECT_EQ(Utf16ToGbk(ByteSet{'a', 0, 0x00, 0xD8, 'b', 0}), "a?b");
  EXPECT_EQ(Utf16ToGbk(ByteSet{'a', 0, 'b'}), "a");
}

TEST(BrokenText, BrokenGbkReadsAsStandInsAndKeepsTheRest) {
  const char* inputs[] = {"a\x81",
                          "a\x80"
                          "b",
                          "a\xFF"
                          "b",
                          "\x81\x20"
                          "b"};
  for (const char* input : inputs) {
    std::u16string wide = GbkToWide(input);
    ASSERT_FALSE(wide.empty()) << input;
    std::string_view bytes = input;
    if (bytes.front() == 'a') {
      EXPECT_EQ(wide.front(), u'a') << input;
    }
    if (bytes.back() == 'b') {
      EXPECT_EQ(wide.back(), u'b') << input;
    }
    for (char16_t c : wide) EXPECT_FALSE(c >= 0xD800 && c <= 0xDFFF) << input;
  }
}

TEST(BrokenText, StreamDecodesAndEncodesBrokenTextWithStandIns) {
  CoInitialize(nullptr);
  {
    ComObject stream;
    ASSERT_TRUE(stream.Create("Adodb.Stream"));
    stream.Put("Type", Variant(1));
    stream.CallNone("Open");
    stream.CallNone("Write", {Variant(Bytes("a\xFF\xC3"
                                            "b"))});
    stream.Put("Position", Variant(0));
    stream.Put("Type", Variant(2));
    stream.Put("Charset", Variant::FromText("utf-8"));
    std::u16string text = stream.Call("ReadText").ToWide();
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.front(), u'a');
    EXPECT_EQ(text.back(), u'b');
    stream.CallNone("Close");

    // A lone surrogate written as UTF-8 never comes out as an encoded surrogate.
    stream.CallNone("Open");
    stream.Put("Charset", Variant::FromText("utf-8"));
    stream.CallNone("WriteText", {Variant(std::u16string(u"a\xD800"
                                                         u"b"))});
    stream.Put("Position", Variant(0));
    stream.Put("Type", Variant(1));
    std::string bytes = Text(stream.Call("Read").Bytes());
    EXPECT_EQ(bytes.find("\xED\xA0\x80"), std::string::npos);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.back(), 'b');
    stream.CallNone("Close");
  }
  CoUninitialize();
}

TEST(BrokenText, RegexSubjectsWithBrokenTextStillSearch) {
  RegexObject regex;
  for (const char* subject : {"time\":\"x\x81\"", "time\":\"x\xFF\"", "time\":\"x\x80\""}) {
    ASSERT_TRUE(regex.Create("time\":\"(x)", subject)) << subject;
    EXPECT_EQ(regex.MatchCount(), 1) << subject;
    EXPECT_EQ(regex.GetSubMatch(1, 1), "x") << subject;
  }
  // A lone surrogate handed to the component directly.
  CoInitialize(nullptr);
  {
    ComObject regExp;
    ASSERT_TRUE(regExp.Create("VBScript.RegExp"));
    regExp.Put("Global", Variant(true));
    regExp.Put("Pattern", Variant(std::u16string(u"b")));
    ComObject matches = regExp.CallObject("Execute", {Variant(std::u16string(u"a\xD800"
                                                                             u"b"))});
    EXPECT_LE(matches.CallNumber("Count"), 1);
  }
  CoUninitialize();
}

}  // namespace
