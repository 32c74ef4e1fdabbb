#include "script/RegexObject.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "platform/codepage/CodePage.h"
#include "platform/com/Com.h"
#include "text/TextOps.h"

namespace {

const char kContextPattern[] = "context\":\"(.*?)\"},";
const char kTimePattern[] = "time\":\"(.*?)\"";
const char kMetaPattern[] = "<meta.+?charset=[^\\w]?([-\\w]+)";

// A trace answer after the workflow has given its last record the same
// ending as the others.
TextValue TraceText() {
  return GbkFromUtf8(
      "jQuery({\"message\":\"ok\",\"data\":["
      "{\"time\":\"2024-03-03 10:00:00\",\"context\":\"【深圳】已签收，签收人：本人\"},"
      "{\"time\":\"2024-03-02 18:30:00\",\"context\":\"快件到达 \\\"转运中心\\\"\"},"
      "{\"time\":\"2024-03-01 08:15:00\",\"context\":\"已揽收\"},"
      "\"state\":\"3\"})");
}

std::vector<TextValue> Groups(const RegexObject& regex) {
  std::vector<TextValue> groups;
  for (int i = 1; i <= regex.MatchCount(); ++i) groups.push_back(regex.GetSubMatch(i, 1));
  return groups;
}

TEST(RegexObject, WorkflowPatternsReadEveryGroup) {
  RegexObject context;
  RegexObject time;
  ASSERT_TRUE(context.Create(kContextPattern, TraceText()));
  ASSERT_TRUE(time.Create(kTimePattern, TraceText()));
  EXPECT_EQ(context.MatchCount(), 3);
  EXPECT_EQ(context.SubMatchCount(), 1);
  EXPECT_EQ(Groups(context), (std::vector<TextValue>{GbkFromUtf8("【深圳】已签收，签收人：本人"),
                                                     GbkFromUtf8("快件到达 \\\"转运中心\\\""),
                                                     GbkFromUtf8("已揽收")}));
  EXPECT_EQ(Groups(time), (std::vector<TextValue>{"2024-03-03 10:00:00", "2024-03-02 18:30:00",
                                                  "2024-03-01 08:15:00"}));
  EXPECT_EQ(time.GetMatchText(2), "time\":\"2024-03-02 18:30:00\"");
}

TEST(RegexObject, MetaCharsetPatternIgnoresCaseByDefault) {
  struct Case {
    const char* page;
    const char* charset;
  } cases[] = {
      {"<html><head><META http-equiv=\"Content-Type\" content=\"text/html; CHARSET=UTF-8\">",
       "UTF-8"},
      {"<meta charset=\"gb2312\"><title>x</title>", "gb2312"},
      {"<meta name=x content=y>\r\n<meta charset=big5>", "big5"},
  };
  for (const Case& c : cases) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create(kMetaPattern, c.page)) << c.page;
    EXPECT_EQ(regex.GetSubMatch(1, 1), c.charset) << c.page;
  }
  RegexObject sensitive;
  ASSERT_TRUE(sensitive.Create("charset", "CHARSET", /*caseSensitive=*/true));
  EXPECT_EQ(sensitive.MatchCount(), 0);
}

TEST(RegexObject, NothingFoundDiffersFromNotCompiling) {
  struct Case {
    const char* pattern;
    bool created;
  } cases[] = {{"nowhere(\\d+)", true}, {"context(\\d+", false}, {"[unclosed", false}};
  for (const Case& c : cases) {
    RegexObject regex;
    EXPECT_EQ(regex.Create(c.pattern, TraceText()), c.created) << c.pattern;
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.SubMatchCount(), 0);
    EXPECT_EQ(regex.GetMatchText(1), "");
    EXPECT_EQ(regex.GetSubMatch(1, 1), "");
  }
}

TEST(RegexObject, NumbersOutsideTheMatchesGiveEmptyText) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create(kTimePattern, TraceText()));
  ASSERT_EQ(regex.MatchCount(), 3);
  EXPECT_EQ(regex.GetSubMatch(0, 1), "");
  EXPECT_EQ(regex.GetSubMatch(4, 1), "");
  EXPECT_EQ(regex.GetSubMatch(1, 2), "");
  EXPECT_EQ(regex.GetSubMatch(1, 0), "");
  EXPECT_EQ(regex.GetSubMatch(-1, -1), "");
  EXPECT_EQ(regex.GetMatchText(0), "");
  EXPECT_EQ(regex.GetMatchText(4), "");
}

