// The stream component reached by name, in the order its callers use it.
#include <gtest/gtest.h>

#include <string>

#include "platform/com/Com.h"
#include "platform/com/ComObject.h"

namespace {

class StreamTest : public testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    ASSERT_TRUE(stream.Create("Adodb.Stream"));
  }
  void TearDown() override {
    stream.Clear();
    CoUninitialize();
  }

  // The bytes a text becomes in `charset`.
  ByteSet Encode(const char* charset, const std::u16string& text) {
    stream.Put("Type", Variant(2));
    EXPECT_TRUE(stream.Put("Charset", Variant::FromText(charset))) << charset;
    stream.CallNone("Open");
    stream.CallNone("WriteText", {Variant(text)});
    stream.Put("Position", Variant(0));
    stream.Put("Type", Variant(1));
    ByteSet bytes = stream.Call("Read").Bytes();
    stream.CallNone("Close");
    return bytes;
  }

  // The text bytes read as in `charset`, from byte `from`.
  std::u16string Decode(const char* charset, const ByteSet& bytes, int from = 0) {
    stream.Put("Type", Variant(1));
    stream.CallNone("Open");
    stream.CallNone("Write", {Variant(bytes)});
    stream.Put("Position", Variant(0));
    stream.Put("Type", Variant(2));
    stream.Put("Position", Variant(from));
    EXPECT_TRUE(stream.Put("Charset", Variant::FromText(charset))) << charset;
    std::u16string text = stream.Call("ReadText").ToWide();
    stream.CallNone("Close");
    return text;
  }

  ComObject stream;
};

TEST_F(StreamTest, CharsetNamesAndByteOrderMarks) {
  const std::u16string chinese = u"\u4e2d\u6587A";
  const ByteSet gbk = {0xD6, 0xD0, 0xCE, 0xC4, 0x41};
  struct Case {
    const char* charset;
    std::u16string text;
    ByteSet bytes;
  } cases[] = {
      {"GBK", chinese, gbk},
      {"gb2312", chinese, gbk},
      {"cp936", chinese, gbk},
      {"Windows-936", chinese, gbk},
      {"gb2312", u"\u9555", {0xE9, 0x46}},  // beyond GB2312, in code page 936
      {"UTF-8", chinese, {0xEF, 0xBB, 0xBF, 0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87, 0x41}},
      {"unicode", chinese, {0xFF, 0xFE, 0x2D, 0x4E, 0x87, 0x65, 0x41, 0x00}},
      {"unicodeFFFE", u"A", {0xFE, 0xFF, 0x00, 0x41}},
      {"big5", chinese, {0xA4, 0xA4, 0xA4, 0xE5, 0x41}},
      {"iso-8859-1", u"\u00e9", {0xE9}},
      {"windows-1252", u"\u20ac", {0x80}},
      {"us-ascii", u"A\u00e9", {0x41, 0x3F}},
      {"Shift_JIS", chinese, {0x92, 0x86, 0x95, 0xB6, 0x41}},
      {"GBK", u"a\u0e01b", {0x61, 0x3F, 0x62}},  // a character GBK lacks
      {"UTF-8", u"", {}},                        // no mark without text
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Encode(c.charset, c.text), c.bytes) << c.charset;
  }
}

TEST_F(StreamTest, UnknownCharsetIsRefusedAndTheOldOneKept) {
  EXPECT_EQ(stream.CallText("Charset"), "Unicode");
  EXPECT_TRUE(stream.Put("Charset", Variant(u"utf-8")));
  for (const char16_t* name : {u"no-such-charset", u"", u"ibm-1383_P110-1999", u"\u4e2d"}) {
    EXPECT_FALSE(stream.Put("Charset", Variant(name)));
  }
  EXPECT_EQ(stream.CallText("Charset"), "utf-8");
  stream.CallNone("Open");
  stream.CallNone("WriteText", {Variant(u"\u00e9")});
  stream.Put("Position", Variant(0));
  stream.Put("Type", Variant(1));
  EXPECT_EQ(stream.Call("Read").Bytes(), (ByteSet{0xEF, 0xBB, 0xBF, 0xC3, 0xA9}));
}

