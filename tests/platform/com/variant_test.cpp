#include "platform/com/Variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/codepage/CodePage.h"

namespace {

TEST(Variant, ReadAsText) {
  struct Case {
    Variant value;
    std::u16string text;
  } cases[] = {
      {Variant(true), u"-1"},       {Variant(false), u"0"},      {Variant(42), u"42"},
      {Variant(-7), u"-7"},         {Variant(1.5), u"1.5"},      {Variant(-0.0), u"0"},
      {Variant(0.1 + 0.2), u"0.3"}, {Variant(1e20), u"1E+20"},   {Variant(), u""},
      {Variant::MakeNull(), u""},   {Variant(u"text"), u"text"}, {Variant(ByteSet{0x41}), u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.value.ToWide(), c.text) << "#" << (&c - cases);
  }
  EXPECT_EQ(Variant(u"literal").GetType(), Variant::Type::String);
  EXPECT_EQ(Variant::FromText(GbkFromUtf8("中文")).ToWide(), u"中文");
  EXPECT_EQ(Variant(std::u16string(u"a\0b", 3)).ToText(), "a");
}

TEST(Variant, TextReadAsNumberAndBool) {
  struct Case {
    std::u16string text;
    double number;
    bool flag;
  } cases[] = {
      {u"12", 12, true},  {u" -3.5 ", -3.5, true}, {u"1e3", 1000, true}, {u".5", 0.5, true},
      {u"0", 0, false},   {u"-1", -1, true},       {u"True", 0, true},   {u"false", 0, false},
      {u"", 0, false},    {u"abc", 0, false},      {u"12abc", 0, false}, {u"0x10", 0, false},
      {u"inf", 0, false}, {u"nan", 0, false},      {u"1e", 0, false},    {u"\u4e2d", 0, false},
      {u".", 0, false},   {u"+", 0, false},
  };
  for (const Case& c : cases) {
    Variant v(c.text);
    EXPECT_EQ(v.ToNumber(), c.number) << "#" << (&c - cases);
    EXPECT_EQ(v.ToBool(), c.flag) << "#" << (&c - cases);
  }
  EXPECT_EQ(Variant(true).ToNumber(), -1);
  EXPECT_FALSE(Variant(std::nan("")).ToBool());
  EXPECT_EQ(Variant::MakeNull().ToNumber(), 0);
}

}  // namespace
