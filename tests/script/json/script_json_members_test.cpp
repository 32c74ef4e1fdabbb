// Member access and editing by path on one small document.
#include <gtest/gtest.h>

#include "platform/com/Com.h"
#include "script/ScriptJson.h"

namespace {

class ScriptJsonMembers : public testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    json = std::make_unique<ScriptJson>();
    ASSERT_TRUE(json->Parse(kDocument));
  }
  void TearDown() override {
    json.reset();
    CoUninitialize();
  }

  static constexpr const char* kDocument =
      "{\"a\":{\"b\":[1,2,3]},\"s\":\"text\",\"n\":1.5,\"t\":true,\"z\":null}";
  std::unique_ptr<ScriptJson> json;
};

TEST_F(ScriptJsonMembers, GetTextReadsEveryKind) {
  struct Case {
    const char* path;
    bool asJson;
    const char* text;
  };
  const Case cases[] = {
      {"a.b[1]", false, "2"},
      {"n", false, "1.5"},
      {"t", false, "-1"},
      {"s", false, "text"},
      {"z", false, ""},
      {"missing", false, ""},
      {"a", true, "{\"b\":[1,2,3]}"},
      {"s", true, "\"text\""},
      {"a.c.d", true, ""},  // through a member that does not exist
      {"a", false, "[object Object]"},
      // A leading "[" reaches the document but never the number format.
      {"[\"n\"]", false, "1.5"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(json->GetText(c.path, c.asJson), c.text) << c.path;
  }
  EXPECT_EQ(json->GetMemberJson("a.b"), "[1,2,3]");
  EXPECT_EQ(json->GetNumber("a.b[2]"), 3);
  EXPECT_EQ(json->GetNumber("s"), 0);
  EXPECT_EQ(json->GetElementText(1, "a.b"), "2");
  EXPECT_EQ(json->GetElementText(0, "a.b", true), "1");
}

TEST_F(ScriptJsonMembers, NumbersReadBackInThirteenDigits) {
  json->SetNumber("n", 0.25);
  EXPECT_EQ(json->GetNumber("n"), 0.25);
  EXPECT_EQ(json->GetText("n"), "0.25");
  json->SetNumber("n", 1.0 / 3);
  EXPECT_EQ(json->GetText("n"), "0.3333333333333");
  json->SetNumber("n", 1e21);
  EXPECT_EQ(json->GetText("n"), "1e+21");
  json->SetNumber("big", 123456789012345.0);
  EXPECT_EQ(json->GetText("big"), "1.234567890123e+14");
}

TEST_F(ScriptJsonMembers, CountTypeOfAndListKeys) {
  EXPECT_EQ(json->Count("a.b"), 3);
  EXPECT_EQ(json->Count("a"), 1);
  EXPECT_EQ(json->Count(), 5);
  // The loader's correction of 2 applies to a target that visits nothing.
  EXPECT_EQ(json->Count("missing"), -2);

  struct Case {
    const char* path;
    int type;
  };
  const Case cases[] = {
      {"a", kJsonObject},     {"a.b", kJsonArray}, {"s", kJsonString},
      {"n", kJsonNumber},     {"t", kJsonBool},    {"z", kJsonNull},
      {"missing", kJsonNull}, {"[0]", kJsonOther},  // cannot be evaluated in the dotted join
      {"", kJsonObject},
  };
  for (const Case& c : cases) EXPECT_EQ(json->TypeOf(c.path), c.type) << c.path;

  TextArray keys{"stale"};
  EXPECT_EQ(json->ListKeys(keys), 5);
  EXPECT_EQ(keys, (TextArray{"a", "s", "n", "t", "z"}));
  EXPECT_EQ(json->ListKeys(keys, "a.b"), 3);
  EXPECT_EQ(keys, (TextArray{"0", "1", "2"}));
  EXPECT_EQ(json->ListKeys(keys, "s.x"), 0);
  EXPECT_TRUE(keys.Empty());
}

TEST_F(ScriptJsonMembers, ListKeysRemovesTheAddedNamesEvenInsideLongerNames) {
  ASSERT_TRUE(json->Parse("{\"mytoJSONString,x\":1,\"k\":2}"));
  TextArray keys;
  EXPECT_EQ(json->ListKeys(keys), 2);
  EXPECT_EQ(keys, (TextArray{"myx", "k"}));
}

TEST_F(ScriptJsonMembers, EmptyContainersCountZero) {
  json->Reset(kJsonObject);
  EXPECT_EQ(json->Count(), 0);
  json->Reset(kJsonArray);
  EXPECT_EQ(json->Count(), 0);
  EXPECT_EQ(json->ToJson(), "[]");
}

TEST_F(ScriptJsonMembers, HasMemberIsFalseForMissingAndNull) {
  EXPECT_TRUE(json->HasMember("a.b"));
  EXPECT_FALSE(json->HasMember("a.c"));
  EXPECT_FALSE(json->HasMember("z"));
  EXPECT_FALSE(json->HasMember("a.c.d"));
  json->DeleteMember("s");
  EXPECT_FALSE(json->HasMember("s"));
  EXPECT_EQ(json->ToJson(), "{\"a\":{\"b\":[1,2,3]},\"n\":1.5,\"t\":true,\"z\":null}");
}

TEST_F(ScriptJsonMembers, SetMemberInStringAndJsonForm) {
  json->SetMember("x", "0042");
  EXPECT_EQ(json->TypeOf("x"), kJsonString);
  EXPECT_EQ(json->GetText("x"), "0042");
  json->SetMember("y", "", true);
  EXPECT_EQ(json->GetMemberJson("y"), "{}");
  json->SetMember("y", "[1,{\"k\":'v'}]", true);
  EXPECT_EQ(json->GetMemberJson("y"), "[1,{\"k\":\"v\"}]");
  json->SetMemberJson("a.b", "{c:1}");
  EXPECT_EQ(json->GetMemberJson("a"), "{\"b\":{\"c\":1}}");
  // Escapes in string form are the script's own.
  json->SetMember("e", "tab\\there");
  EXPECT_EQ(json->GetText("e"), "tab\there");
}

TEST_F(ScriptJsonMembers, TextsTheEngineRejectsChangeNothing) {
  const TextValue before = json->ToJson();
  json->SetMember("s", "it's");
  json->SetMember("s", "two\nlines");
  json->SetMember("", "v");
  json->SetMember("missing.x", "v");
  json->SetNumber("", 1);
  json->DeleteMember("");
  json->SetMemberJson("s", "{broken");
  EXPECT_EQ(json->ToJson(), before);
  EXPECT_EQ(json->GetText("s"), "text");
}

TEST_F(ScriptJsonMembers, PushTurnsANonArrayIntoAnArray) {
  json->Push("first", "s");
  EXPECT_EQ(json->GetMemberJson("s"), "[\"first\"]");
  json->Push("{\"k\":1}", "s", true);
  EXPECT_EQ(json->GetMemberJson("s"), "[\"first\",{\"k\":1}]");
  json->Push("4", "a.b", true);
  EXPECT_EQ(json->Count("a.b"), 4);
  // With no path the whole document becomes an array.
  json->Push("only");
  EXPECT_EQ(json->ToJson(), "[\"only\"]");
}

TEST_F(ScriptJsonMembers, ElementsOfAnArrayDocument) {
  ASSERT_TRUE(json->Parse("[\"x\",\"y\"]"));
  json->RemoveElement(0);
  EXPECT_EQ(json->ToJson(), "[\"y\"]");
  json->SetElement(4, "e");
  EXPECT_EQ(json->GetNumber("length"), 5);
  EXPECT_EQ(json->Count(), 2);  // a for-in skips the gaps
  EXPECT_EQ(json->ToJson(), "[\"y\",null,null,null,\"e\"]");
  json->SetElement(1, "{\"k\":[1]}", true);
  EXPECT_EQ(json->GetElementText(1, "", true), "{\"k\":[1]}");
  EXPECT_EQ(json->GetElementText(4), "e");
  EXPECT_EQ(json->GetElementText(2), "");
}

TEST_F(ScriptJsonMembers, ResetSetRootAndClear) {
  json->Reset(kJsonArray);
  EXPECT_EQ(json->ToJson(), "[]");
  json->Reset(static_cast<JsonType>(3));
  EXPECT_EQ(json->ToJson(), "[]");
  json->Reset(kJsonNull);
  EXPECT_EQ(json->ToJson(), "{}");
  json->SetRoot("plain");
  EXPECT_EQ(json->ToJson(), "\"plain\"");
  json->SetRoot("[1,2]", true);
  EXPECT_EQ(json->Count(), 2);
  json->Clear();
  EXPECT_EQ(json->ToJson(), "{}");
}

TEST_F(ScriptJsonMembers, ObjectsTakenOutAreIndependentCopies) {
  ScriptJson a = json->GetObject("a");
  EXPECT_EQ(a.ToJson(), "{\"b\":[1,2,3]}");
  a.SetMember("added", "1");
  a.RemoveElement(0);
  EXPECT_EQ(json->GetMemberJson("a"), "{\"b\":[1,2,3]}");
  json->SetNumber("a.b[0]", 9);
  EXPECT_EQ(a.GetMemberJson("b"), "[1,2,3]");

  ScriptJson element = json->GetElementObject(2, "a.b");
  EXPECT_EQ(element.ToJson(), "3");
  EXPECT_EQ(json->GetObject("missing").ToJson(), "");
  EXPECT_EQ(json->GetObject("[\"a\"]").ToJson(), "{\"b\":[9,2,3]}");
}

}  // namespace
