// The loader script: its pieces, in order, and what the JSON object relies
// on when an engine runs it.
#include <gtest/gtest.h>

#include <string>

#include "platform/com/Com.h"
#include "platform/com/ComObject.h"
#include "script/loader.h"

namespace {

TEST(LoaderScript, IsOneLineOfTheThreePiecesInOrder) {
  const std::string script(LoaderScript());
  const std::string count = "function get__count(c){var i=-2;for(v in c)i++;return i}";
  EXPECT_EQ(script.find('\n'), std::string::npos);
  EXPECT_EQ(script.find('\r'), std::string::npos);
  EXPECT_EQ(script.find("sourceMappingURL"), std::string::npos);
  ASSERT_EQ(script.rfind(count, 0), 0u);
  // json2 follows at once, then the two methods inside its closing wrapper.
  EXPECT_EQ(script.find("\"object\"!=typeof JSON&&(JSON={})"), count.size());
  std::size_t stringify = script.find("JSON.stringify=function");
  std::size_t toJsonString = script.find("Object.prototype.toJSONString=function");
  std::size_t parseJson = script.find("Object.prototype.parseJSON=function");
  ASSERT_NE(stringify, std::string::npos);
  ASSERT_NE(toJsonString, std::string::npos);
  ASSERT_NE(parseJson, std::string::npos);
  EXPECT_LT(stringify, toJsonString);
  EXPECT_LT(toJsonString, parseJson);
  EXPECT_EQ(script.substr(script.size() - 4), "}();");
}

TEST(LoaderScript, EveryForInVisitsExactlyTheTwoAddedNamesAfterOwnMembers) {
  CoInitialize(nullptr);
  {
    ComObject engine;
    ASSERT_TRUE(engine.Create("MSScriptControl.ScriptControl"));
    engine.Put("Language", Variant::FromText("JavaScript"));
    ASSERT_TRUE(engine.Call("AddCode", {Variant::FromText(TextValue(LoaderScript()))}).IsEmpty());
    auto eval = [&](const char* text) {
      return engine.CallText("Eval", {Variant::FromText(text)});
    };
    const char* visit = "var s=''; for (var k in %) {s=s+k+','; } s";
    auto names = [&](const std::string& value) {
      std::string text = visit;
      text.replace(text.find('%'), 1, value);
      return eval(text.c_str());
    };
    EXPECT_EQ(names("{}"), "toJSONString,parseJSON,");
    EXPECT_EQ(names("[7,8]"), "0,1,toJSONString,parseJSON,");
    EXPECT_EQ(names("({b:1,a:2})"), "b,a,toJSONString,parseJSON,");
    EXPECT_EQ(eval("get__count({})"), "0");
    EXPECT_EQ(eval("get__count([1,2,3])"), "3");
    EXPECT_EQ(eval("get__count({a:1})"), "1");
    // The methods call the engine's JSON with the value and the filter.
    EXPECT_EQ(eval("({a:1,b:2}).toJSONString(function(k,v){return k=='a'?undefined:v})"),
              "{\"b\":2}");
    EXPECT_EQ(eval("typeof Object.prototype.parseJSON"), "function");
  }
  CoUninitialize();
}

}  // namespace
