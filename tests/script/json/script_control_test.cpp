// The script component on its own: scope, completion values, conversions,
// failures, the sandbox and the budget.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/com/Com.h"
#include "platform/com/ComObject.h"
#include "platform/components/ScriptControl.h"

namespace {

class ScriptControlTest : public testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    ASSERT_TRUE(engine.Create("MSScriptControl.ScriptControl"));
    ASSERT_TRUE(engine.Put("Language", Variant::FromText("JavaScript")));
  }
  void TearDown() override {
    engine.Clear();
    CoUninitialize();
  }

  Variant Eval(const TextValue& text) { return engine.Call("Eval", {Variant::FromText(text)}); }
  TextValue EvalText(const TextValue& text) { return Eval(text).ToText(); }
  bool AddCode(const TextValue& text) {
    Variant ignored;
    Variant code = Variant::FromText(text);
    return engine.Get()->Invoke(u"AddCode", DispatchKind::Call, std::span(&code, 1), ignored);
  }

  ComObject engine;
};

TEST_F(ScriptControlTest, DeclarationsBecomeGlobalsAndLastExpressionIsTheValue) {
  EXPECT_TRUE(AddCode("var g=40; function add(x){return g+x}"));
  EXPECT_EQ(EvalText("add(2)"), "42");
  EXPECT_TRUE(Eval("var h=1").IsEmpty());
  EXPECT_EQ(EvalText("h+1"), "2");
  // Statements: the value of the last expression statement that ran.
  EXPECT_EQ(EvalText("var s=''; for (var k in {p:1,q:2}) {s=s+k+','; }"), "p,q,");
  EXPECT_EQ(EvalText("if (true) { 'yes' } else { 'no' }"), "yes");
  EXPECT_TRUE(Eval("for (var k in {}) { 1 }").IsEmpty());
  // eval runs a string argument and returns anything else unchanged.
  EXPECT_EQ(EvalText("eval('1+2')"), "3");
  EXPECT_EQ(EvalText("typeof eval({a:1})"), "object");
}

TEST_F(ScriptControlTest, ResultsConvertLikeAutomationValues) {
  struct Case {
    const char* text;
    Variant::Type type;
    const char* asText;
  };
  const Case cases[] = {
      {"'abc'", Variant::Type::String, "abc"},
      {"1.5", Variant::Type::Double, "1.5"},
      {"2", Variant::Type::Double, "2"},
      {"true", Variant::Type::Bool, "-1"},
      {"1>2", Variant::Type::Bool, "0"},
      {"null", Variant::Type::Null, ""},
      {"undefined", Variant::Type::Empty, ""},
      {"({a:1})", Variant::Type::String, "[object Object]"},
      {"[1,2,3]", Variant::Type::String, "1,2,3"},
  };
  for (const Case& c : cases) {
    Variant v = Eval(c.text);
    EXPECT_EQ(v.GetType(), c.type) << c.text;
    EXPECT_EQ(v.ToText(), c.asText) << c.text;
  }
  EXPECT_EQ(Eval("[7]").ToNumber(), 7);
}

TEST_F(ScriptControlTest, FailuresGiveEmptyAndLeaveTheEngineUsable) {
  const char* failing[] = {
      "1+",                            // syntax error
      "nosuch(1)",                     // reference error
      "throw 5",                       // a thrown value that is not an Error
      "new Error('x')",                // an Error as the value
      "function r(){return r()} r()",  // stack exhaustion
  };
  for (const char* text : failing) {
    Variant result;
    Variant code = Variant::FromText(text);
    EXPECT_FALSE(engine.Get()->Invoke(u"Eval", DispatchKind::Call, std::span(&code, 1), result))
        << text;
    EXPECT_TRUE(result.IsEmpty()) << text;
    EXPECT_FALSE(AddCode(text)) << text;
  }
  // Only a value that is asked for is converted.
  EXPECT_TRUE(Eval("({toString:function(){throw 1}})").IsEmpty());
  EXPECT_TRUE(AddCode("({toString:function(){throw 1}})"));
  EXPECT_EQ(EvalText("1+1"), "2");
}

TEST_F(ScriptControlTest, CodeNeedsALanguageAndOnlyScriptLanguagesAreTaken) {
  ComObject fresh;
  ASSERT_TRUE(fresh.Create("MSScriptControl.ScriptControl"));
  EXPECT_TRUE(fresh.Call("Eval", {Variant::FromText("1")}).IsEmpty());
  EXPECT_FALSE(fresh.Put("Language", Variant::FromText("Basic")));
  EXPECT_TRUE(fresh.Put("Language", Variant::FromText("jscript")));
  EXPECT_EQ(fresh.CallText("Eval", {Variant::FromText("1")}), "1");
  EXPECT_TRUE(fresh.Call("NoSuchMember").IsEmpty());
}

TEST_F(ScriptControlTest, GlobalObjectHoldsNoHostObjects) {
  for (const char* name : {"print", "console", "Qt", "gc", "qsTr", "XMLHttpRequest", "URL",
                           "require", "importScripts"}) {
    EXPECT_EQ(EvalText(std::string("typeof ") + name), "undefined") << name;
  }
  EXPECT_EQ(EvalText("typeof JSON.stringify"), "function");
}

TEST_F(ScriptControlTest, BudgetInterruptsALoopAndTheEngineGoesOn) {
  ASSERT_TRUE(engine.Put("Timeout", Variant(300)));
  EXPECT_EQ(engine.CallNumber("Timeout"), 300);
  EXPECT_FALSE(engine.Put("Timeout", Variant(0)));  // never without a budget
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(AddCode("var n=0; while(1){n++}"));
  EXPECT_TRUE(Eval("({toString:function(){for(;;){}}})").IsEmpty());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(EvalText("n>0"), "-1");  // what ran before the interrupt stays
  EXPECT_EQ(EvalText("'still'"), "still");
}

TEST_F(ScriptControlTest, MemoryCapInterruptsAnAllocationLongBeforeALongBudget) {
  ASSERT_TRUE(engine.Put("Timeout", Variant(120000)));
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(AddCode("var a=[]; for(;;){a.push(String(a.length).repeat(1<<24))}"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
  EXPECT_TRUE(AddCode("a=null"));
}

TEST(ScriptControl, EngineWorksOnAThreadOfItsOwn) {
  TextValue answer;
  std::thread worker([&answer] {
    CoInitialize(nullptr);
    {
      ComObject engine;
      if (engine.Create("MSScriptControl.ScriptControl") &&
          engine.Put("Language", Variant::FromText("JavaScript"))) {
        answer = engine.CallText("Eval", {Variant::FromText("[1,2].length")});
      }
    }
    CoUninitialize();
  });
  worker.join();
  EXPECT_EQ(answer, "2");
}

}  // namespace
