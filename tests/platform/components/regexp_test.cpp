// The regular-expression component reached by name, as RegexObject and any
// other caller reaches it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/Com.h"
#include "platform/com/ComObject.h"

namespace {

class RegExpTest : public testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    ASSERT_TRUE(regExp.Create("VBScript.RegExp"));
  }
  void TearDown() override {
    regExp.Clear();
    CoUninitialize();
  }

  void Set(const std::u16string& pattern, bool global = true, bool ignoreCase = false,
           bool multiline = false) {
    regExp.Put("Pattern", Variant(pattern));
    regExp.Put("Global", Variant(global));
    regExp.Put("IgnoreCase", Variant(ignoreCase));
    regExp.Put("Multiline", Variant(multiline));
  }

  // Every match as "FirstIndex:Value".
  std::vector<std::u16string> Matches(const std::u16string& subject) {
    ComObject matches = regExp.CallObject("Execute", {Variant(subject)});
    EXPECT_FALSE(matches.IsEmpty());
    std::vector<std::u16string> found;
    int count = static_cast<int>(matches.CallNumber("Count"));
    for (int i = 0; i < count; ++i) {
      ComObject match = matches.CallObject("Item", {Variant(i)});
      found.push_back(match.Call("FirstIndex").ToWide() + u":" + match.Call("Value").ToWide());
    }
    return found;
  }

  ComObject regExp;
};

using Found = std::vector<std::u16string>;

TEST_F(RegExpTest, Semantics) {
  struct Case {
    std::u16string pattern;
    std::u16string subject;
    bool ignoreCase;
    bool multiline;
    Found found;
  } cases[] = {
      {u"<.+?>", u"<a><b>", false, false, {u"0:<a>", u"3:<b>"}},
      {u"a.*?c", u"abcabc", false, false, {u"0:abc", u"3:abc"}},
      {u"\\w+", u"caf\u00e9 \u4e2d\u6587x", false, false, {u"0:caf", u"7:x"}},
      {u"[-\\w]+", u"utf-8\">", false, false, {u"0:utf-8"}},
      {u"\"},", u"\"},\"}]", false, false, {u"0:\"},"}},
      {u"a}b{c", u"xa}b{c", false, false, {u"1:a}b{c"}},
      {u"a.b", u"a\nb a\rb a\u00e9b", false, false, {u"8:a\u00e9b"}},
      {u"[^]", u"\n", false, false, {u"0:\n"}},
      {u"^\\w+$", u"one\r\ntwo\nthree", false, true, {u"0:one", u"5:two", u"9:three"}},
      {u"^\\w+$", u"one\r\ntwo", false, false, {}},
      {u"b$", u"ab\n", false, false, {}},
      {u"ABC", u"abc", true, false, {u"0:abc"}},
      {u"ABC", u"abc", false, false, {}},
      {u"\\u4e2d.", u"\u4e2d\u6587", false, false, {u"0:\u4e2d\u6587"}},
      {u"b", u"\U0001F600ab", false, false, {u"3:b"}},
      {u"a*", u"baaa", false, false, {u"0:", u"1:aaa", u"4:"}},
      {u"", u"\U0001F600", false, false, {u"0:", u"2:"}},
  };
  for (const Case& c : cases) {
    Set(c.pattern, true, c.ignoreCase, c.multiline);
    EXPECT_EQ(Matches(c.subject), c.found) << "pattern #" << (&c - cases);
  }
}

TEST_F(RegExpTest, MatchAndSubMatches) {
  Set(u"(\\d+)(x)?-(\\w)");
  ComObject matches = regExp.CallObject("Execute", {Variant(u"\u4e2d 12-a 3x-b")});
  ASSERT_EQ(matches.CallNumber("Count"), 2);
  ComObject second = matches.CallObject("Item", {Variant(1)});
  EXPECT_EQ(second.Call("Value").ToWide(), u"3x-b");
  EXPECT_EQ(second.CallNumber("FirstIndex"), 7);
  EXPECT_EQ(second.CallNumber("Length"), 4);
  ComObject groups = matches.CallObject("Item", {Variant(0)}).CallObject("SubMatches");
  EXPECT_EQ(groups.CallNumber("Count"), 3);
  EXPECT_EQ(groups.Call("Item", {Variant(0)}).ToWide(), u"12");
  EXPECT_TRUE(groups.Call("Item", {Variant(1)}).IsEmpty());  // took no part
  EXPECT_EQ(groups.Call("Item", {Variant(2)}).ToWide(), u"a");
  // A match read as a value is its text, as the component's default member.
  EXPECT_EQ(matches.Call("Item", {Variant(0)}).ToWide(), u"12-a");

  Variant out;
  Variant index[] = {Variant(2)};
  EXPECT_FALSE(matches.Get()->Invoke(u"Item", DispatchKind::Call, index, out));
  index[0] = Variant(-1);
  EXPECT_FALSE(matches.Get()->Invoke(u"Item", DispatchKind::Call, index, out));
  index[0] = Variant(3);
  EXPECT_FALSE(groups.Get()->Invoke(u"Item", DispatchKind::Call, index, out));
}

