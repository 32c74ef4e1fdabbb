#include "text/SortTextLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/codepage/CodePage.h"
#include "platform/codepage/Collation.h"

namespace {

TEST(SortTextLines, SortsTimeStampedLinesNewestFirst) {
  TextArray lines{"2018-04-10 09:00:00  b", "2018-04-09 18:30:00  a", "2018-04-10 12:15:00  c"};
  SortTextLines(lines, true);
  EXPECT_EQ(lines, (TextArray{"2018-04-10 12:15:00  c", "2018-04-10 09:00:00  b",
                              "2018-04-09 18:30:00  a"}));
}

TEST(SortTextLines, HandlesEmptyOneEqualAndEmptyLines) {
  for (bool descending : {false, true}) {
    TextArray none;
    SortTextLines(none, descending);
    EXPECT_TRUE(none.Empty());
    TextArray one{"x"};
    SortTextLines(one, descending);
    EXPECT_EQ(one, TextArray{"x"});
    TextArray same{"s", "s", "s"};
    SortTextLines(same, descending);
    EXPECT_EQ(same, (TextArray{"s", "s", "s"}));
  }
  TextArray withEmpty{"b", "", "a"};
  SortTextLines(withEmpty);
  EXPECT_EQ(withEmpty, (TextArray{"", "a", "b"}));
  SortTextLines(withEmpty, true);
  EXPECT_EQ(withEmpty, (TextArray{"b", "a", ""}));
}

TEST(SortTextLines, OrdersDigitsNumericallyAndChineseConsistently) {
  TextArray lines{"item 10", "item 9", "item 100"};
  SortTextLines(lines);
  EXPECT_EQ(lines, (TextArray{"item 9", "item 10", "item 100"}));

  const TextValue a = GbkFromUtf8("2018-04-10 09:00:00  已签收");
  const TextValue b = GbkFromUtf8("2018-04-10 09:00:00  派送中");
  TextArray chinese{a, b};
  SortTextLines(chinese);
  TextArray reversed{b, a};
  SortTextLines(reversed);
  EXPECT_EQ(chinese, reversed);
  EXPECT_LT(lstrcmpA(chinese.At(1).c_str(), chinese.At(2).c_str()), 0);
}

// The placement of equal lines follows the insertion rules: a line equal to
// the last goes after it, one equal to the first before it. Texts that
// collate equal but differ in bytes show the placement.
TEST(SortTextLines, PlacesCollationEqualLinesByTheInsertionRules) {
  const TextValue nulLess = "a";
  const TextValue withIgnorable = "a\x01";  // a control character the collation ignores
  ASSERT_EQ(lstrcmpA(nulLess.c_str(), withIgnorable.c_str()), 0);
  TextArray lines{nulLess, withIgnorable};
  SortTextLines(lines);
  EXPECT_EQ(lines, (TextArray{nulLess, withIgnorable}));  // after the equal last line
  TextArray three{"b", nulLess, withIgnorable};
  SortTextLines(three);
  EXPECT_EQ(three, (TextArray{withIgnorable, nulLess, "b"}));  // before the equal first line
}

// Agrees with a plain binary-insertion sort over a flat array on many lines.
TEST(SortTextLines, MatchesAFlatInsertionSortOnManyLines) {
  std::mt19937 random(7);
  TextArray lines;
  for (int i = 0; i < 3000; ++i) {
    lines.Append("2018-04-" + std::to_string(10 + random() % 20) + " " +
                 std::to_string(random() % 24) + ":00  e" + std::to_string(random() % 50));
  }
  std::vector<TextValue> flat;
  for (const TextValue& x : lines.Items()) {
    auto order = [](const TextValue& p, const TextValue& q) {
      return lstrcmpA(p.c_str(), q.c_str());
    };
    int m = static_cast<int>(flat.size());
    int at;
    if (m == 0 || order(x, flat[m - 1]) >= 0) {
      at = m;
    } else if (order(x, flat[0]) <= 0) {
      at = 0;
    } else {
      int lo = 1, hi = m, mid = (lo + hi) / 2;
      while (hi - lo > 1) {
        if (x == flat[mid - 1])
          break;
        if (order(x, flat[mid - 1]) < 0) {
          hi = mid;
        } else {
          lo = mid;
        }
        mid = (lo + hi) / 2;
      }
      at = order(x, flat[mid - 1]) > 0 ? mid : mid - 1;
    }
    flat.insert(flat.begin() + at, x);
  }
  SortTextLines(lines);
  EXPECT_EQ(lines.Items(), flat);
}

TEST(ReverseTextArray, SwapsAroundTheMiddle) {
  TextArray five{"1", "2", "3", "4", "5"};
  ReverseTextArray(five);
  EXPECT_EQ(five, (TextArray{"5", "4", "3", "2", "1"}));
  TextArray four{"1", "2", "3", "4"};
  ReverseTextArray(four);
  EXPECT_EQ(four, (TextArray{"4", "3", "2", "1"}));
}

TEST(SortTextLines, CaseInsensitiveComparesUpperCasedCopies) {
  TextArray lines{"b", "A", "a", "B"};
  SortTextLines(lines, false, false);
  EXPECT_EQ(lines, (TextArray{"a", "A", "b", "B"}));
}

}  // namespace
