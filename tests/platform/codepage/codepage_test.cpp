#include "platform/codepage/CodePage.h"

#include <gtest/gtest.h>

#include "platform/codepage/Collation.h"

namespace {

TEST(CodePage, ConvertsChineseBothWays) {
  const TextValue gbk = "\xB2\xE9\xD1\xAF";  // 查询
  EXPECT_EQ(GbkFromUtf8("查询"), gbk);
  EXPECT_EQ(Utf8FromGbk(gbk), "查询");
  ByteSet wide = GbkToUtf16(gbk);
  EXPECT_EQ(wide, (ByteSet{0xE5, 0x67, 0xE2, 0x8B, 0, 0}));
  EXPECT_EQ(Utf16ToGbk(wide), gbk);
}

TEST(CodePage, EmptyAndNulRules) {
  EXPECT_TRUE(GbkToUtf16("").empty());
  EXPECT_EQ(Utf16ToGbk(ByteSet{'a', 0, 0, 0, 'b', 0}), "a");
  EXPECT_EQ(Utf16ToGbk(ByteSet{'a', 0, 'b'}), "a");  // an odd last byte is no character
  EXPECT_EQ(WideToGbk(std::u16string(u"x\0y", 3)), "x");
}

TEST(CodePage, UnrepresentableCharactersBecomeTheDefaultCharacter) {
  EXPECT_EQ(WideToGbk(u"a\U0001F600b"), "a?b");  // an emoji has no GBK form
  EXPECT_EQ(WideToGbk(u"\u0E01"), "?");          // nor has Thai
  std::u16string loneSurrogate = u"a";
  loneSurrogate.push_back(0xD800);
  EXPECT_EQ(WideToGbk(loneSurrogate + u"b"), "a?b");
}

TEST(Collation, OrdersDigitRunsNumericallyAndIsConsistent) {
  EXPECT_LT(lstrcmpA("2018-04-09", "2018-04-10"), 0);
  EXPECT_LT(lstrcmpA("a9", "a10"), 0);
  EXPECT_EQ(lstrcmpA("abc", "abc"), 0);
  EXPECT_LT(lstrcmpA("", "a"), 0);
  EXPECT_EQ(lstrcmpA(nullptr, ""), 0);
  const TextValue a = GbkFromUtf8("已签收"), b = GbkFromUtf8("派送中");
  EXPECT_EQ(lstrcmpA(a.c_str(), b.c_str()), -lstrcmpA(b.c_str(), a.c_str()));
  EXPECT_NE(lstrcmpA(a.c_str(), b.c_str()), 0);
  EXPECT_LT(CollationKey("a9"), CollationKey("a10"));
}

}  // namespace
