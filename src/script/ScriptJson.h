// A JSON document held in a script engine and worked on by generated
// script text. The document is the engine's global variable `varName`.
//
// Paths are script accessor chains (a, a.b, list[2].name) inserted
// unescaped; values in string form go between single quotes unescaped. No
// operation reports an error: a text the engine cannot run changes nothing
// and gives an empty text, 0 or false. The network answer given to Parse is
// run as script, inside the engine's sandbox and time budget.
//
// Each object enters COM once on its thread and leaves it on destruction.
// A Clone shares the engine (and the document) and takes no part in the
// COM count. Use an object only on the thread that made it.
#pragma once

#include "platform/com/ComObject.h"
#include "text/TextTypes.h"

// What TypeOf returns and Reset takes. 3 is never produced.
enum JsonType : int {
  kJsonOther = -1,  // a function, or a target the engine cannot evaluate
  kJsonNull = 0,    // null, undefined, or a member that does not exist
  kJsonBool = 1,
  kJsonNumber = 2,
  kJsonObject = 4,
  kJsonArray = 5,
  kJsonString = 6,
};

class ScriptJson {
 public:
  ScriptJson();
  ~ScriptJson();
  ScriptJson(ScriptJson&& other) noexcept;
  ScriptJson& operator=(ScriptJson&& other) noexcept;
  ScriptJson(const ScriptJson&) = delete;
  ScriptJson& operator=(const ScriptJson&) = delete;

  ScriptJson Clone() const;
  // Creates the engine, loads LoaderScript and sets the document to {}.
  void Init();
  // A new engine, then the text evaluated as script; true when the document
  // is neither null nor undefined.
  bool Parse(const TextValue& text);
  // The whole document as compact JSON: "null" for null, empty for undefined.
  TextValue ToJson() const;

  void SetMember(const TextValue& path, const TextValue& value, bool asJson = false);
  void SetMemberJson(const TextValue& path, const TextValue& json);
  void SetNumber(const TextValue& path, double number);
  double GetNumber(const TextValue& path) const;
  TextValue GetMemberJson(const TextValue& path) const;
  // A number as "%.13g"; a bool as "-1" or "0"; null as empty.
  TextValue GetText(const TextValue& path, bool asJson = false) const;
  // An independent object holding a copy of the member.
  ScriptJson GetObject(const TextValue& path) const;
  // Members a for-in visits, less the loader's two: -2 for null or missing.
  int Count(const TextValue& path = {}) const;
  // Replaces a target that is not an array by an empty array, then appends.
  void Push(const TextValue& value, const TextValue& path = {}, bool raw = false);
  ScriptJson GetElementObject(int index, const TextValue& path = {}) const;
  TextValue GetElementText(int index, const TextValue& path = {}, bool asJson = false) const;
  void SetElement(int index, const TextValue& value, bool raw = false);
  void RemoveElement(int index);
  void DeleteMember(const TextValue& path);
  // 0 or 4: {}; 5: []; any other code changes nothing.
  void Reset(JsonType kind);
  void SetRoot(const TextValue& value, bool raw = false);
  bool HasMember(const TextValue& path) const;
  // Replaces `keys` by the member names (indices of an array); their count.
  int ListKeys(TextArray& keys, const TextValue& path = {}) const;
  // A JsonType code.
  int TypeOf(const TextValue& path = {}) const;
  void Clear();

 private:
  // For Clone: shares `engine` and does not enter COM.
  ScriptJson(const TextValue& varName, const ComObject& engine);

  TextValue Eval(const TextValue& script) const;
  double EvalNumber(const TextValue& script) const;
  bool EvalBool(const TextValue& script) const;
  void Run(const TextValue& script) const;
  ScriptJson ObjectFromJson(const TextValue& json) const;

  TextValue Dotted(const TextValue& path) const;
  TextValue BracketAware(const TextValue& path) const;
  TextValue OptionalBracketAware(const TextValue& path) const;
  TextValue OptionalDotted(const TextValue& path) const;

  TextValue varName;
  ComObject engine;
  bool enteredCom = false;
};