TEST_F(StreamTest, DecodingSkipsTheMarkAtTheStartAndReplacesInvalidBytes) {
  struct Case {
    const char* charset;
    ByteSet bytes;
    int from;
    std::u16string text;
  } cases[] = {
      {"UTF-8", {0xEF, 0xBB, 0xBF, 0xE4, 0xB8, 0xAD}, 0, u"\u4e2d"},
      {"UTF-8", {0x41, 0xEF, 0xBB, 0xBF}, 1, u"\ufeff"},  // a mark elsewhere is text
      {"unicode", {0xFF, 0xFE, 0x41, 0x00}, 0, u"A"},
      {"GBK", {0xFF, 0xFE, 0x41}, 0, u"\uf8f5\ufa0d"},  // GBK has no mark to skip
      {"UTF-8", {0x61, 0xFF, 0x62, 0xE4, 0xB8}, 0, u"a\ufffdb\ufffd"},
      {"GBK", {0xD6, 0xD0, 0x00, 0xCE, 0xC4}, 0, std::u16string(u"\u4e2d\0\u6587", 3)},
      {"GBK", {0xD6, 0xD0, 0xCE, 0xC4}, 2, u"\u6587"},
      {"GBK", {0xD6}, 0, u"\ufffd"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decode(c.charset, c.bytes, c.from), c.text) << c.charset << " #" << (&c - cases);
  }
}

TEST_F(StreamTest, ReadFromAPositionAndOverwrite) {
  stream.Put("Type", Variant(1));
  stream.CallNone("Open");
  stream.CallNone("Write", {Variant(ByteSet{1, 2, 3, 4, 5})});
  EXPECT_EQ(stream.CallNumber("Size"), 5);
  EXPECT_TRUE(stream.CallBool("EOS"));
  stream.Put("Position", Variant(1));
  stream.CallNone("Write", {Variant(ByteSet{9, 9})});
  stream.Put("Position", Variant(3));
  EXPECT_EQ(stream.Call("Read").Bytes(), (ByteSet{4, 5}));
  stream.Put("Position", Variant(0));
  EXPECT_EQ(stream.Call("Read", {Variant(2)}).Bytes(), (ByteSet{1, 9}));
  EXPECT_EQ(stream.CallNumber("Position"), 2);
  stream.Put("Position", Variant(8));
  EXPECT_EQ(stream.Call("Read").Bytes(), ByteSet{});
  stream.Put("Position", Variant(2));
  stream.CallNone("SetEOS");
  EXPECT_EQ(stream.CallNumber("Size"), 2);
}

TEST_F(StreamTest, OperationsOutOfModeFail) {
  auto fails = [&](std::u16string_view name, DispatchKind kind, std::initializer_list<Variant> a) {
    Variant out;
    return !stream.Get()->Invoke(name, kind, std::span<const Variant>(a.begin(), a.size()), out);
  };
  // Closed: nothing but the properties and Open.
  EXPECT_TRUE(fails(u"Write", DispatchKind::Call, {Variant(ByteSet{1})}));
  EXPECT_TRUE(fails(u"ReadText", DispatchKind::Call, {}));
  EXPECT_TRUE(fails(u"Position", DispatchKind::Put, {Variant(0)}));
  EXPECT_TRUE(fails(u"Close", DispatchKind::Call, {}));
  EXPECT_FALSE(fails(u"Open", DispatchKind::Call, {}));
  EXPECT_TRUE(fails(u"Open", DispatchKind::Call, {}));

  // Text by default: bytes refused.
  EXPECT_TRUE(fails(u"Write", DispatchKind::Call, {Variant(ByteSet{1})}));
  EXPECT_TRUE(fails(u"Read", DispatchKind::Call, {}));
  EXPECT_FALSE(fails(u"WriteText", DispatchKind::Call, {Variant(u"ab")}));
  // The type changes only at position 0.
  EXPECT_TRUE(fails(u"Type", DispatchKind::Put, {Variant(1)}));
  EXPECT_FALSE(fails(u"Position", DispatchKind::Put, {Variant(0)}));
  EXPECT_FALSE(fails(u"Type", DispatchKind::Put, {Variant(1)}));
  EXPECT_TRUE(fails(u"WriteText", DispatchKind::Call, {Variant(u"ab")}));
  EXPECT_TRUE(fails(u"Write", DispatchKind::Call, {Variant(u"ab")}));
  EXPECT_TRUE(fails(u"Type", DispatchKind::Put, {Variant(3)}));
  EXPECT_TRUE(fails(u"Position", DispatchKind::Put, {Variant(-1)}));
  EXPECT_EQ(stream.Call("Read").Bytes(), (ByteSet{0xFF, 0xFE, 'a', 0, 'b', 0}));

  // Close discards the bytes; Open starts empty.
  EXPECT_FALSE(fails(u"Close", DispatchKind::Call, {}));
  EXPECT_FALSE(fails(u"Open", DispatchKind::Call, {}));
  EXPECT_EQ(stream.CallNumber("Size"), 0);
}

}  // namespace