TEST_F(RegExpTest, GlobalFalseFindsOneAndPropertiesReadBack) {
  Set(u"\\d", /*global=*/false, /*ignoreCase=*/true);
  EXPECT_EQ(Matches(u"a1b2"), Found{u"1:1"});
  EXPECT_EQ(regExp.Call("Pattern").ToWide(), u"\\d");
  EXPECT_TRUE(regExp.CallBool("IgnoreCase"));
  EXPECT_FALSE(regExp.CallBool("Global"));
  EXPECT_EQ(regExp.CallText("Replace", {Variant(u"a1b2"), Variant(u"#")}), "a#b2");
  EXPECT_TRUE(regExp.CallBool("Test", {Variant(u"x9")}));
  EXPECT_FALSE(regExp.CallBool("Test", {Variant(u"xy")}));
}

TEST_F(RegExpTest, ReplacementSyntax) {
  struct Case {
    std::u16string pattern;
    std::u16string replacement;
    std::u16string result;
  } cases[] = {
      {u"(\\w+) (\\w+)", u"$2 $1", u"[one two] [three four]"},
      {u"o", u"<$&>", u"[tw<o> <o>ne] [f<o>ur three]"},
      {u"three", u"$`|", u"[two one] [four [two one] [four |]"},
      {u"two", u"$'", u"[ one] [four three] one] [four three]"},
      {u"one", u"$$1$", u"[two $1$] [four three]"},
      {u"(o)", u"$0$2$11", u"[tw$0$2o1 $0$2o1ne] [f$0$2o1ur three]"},
      {u"(t)(w)(o)(.)(o)(n)(e)(.)(.)(.)(f)", u"$11$10$1", u"[f[tour three]"},
      {u"(x)?two", u"<$1>", u"[<> one] [four three]"},
      {u"", u"-", u"-[-t-w-o- -o-n-e-]- -[-f-o-u-r- -t-h-r-e-e-]-"},
  };
  for (const Case& c : cases) {
    Set(c.pattern);
    EXPECT_EQ(regExp.Call("Replace", {Variant(u"[two one] [four three]"), Variant(c.replacement)})
                  .ToWide(),
              c.result)
        << "pattern #" << (&c - cases);
  }
}

TEST_F(RegExpTest, LoneSurrogatesInTheSubjectAreNeverMatched) {
  Set(u".");
  std::u16string subject = u"a";
  subject += char16_t(0xD800);
  subject += u"b";
  subject += char16_t(0xDC00);
  EXPECT_EQ(Matches(subject), (Found{u"0:a", u"2:b"}));
  Set(u"");
  EXPECT_EQ(Matches(subject).size(), 5u);
}

TEST_F(RegExpTest, FailuresAreFailedCalls) {
  struct Case {
    std::u16string pattern;
    std::u16string subject;
  } cases[] = {
      {u"(unclosed", u"abc"},
      {u"a\\C", u"abc"},  // a single code unit could split a character
      // Exponential backtracking: stopped by the match limit.
      {u"(a+)+$", std::u16string(40, u'a') + u"b"},
      {u"(\\w+\\s?)+$", u"a few words of an ordinary sentence that ends badly!"},
  };
  for (const Case& c : cases) {
    Set(c.pattern);
    Variant out;
    Variant execute[] = {Variant(c.subject)};
    EXPECT_FALSE(regExp.Get()->Invoke(u"Execute", DispatchKind::Call, execute, out))
        << "pattern #" << (&c - cases);
    EXPECT_TRUE(out.IsEmpty());
    Variant replace[] = {Variant(c.subject), Variant(u"x")};
    EXPECT_FALSE(regExp.Get()->Invoke(u"Replace", DispatchKind::Call, replace, out));
  }
}

TEST_F(RegExpTest, EarlierCollectionsKeepTheirMatches) {
  Set(u"\\d");
  ComObject first = regExp.CallObject("Execute", {Variant(u"1 2 3")});
  Set(u"[a-z]");
  ComObject second = regExp.CallObject("Execute", {Variant(u"xy")});
  regExp.Clear();
  EXPECT_EQ(first.CallNumber("Count"), 3);
  EXPECT_EQ(first.CallObject("Item", {Variant(2)}).CallText("Value"), "3");
  EXPECT_EQ(second.CallNumber("Count"), 2);
}

}  // namespace
