// ScriptJson::Parse over an arbitrary answer, as the workflow runs a trace
// answer, then the document read back in the ways the workflow reads it.
#include <QCoreApplication>
#include <cstdint>

#include "FuzzSupport.h"
#include "script/ScriptJson.h"

namespace {

// The script engine needs an application object; this program has no main()
// of its own under libFuzzer.
void EnsureApplication() {
  static int argc = 1;
  static char name[] = "json_fuzz";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app =
      QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
  (void)app;
}

bool IsJsonType(int type) {
  for (int known :
       {kJsonOther, kJsonNull, kJsonBool, kJsonNumber, kJsonObject, kJsonArray, kJsonString}) {
    if (type == known)
      return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  EnsureApplication();
  const TextValue answer = SplitInput(data, size, 0, 1)[0];
  ScriptJson json;
  const bool parsed = json.Parse(answer);
  const int type = json.TypeOf();
  Check(IsJsonType(type));
  Check(!parsed || type != kJsonNull);
  Check(json.Count() >= -2);
  TextArray keys;
  json.ListKeys(keys);
  json.GetElementText(1, {}, true);
  json.GetText("data", true);

  // A document's JSON text reads back as itself.
  const TextValue text = json.ToJson();
  if (parsed && !text.empty() && text != "undefined") {
    ScriptJson copy;
    if (copy.Parse(text))
      Check(copy.ToJson() == text);
  }
  return 0;
}
