// The JSON object itself: loading, serialising, copies, COM entry and exit,
// and answers that try to hang or exhaust the engine.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/codepage/CodePage.h"
#include "platform/com/Com.h"
#include "platform/components/Components.h"
#include "platform/components/ScriptControl.h"
#include "script/ScriptJson.h"

namespace {

// Each test runs inside one COM level of its own, as a worker would.
class ScriptJsonCore : public testing::Test {
 protected:
  void SetUp() override { CoInitialize(nullptr); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(ScriptJsonCore, NewObjectHoldsAnEmptyObject) {
  ScriptJson json;
  EXPECT_EQ(json.ToJson(), "{}");
}

TEST_F(ScriptJsonCore, ParseResultAndDocumentAfterwards) {
  struct Case {
    const char* text;
    bool parsed;
    const char* json;
  };
  const Case cases[] = {
      {"{ \"a\" : [1, 2.5, \"x\"],\n \"b\" : {\"c\" : null} }", true,
       "{\"a\":[1,2.5,\"x\"],\"b\":{\"c\":null}}"},
      {"[true, false]", true, "[true,false]"},
      {"{a:'single', 'b':2}", true, "{\"a\":\"single\",\"b\":2}"},
      {"42", true, "42"},
      {"null", false, "null"},
      {"", false, ""},  // eval() gives undefined
      {"{\"a\":1", false, "null"},
      {"jsonp_cb({\"a\":1})", false, "null"},
      // A string literal is run as script by eval.
      {"'[1,2]'", true, "[1,2]"},
      {"'no such code'", false, "null"},
      // A call of a function the engine has is taken.
      {"get__count([1,2])", true, "2"},
  };
  for (const Case& c : cases) {
    ScriptJson json;
    EXPECT_EQ(json.Parse(c.text), c.parsed) << c.text;
    EXPECT_EQ(json.ToJson(), c.json) << c.text;
  }
}

TEST_F(ScriptJsonCore, ParseReplacesTheWholeEngine) {
  ScriptJson json;
  json.SetMember("added", "1");
  ASSERT_TRUE(json.Parse("{\"a\":1}"));
  EXPECT_EQ(json.ToJson(), "{\"a\":1}");
  // Globals that an earlier answer left behind are gone too.
  ASSERT_TRUE(json.Parse("{\"v\":(leftover=1)}"));
  ASSERT_TRUE(json.Parse("{\"g\":typeof leftover}"));
  EXPECT_EQ(json.ToJson(), "{\"g\":\"undefined\"}");
}

TEST_F(ScriptJsonCore, ChineseRoundTripsInGbk) {
  static const TextValue kText = GbkFromUtf8("{\"公司\":\"顺丰速运\",\"地点\":\"深圳 转运中心\"}");
  ScriptJson json;
  ASSERT_TRUE(json.Parse(kText));
  EXPECT_EQ(json.ToJson(), kText);
  EXPECT_EQ(json.GetText(GbkFromUtf8("公司")), GbkFromUtf8("顺丰速运"));
}

TEST_F(ScriptJsonCore, CloneSharesTheDocumentBothWays) {
  ScriptJson json;
  ASSERT_TRUE(json.Parse("{\"a\":1}"));
  ScriptJson copy = json.Clone();
  json.SetMember("b", "from original");
  copy.SetNumber("a", 7);
  EXPECT_EQ(copy.ToJson(), "{\"a\":7,\"b\":\"from original\"}");
  EXPECT_EQ(json.ToJson(), copy.ToJson());
}

TEST_F(ScriptJsonCore, CloneOutlivesItsOriginal) {
  ScriptJson copy = [] {
    ScriptJson original;
    original.Parse("[1,2]");
    return original.Clone();
  }();
  EXPECT_EQ(copy.ToJson(), "[1,2]");
}

TEST_F(ScriptJsonCore, ComCountComesBackOnEveryPath) {
  const int before = ComNestingCount();
  {
    ScriptJson json;
    EXPECT_EQ(ComNestingCount(), before + 1);
  }
  EXPECT_EQ(ComNestingCount(), before);
  {
    ScriptJson json;
    json.Parse("{\"a\":{\"b\":[{\"c\":1}]}}");
    json.Parse("not json");
    json.Parse("{}");
    ScriptJson object = json.GetObject("a");
    ScriptJson element = object.GetElementObject(0, "b");
    ScriptJson copy = json.Clone();
    ScriptJson moved = std::move(copy);
    ScriptJson reparsed = element.Clone();
    reparsed.Parse("[3]");  // a copy that loads its own engine enters COM once
    EXPECT_EQ(ComNestingCount(), before + 2);
  }
  EXPECT_EQ(ComNestingCount(), before);
}

TEST_F(ScriptJsonCore, ObjectWorksOnAThreadWithNoComOfItsOwn) {
  TextValue result;
  int countAfter = -1;
  std::thread worker([&] {
    {
      ScriptJson json;  // enters COM on this thread itself
      if (json.Parse("{\"n\":[1,2,3]}"))
        result = json.ToJson();
    }
    countAfter = ComNestingCount();
  });
  worker.join();
  EXPECT_EQ(result, "{\"n\":[1,2,3]}");
  EXPECT_EQ(countAfter, 0);
}

TEST_F(ScriptJsonCore, WithoutAComponentEverythingIsEmpty) {
  const int before = ComNestingCount();
  RegisterComponent(u"MSScriptControl.ScriptControl", [] { return nullptr; });
  {
    ScriptJson json;
    EXPECT_FALSE(json.Parse("{\"a\":1}"));
    EXPECT_EQ(json.ToJson(), "");
    EXPECT_EQ(json.Count(), 0);
    EXPECT_EQ(json.TypeOf("a"), kJsonOther);  // a failed evaluation
    EXPECT_FALSE(json.HasMember("a"));
    EXPECT_EQ(json.GetText("a"), "");
    EXPECT_EQ(json.GetObject("a").ToJson(), "");
  }
  RegisterComponent(u"MSScriptControl.ScriptControl", CreateScriptControl);
  EXPECT_EQ(ComNestingCount(), before);
  ScriptJson json;
  EXPECT_TRUE(json.Parse("{\"a\":1}"));  // a later object does get an engine
}

TEST_F(ScriptJsonCore, HostileAnswersEndWithinTheBudget) {
  const char* answers[] = {
      "(function(){while(1){}})()",
      "(function(){var a=[];for(;;){a.push([a.length,'grow'])}})()",
  };
  ScriptJson json;
  for (const char* answer : answers) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(json.Parse(answer)) << answer;
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(kScriptBudgetMs + 10000))
        << answer;
    EXPECT_TRUE(json.Parse("{\"next\":true}"));
    EXPECT_EQ(json.ToJson(), "{\"next\":true}");
  }
}

TEST_F(ScriptJsonCore, CallOfAMissingFunctionFailsAtOnce) {
  ScriptJson json;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(json.Parse("callback({\"status\":\"200\"})"));
  // Well inside the budget: the engine refused it, no watchdog was needed.
  EXPECT_LT(std::chrono::steady_clock::now() - start,
            std::chrono::milliseconds(kScriptBudgetMs / 2));
}

}  // namespace
