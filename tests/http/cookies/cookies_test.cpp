#include <gtest/gtest.h>

#include "http/Cookies.h"
#include "platform/codepage/CodePage.h"

namespace {

struct MergeCase {
  const char* name;
  TextValue oldCookies;
  TextValue newCookies;
  TextValue merged;
  TextValue newAfter;  // newCookies as the call leaves it
};

class MergeCookiesTable : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeCookiesTable, ReturnsAndWritesBackTheMergedText) {
  const MergeCase& c = GetParam();
  TextValue cookies = c.oldCookies;
  TextValue newCookies = c.newCookies;
  TextValue result = MergeCookies(cookies, newCookies);
  EXPECT_EQ(result, c.merged);
  EXPECT_EQ(cookies, c.merged);
  EXPECT_EQ(newCookies, c.newAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeCookiesTable,
    ::testing::Values(
        MergeCase{"NewFirstThenOldNotReset", "a=1; b=2", "b=3; c=4", "b=3; c=4; a=1", "b=3;c=4"},
        MergeCase{"DeletionDropsOldItem", "a=1; b=2", "b=deleted", "a=1", "b=deleted"},
        MergeCase{"EmptyNew", "a=1", "", "a=1", ""}, MergeCase{"EmptyOld", "", "x=9", "x=9", "x=9"},
        MergeCase{"BothEmpty", "", "", "", ""},
        MergeCase{"SpacesInsideValuesRemoved", "a=hello world", "", "a=helloworld", ""},
        MergeCase{"FirstOldOfOneNameWins", "a=1;a=2", "", "a=1", ""},
        MergeCase{"IdenticalNewItemsCollapse", "", "a=1; a=1; a=2", "a=1; a=2", "a=1;a=1;a=2"},
        MergeCase{"NamesCompareWithCase", "SID=1", "sid=2", "sid=2; SID=1", "sid=2"},
        MergeCase{"DeletionIsCaseSensitive", "", "X=Deleted", "X=Deleted", "X=Deleted"},
        MergeCase{"ItemWithoutEquals", "flag; a=1", "a=2", "a=2; flag", "a=2"},
        MergeCase{"EmptyItemSurvivesOnce", "a=1;;b=2;;c=3", "", "a=1; ; b=2; c=3", ""},
        MergeCase{"NewDeletionAlsoBlocksOld", "sid=1; x=2", "sid=deleted", "x=2", "sid=deleted"},
        MergeCase{"NewDeletionOfUnknownName", "x=2", "y=deleted; z=1", "z=1; x=2", "y=deleted;z=1"},
        MergeCase{"SpacesAroundSeparators", "  a = 1 ;  b=2  ", " c=3 ", "c=3; a=1; b=2", "c=3"}),
    [](const ::testing::TestParamInfo<MergeCase>& info) { return std::string(info.param.name); });

TEST(MergeCookies, IdeographicSpaceIsRemovedButNotATrailByte) {
  // "值" is C1 B5; "　" (A1 A1) is a space; "啊" (B0 A1) followed by A1 A1
  // must not lose its trail byte.
  TextValue cookies = GbkFromUtf8("a=值　1; b=啊　");
  TextValue newCookies;
  EXPECT_EQ(MergeCookies(cookies, newCookies), GbkFromUtf8("a=值1; b=啊"));
}

TEST(CookieName, TakesTrimmedTextBeforeFirstEquals) {
  EXPECT_EQ(CookieName(" sid = a=b"), "sid");
  EXPECT_EQ(CookieName("  flag "), "flag");
  EXPECT_EQ(CookieName("=v"), "");
  EXPECT_EQ(CookieName(""), "");
}

TEST(CookieNameInList, ComparesNamesExactly) {
  TextArray items{"a=1", " B =2", "flag"};
  EXPECT_TRUE(CookieNameInList(items, "B"));
  EXPECT_TRUE(CookieNameInList(items, "flag"));
  EXPECT_FALSE(CookieNameInList(items, "b"));
  EXPECT_FALSE(CookieNameInList(TextArray{}, ""));
}

TEST(RemoveDuplicateItems, KeepsFirstOccurrences) {
  EXPECT_EQ(RemoveDuplicateItems("a; b; a", "; "), "a; b");
  EXPECT_EQ(RemoveDuplicateItems("", "; "), "");
  EXPECT_EQ(RemoveDuplicateItems("x,,y,,x", ","), "x,,y");
  EXPECT_EQ(RemoveDuplicateItems("a=1; A=1", "; "), "a=1; A=1");
}

TEST(IndexOfText, FirstExactMatchOrMinusOne) {
  TextArray items{"a", "b", "a"};
  EXPECT_EQ(IndexOfText(items, "a"), 1);
  EXPECT_EQ(IndexOfText(items, "b"), 2);
  EXPECT_EQ(IndexOfText(items, "A"), -1);
  EXPECT_EQ(IndexOfText(TextArray{}, ""), -1);
}

}  // namespace