TEST(RegexObject, GroupThatTookNoPartIsEmpty) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(a)?(b)", "xb"));
  ASSERT_EQ(regex.MatchCount(), 1);
  EXPECT_EQ(regex.SubMatchCount(), 2);
  EXPECT_EQ(regex.GetMatchText(1), "b");
  EXPECT_EQ(regex.GetSubMatch(1, 1), "");
  EXPECT_EQ(regex.GetSubMatch(1, 2), "b");
}

TEST(RegexObject, QuoteMarkerStandsForADoubleQuoteOnlyWhenAsked) {
  const TextValue pattern = TextValue(kQuoteMarker) + "(.*?)" + TextValue(kQuoteMarker);
  const TextValue subject = "say \"hi\" and " + pattern + " \"yo\"";

  RegexObject quoted;
  ASSERT_TRUE(quoted.Create(pattern, subject, false, true, true, /*quoteMarker=*/true));
  EXPECT_EQ(quoted.GetPattern(), "\"(.*?)\"");
  EXPECT_EQ(Groups(quoted), (std::vector<TextValue>{"hi", "yo"}));

  RegexObject literal;
  ASSERT_TRUE(literal.Create(pattern, subject));
  EXPECT_EQ(literal.GetPattern(), pattern);
  EXPECT_EQ(Groups(literal), (std::vector<TextValue>{"(.*?)"}));
}

TEST(RegexObject, CharactersNotBytes) {
  struct Case {
    const char* pattern;
    const char* subject;
    int count;
    const char* first;
  } cases[] = {
      {"a.b", "a\nb", 0, ""},        {"a.b", "a\r\nb", 0, ""},           {"a.b", "a\rb", 0, ""},
      {"a.b", "a\tb", 1, "a\tb"},    {"^..$", "中文", 1, "中文"},        {"^...$", "中文", 0, ""},
      {"\\w+", "中abc文", 1, "abc"}, {"[^\\w]+", "ab中文cd", 1, "中文"},
  };
  for (const Case& c : cases) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create(GbkFromUtf8(c.pattern), GbkFromUtf8(c.subject))) << c.pattern;
    EXPECT_EQ(regex.MatchCount(), c.count) << c.pattern << " over " << c.subject;
    EXPECT_EQ(regex.GetMatchText(1), GbkFromUtf8(c.first)) << c.pattern;
  }
}

TEST(RegexObject, OptionsMultilineAndGlobal) {
  const TextValue lines = "one\r\ntwo\r\nthree";
  RegexObject regex;
  ASSERT_TRUE(regex.Create("^t\\w+$", lines));
  EXPECT_EQ(regex.MatchCount(), 2);
  EXPECT_EQ(regex.GetMatchText(2), "three");

  ASSERT_TRUE(regex.Create("^t\\w+$", lines, false, /*multiline=*/false));
  EXPECT_EQ(regex.MatchCount(), 0);

  ASSERT_TRUE(regex.Create(kTimePattern, TraceText(), false, true, /*global=*/false));
  EXPECT_EQ(regex.MatchCount(), 1);
  EXPECT_EQ(regex.GetSubMatch(1, 1), "2024-03-03 10:00:00");
}

TEST(RegexObject, ReplaceUsesTheLastSearch) {
  RegexObject regex;
  EXPECT_EQ(regex.Replace("x"), "");
  EXPECT_EQ(regex.GetPattern(), "");
  ASSERT_TRUE(regex.Create("(\\d+)-(\\d+)", GbkFromUtf8("日期 3-14 与 15-9")));
  EXPECT_EQ(regex.Replace("$2/$1"), GbkFromUtf8("日期 14/3 与 9/15"));
  EXPECT_EQ(regex.Replace(), GbkFromUtf8("日期  与 "));
  ASSERT_FALSE(regex.Create("(", "abc"));
  EXPECT_EQ(regex.Replace("x"), "");
}

