#include "script/ScriptJson.h"

#include <charconv>
#include <cmath>
#include <string>

#include "platform/com/Com.h"
#include "script/loader.h"
#include "text/TextOps.h"

namespace {

TextValue FormatNumber(double number) {
  char buffer[64];
  auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::general, 13);
  if (error != std::errc())
    return {};
  return TextValue(buffer, end);
}

// Truncation toward zero; values out of range saturate, NaN gives 0.
int TruncateToInt(double number) {
  if (std::isnan(number))
    return 0;
  if (number >= 2147483647.0)
    return 2147483647;
  if (number <= -2147483648.0)
    return -2147483647 - 1;
  return static_cast<int>(number);
}

TextValue Quoted(const TextValue& value, bool raw) {
  return raw ? value : "'" + value + "'";
}

}  // namespace

ScriptJson::ScriptJson() {
  varName = "da";
  Init();
}

ScriptJson::ScriptJson(const TextValue& name, const ComObject& shared)
    : varName(name), engine(shared) {}

ScriptJson::~ScriptJson() {
  engine.Clear();
  if (enteredCom)
    CoUninitialize();
}

ScriptJson::ScriptJson(ScriptJson&& other) noexcept
    : varName(std::move(other.varName)),
      engine(std::move(other.engine)),
      enteredCom(other.enteredCom) {
  other.engine.Clear();
  other.enteredCom = false;
}

ScriptJson& ScriptJson::operator=(ScriptJson&& other) noexcept {
  if (this == &other)
    return *this;
  engine.Clear();
  if (enteredCom)
    CoUninitialize();
  varName = std::move(other.varName);
  engine = std::move(other.engine);
  enteredCom = other.enteredCom;
  other.engine.Clear();
  other.enteredCom = false;
  return *this;
}

ScriptJson ScriptJson::Clone() const {
  return ScriptJson(varName, engine);
}

void ScriptJson::Init() {
  // Parse runs Init again on a live object; entering COM once per object
  // keeps the thread's count balanced against the one exit on destruction.
  if (!enteredCom) {
    CoInitialize(nullptr);
    enteredCom = true;
  }
  if (!engine.Create("MSScriptControl.ScriptControl"))
    return;
  engine.Put("Language", Variant::FromText("JavaScript"));
  engine.CallNone("AddCode", {Variant::FromText(TextValue(LoaderScript()))});
  Run("var " + varName + "={}");
}

bool ScriptJson::Parse(const TextValue& text) {
  if (!engine.IsEmpty()) {
    engine.Clear();
    Init();
  }
  if (engine.IsEmpty())
    return false;
  Run("var " + varName + "=null");
  engine.CallNone("AddCode", {Variant::FromText("var " + varName + "=eval(" + text + ")")});
  return EvalBool("null !=" + varName);
}

TextValue ScriptJson::ToJson() const {
  return Eval("JSON.stringify(" + varName + ")");
}

void ScriptJson::SetMember(const TextValue& path, const TextValue& value, bool asJson) {
  if (!asJson) {
    Run(Dotted(path) + "='" + value + "'");
    return;
  }
  Run(Dotted(path) + "= eval(" + (value.empty() ? TextValue("{}") : value) + ")");
}

void ScriptJson::SetMemberJson(const TextValue& path, const TextValue& json) {
  Run(Dotted(path) + "= eval(" + json + ")");
}

void ScriptJson::SetNumber(const TextValue& path, double number) {
  Run(Dotted(path) + "=" + FormatNumber(number));
}

double ScriptJson::GetNumber(const TextValue& path) const {
  return EvalNumber(Dotted(path));
}

TextValue ScriptJson::GetMemberJson(const TextValue& path) const {
  return Eval("JSON.stringify(" + Dotted(path) + ")");
}

TextValue ScriptJson::GetText(const TextValue& path, bool asJson) const {
  if (asJson)
    return Eval("JSON.stringify(" + BracketAware(path) + ")");
  if (engine.IsEmpty())
    return {};
  if (TypeOf(path) == kJsonNumber)
    return FormatNumber(GetNumber(path));
  return Eval(BracketAware(path));
}

ScriptJson ScriptJson::GetObject(const TextValue& path) const {
  return ObjectFromJson(Eval("JSON.stringify(" + BracketAware(path) + ")"));
}

