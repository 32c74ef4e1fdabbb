#include "charset/ConvertCharset.h"

#include <gtest/gtest.h>

#include <future>
#include <string>

#include "platform/codepage/CodePage.h"
#include "platform/com/Com.h"

namespace {

ByteSet Bytes(std::string_view text) {
  return ByteSet(text.begin(), text.end());
}

TEST(ConvertCharset, Utf8ToGbk) {
  struct Case {
    std::string_view utf8;
    ByteSet gbk;
  } cases[] = {
      {"快递", {0xBF, 0xEC, 0xB5, 0xDD}},
      {"a\xE0\xB8\x81z", Bytes("a?z")},               // Thai: GBK lacks it
      {std::string_view("中\0文", 7), {0xD6, 0xD0}},  // the text ends at a NUL
      {"a\xFF\xFEz", Bytes("a??z")},                  // invalid UTF-8 is replaced
      {"ab\xE4\xB8", Bytes("ab?")},                   // cut inside a character
      {"", {}},
  };
  for (const Case& c : cases) {
    TextValue from = "UTF-8";
    TextValue to = "GBK";
    EXPECT_EQ(ConvertCharset(Bytes(c.utf8), from, to), c.gbk) << c.utf8;
  }
}

TEST(ConvertCharset, EmptyNamesBecomeTheDefaultsInTheCallersVariables) {
  TextValue from;
  TextValue to;
  EXPECT_EQ(ConvertCharset(Bytes("中"), from, to), (ByteSet{0xD6, 0xD0}));
  EXPECT_EQ(from, "UTF-8");
  EXPECT_EQ(to, "GBK");
  EXPECT_EQ(ConvertCharset(Bytes("中")), (ByteSet{0xD6, 0xD0}));
  TextValue gbk = "GBK";
  EXPECT_EQ(ConvertCharset(ByteSet{0xD6, 0xD0}, gbk), (ByteSet{0xD6, 0xD0}));
}

TEST(ConvertCharset, ReadFromSkipsLeadingBytesOfTheResult) {
  const ByteSet gbk = {0xD6, 0xD0, 0x41};
  struct Case {
    const char* to;
    std::optional<int> readFrom;
    ByteSet result;
  } cases[] = {
      {"UTF-8", std::nullopt, {0xEF, 0xBB, 0xBF, 0xE4, 0xB8, 0xAD, 0x41}},
      {"UTF-8", 3, {0xE4, 0xB8, 0xAD, 0x41}},
      {"unicode", 2, {0x2D, 0x4E, 0x41, 0x00}},
      {"GBK", std::nullopt, gbk},
      {"GBK", 2, {0x41}},
      {"GBK", 0, gbk},
      {"GBK", 9, {}},
      {"GBK", -1, gbk},  // refused by the stream: it reads from the start
  };
  for (const Case& c : cases) {
    TextValue from = "gb2312";
    TextValue to = c.to;
    EXPECT_EQ(ConvertCharset(gbk, from, to, c.readFrom), c.result)
        << c.to << " from " << c.readFrom.value_or(-99);
  }
}

TEST(ConvertCharset, SameCharsetStillRunsBothHalves) {
  TextValue from = "UTF-8";
  TextValue to = "UTF-8";
  EXPECT_EQ(ConvertCharset(Bytes("\xEF\xBB\xBFok\xE0\xB8\x81"), from, to),
            Bytes("\xEF\xBB\xBFok?"));
}

// An unknown name leaves the stream in the charset it had: the source
// charset for the second half, the default UTF-16LE for the first.
TEST(ConvertCharset, UnknownCharsetNames) {
  TextValue from = "UTF-8";
  TextValue to = "no-such-charset";
  EXPECT_EQ(ConvertCharset(Bytes("AB"), from, to), Bytes("\xEF\xBB\xBF"
                                                         "AB"));
  EXPECT_EQ(to, "no-such-charset");
  from = "no-such-charset";
  to = "GBK";
  EXPECT_EQ(ConvertCharset(ByteSet{0x41, 0x00, 0x42, 0x00}, from, to), Bytes("AB"));
}

TEST(ConvertCharset, ComCountIsBackOnEveryPath) {
  auto run = std::async(std::launch::async, [] {
    std::vector<int> counts{ComNestingCount()};
    TextValue from = "UTF-8";
    TextValue to = "GBK";
    ByteSet ok = ConvertCharset(Bytes("中"), from, to);
    counts.push_back(ComNestingCount());
    TextValue bad = "no-such-charset";
    ConvertCharset(ByteSet{}, bad, bad, 5);
    counts.push_back(ComNestingCount());
    CoInitialize(nullptr);
    ConvertCharset(Bytes("x"));
    counts.push_back(ComNestingCount());
    CoUninitialize();
    counts.push_back(ok.size() == 2 ? 1 : 0);
    return counts;
  });
  EXPECT_EQ(run.get(), (std::vector<int>{0, 0, 0, 1, 1}));
}

}  // namespace