TEST(RegexObject, PositionIsTheByteOffsetInTheGbkSubject) {
  // "中文" is four GBK bytes: the match "c中" starts at byte 6, its group at 7.
  const TextValue subject = GbkFromUtf8("中文abc中xc中");
  RegexObject regex;
  ASSERT_TRUE(regex.Create(GbkFromUtf8("c(中)|(q)"), subject));
  ASSERT_EQ(regex.MatchCount(), 2);
  int position = 0;
  EXPECT_EQ(regex.GetMatchText(1, &position), GbkFromUtf8("c中"));
  EXPECT_EQ(position, 6);
  EXPECT_EQ(regex.GetSubMatch(1, 1, &position), GbkFromUtf8("中"));
  EXPECT_EQ(position, 7);
  EXPECT_EQ(regex.GetMatchText(2, &position), GbkFromUtf8("c中"));
  EXPECT_EQ(position, 10);
  regex.GetSubMatch(1, 2, &position);  // the group took no part
  EXPECT_EQ(position, -2);
  regex.GetMatchText(3, &position);
  EXPECT_EQ(position, -2);
}

TEST(RegexObject, CreateAgainReplacesEverything) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create(kTimePattern, TraceText()));
  ASSERT_TRUE(regex.Create("(b)(c)", "abcbc"));
  EXPECT_EQ(regex.MatchCount(), 2);
  EXPECT_EQ(regex.SubMatchCount(), 2);
  EXPECT_EQ(regex.GetPattern(), "(b)(c)");
  EXPECT_EQ(regex.Replace("-"), "a--");
}

TEST(RegexObject, CloneSharesMatchesAndOutlivesTheOriginal) {
  const int before = ComNestingCount();
  {
    std::unique_ptr<RegexObject> original = std::make_unique<RegexObject>();
    ASSERT_TRUE(original->Create(kTimePattern, TraceText()));
    RegexObject copy = original->Clone();
    EXPECT_EQ(ComNestingCount(), before + 2);
    original.reset();
    EXPECT_EQ(ComNestingCount(), before + 1);
    EXPECT_EQ(copy.MatchCount(), 3);
    EXPECT_EQ(copy.GetSubMatch(3, 1), "2024-03-01 08:15:00");
    EXPECT_EQ(copy.Replace("T"),
              "jQuery({\"message\":\"ok\",\"data\":[{\"T,\"context\":\"" +
                  GbkFromUtf8("【深圳】已签收，签收人：本人") + "\"},{\"T,\"context\":\"" +
                  GbkFromUtf8("快件到达 \\\"转运中心\\\"") + "\"},{\"T,\"context\":\"" +
                  GbkFromUtf8("已揽收") + "\"},\"state\":\"3\"})");
  }
  EXPECT_EQ(ComNestingCount(), before);
}

TEST(RegexObject, ComCountIsBackAfterEveryOperation) {
  const int before = ComNestingCount();
  {
    RegexObject regex;
    EXPECT_EQ(ComNestingCount(), before + 1);
    regex.Create(kContextPattern, TraceText());
    regex.Create("(", "x");
    regex.MatchCount();
    regex.SubMatchCount();
    int position = 0;
    regex.GetMatchText(1, &position);
    regex.GetSubMatch(1, 1, &position);
    regex.Replace("x");
    regex.GetPattern();
    EXPECT_EQ(ComNestingCount(), before + 1);
  }
  EXPECT_EQ(ComNestingCount(), before);
}

TEST(RegexObject, WorksOnAThreadThatHadNotEnteredCom) {
  auto run = std::async(std::launch::async, [] {
    int entered = ComNestingCount();
    int count = -1;
    {
      RegexObject regex;
      if (regex.Create(kTimePattern, TraceText()))
        count = regex.MatchCount();
    }
    return std::vector<int>{entered, count, ComNestingCount()};
  });
  EXPECT_EQ(run.get(), (std::vector<int>{0, 3, 0}));
}

// Many openings of a record and no closing: the lazy group would try every
// opening against the rest of the line. The search must end, failing or
// with the right answer, never hang.
TEST(RegexObject, HostileSubjectEndsInBoundedTime) {
  TextValue subject;
  subject.reserve(2 << 20);
  while (subject.size() < (2u << 20)) subject += "{\"context\":\"x\",";
  auto run = std::async(std::launch::async, [&] {
    RegexObject regex;
    bool created = regex.Create(kContextPattern, subject);
    return std::pair<bool, int>(created, regex.MatchCount());
  });
  ASSERT_EQ(run.wait_for(std::chrono::seconds(60)), std::future_status::ready);
  auto [created, count] = run.get();
  if (created) {
    EXPECT_EQ(count, 0);
  }
}

}  // namespace