int ScriptJson::Count(const TextValue& path) const {
  return TruncateToInt(EvalNumber("get__count(" + OptionalBracketAware(path) + ")"));
}

void ScriptJson::Push(const TextValue& value, const TextValue& path, bool raw) {
  TextValue target = OptionalDotted(path);
  Run("if (Object.prototype.toString.call(" + target + ") != '[object Array]') { " + target +
      "=new Array();} " + target + ".push(" + Quoted(value, raw) + ")");
}

ScriptJson ScriptJson::GetElementObject(int index, const TextValue& path) const {
  return ObjectFromJson(
      Eval("JSON.stringify(" + OptionalDotted(path) + "[" + std::to_string(index) + "])"));
}

TextValue ScriptJson::GetElementText(int index, const TextValue& path, bool asJson) const {
  TextValue element = OptionalDotted(path) + "[" + std::to_string(index) + "]";
  return Eval(asJson ? "JSON.stringify(" + element + ")" : element);
}

void ScriptJson::SetElement(int index, const TextValue& value, bool raw) {
  Run(varName + "[" + std::to_string(index) + "]=" + Quoted(value, raw));
}

void ScriptJson::RemoveElement(int index) {
  Run(varName + ".splice(" + std::to_string(index) + ",1)");
}

void ScriptJson::DeleteMember(const TextValue& path) {
  Run("delete " + Dotted(path));
}

void ScriptJson::Reset(JsonType kind) {
  if (kind == kJsonNull || kind == kJsonObject) {
    Run("var " + varName + "={}");
  } else if (kind == kJsonArray) {
    Run("var " + varName + "=new Array()");
  }
}

void ScriptJson::SetRoot(const TextValue& value, bool raw) {
  Run(varName + "=" + Quoted(value, raw));
}

bool ScriptJson::HasMember(const TextValue& path) const {
  return EvalBool(Dotted(path) + " !=null");
}

int ScriptJson::ListKeys(TextArray& keys, const TextValue& path) const {
  TextValue names =
      Eval("var ary=''; for (var key in " + OptionalDotted(path) + ") {ary=ary+ key+','; }");
  names = ReplaceText(names, "toJSONString,", "");
  names = ReplaceText(names, "parseJSON,", "");
  Run("ary=null");
  keys = SplitText(names, ",");
  return keys.Size();
}

int ScriptJson::TypeOf(const TextValue& path) const {
  TextValue target = OptionalDotted(path);
  if (EvalBool(target + "==null"))
    return kJsonNull;
  TextValue type = Eval("typeof (" + target + ")");
  if (type == "string")
    return kJsonString;
  if (type == "object") {
    TextValue json = GetText(path, true);
    return !json.empty() && json[0] == '[' ? kJsonArray : kJsonObject;
  }
  if (type == "number")
    return kJsonNumber;
  if (type == "boolean")
    return kJsonBool;
  return kJsonOther;
}

void ScriptJson::Clear() {
  Run(varName + "={}");
}

TextValue ScriptJson::Eval(const TextValue& script) const {
  return engine.CallText("Eval", {Variant::FromText(script)});
}

double ScriptJson::EvalNumber(const TextValue& script) const {
  return engine.CallNumber("Eval", {Variant::FromText(script)});
}

bool ScriptJson::EvalBool(const TextValue& script) const {
  return engine.CallBool("Eval", {Variant::FromText(script)});
}

void ScriptJson::Run(const TextValue& script) const {
  engine.CallNone("Eval", {Variant::FromText(script)});
}

ScriptJson ScriptJson::ObjectFromJson(const TextValue& json) const {
  ScriptJson fresh;
  fresh.Parse(json);
  // The copy keeps the new engine alive after `fresh` leaves COM.
  return fresh.Clone();
}

TextValue ScriptJson::Dotted(const TextValue& path) const {
  return varName + "." + path;
}

TextValue ScriptJson::BracketAware(const TextValue& path) const {
  return !path.empty() && path[0] == '[' ? varName + path : Dotted(path);
}

TextValue ScriptJson::OptionalBracketAware(const TextValue& path) const {
  return path.empty() ? varName : BracketAware(path);
}

TextValue ScriptJson::OptionalDotted(const TextValue& path) const {
  return path.empty() ? varName : Dotted(path);
}
