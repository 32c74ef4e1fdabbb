#include "script/RegexObject.h"

#include "platform/codepage/CodePage.h"
#include "platform/com/Com.h"
#include "text/TextOps.h"

RegexObject::RegexObject() {
  CoInitialize(nullptr);
}

RegexObject::RegexObject(const RegexObject& other)
    : regExp(other.regExp), matches(other.matches), subject(other.subject) {
  CoInitialize(nullptr);
}

RegexObject::~RegexObject() {
  regExp.Clear();
  matches.Clear();
  subject = Variant();
  CoUninitialize();
}

RegexObject RegexObject::Clone() const {
  return RegexObject(*this);
}

bool RegexObject::Create(const TextValue& pattern, const TextValue& subjectText, bool caseSensitive,
                         bool multiline, bool global, bool quoteMarker) {
  regExp.Clear();
  matches.Clear();
  regExp.Create("VBScript.RegExp");
  regExp.Put("IgnoreCase", Variant(!caseSensitive));
  regExp.Put("Multiline", Variant(multiline));
  regExp.Put("Global", Variant(global));
  const TextValue& usedPattern = quoteMarker ? ReplaceText(pattern, kQuoteMarker, "\"") : pattern;
  regExp.Put("Pattern", Variant::FromText(usedPattern));
  subject = Variant::FromText(subjectText);
  matches = regExp.CallObject("Execute", {subject});
  return !matches.IsEmpty();
}

TextValue RegexObject::GetPattern() const {
  return regExp.CallText("Pattern");
}

TextValue RegexObject::Replace(const TextValue& replacement) const {
  return regExp.CallText("Replace", {subject, Variant::FromText(replacement)});
}

int RegexObject::MatchCount() const {
  return static_cast<int>(matches.CallNumber("Count"));
}

int RegexObject::SubMatchCount() const {
  ComObject first = matches.CallObject("Item", {Variant(0)});
  return static_cast<int>(first.CallObject("SubMatches").CallNumber("Count"));
}

TextValue RegexObject::GetMatchText(int matchIndex, int* position) const {
  ComObject match = matches.CallObject("Item", {Variant(matchIndex - 1)});
  TextValue text = match.CallText("Value");
  if (position != nullptr)
    *position = PositionOf(match, text);
  return text;
}

TextValue RegexObject::GetSubMatch(int matchIndex, int subIndex, int* position) const {
  ComObject match = matches.CallObject("Item", {Variant(matchIndex - 1)});
  TextValue text = match.CallObject("SubMatches").CallText("Item", {Variant(subIndex - 1)});
  if (position != nullptr)
    *position = PositionOf(match, text);
  return text;
}

// The component counts UTF-16 characters; callers want a byte offset in the
// GBK subject, so the characters before the match are measured in GBK.
int RegexObject::PositionOf(const ComObject& match, const TextValue& text) const {
  std::u16string wide = subject.ToWide();
  auto firstIndex = static_cast<std::size_t>(match.CallNumber("FirstIndex"));
  if (firstIndex > wide.size())
    firstIndex = wide.size();
  int start = static_cast<int>(WideToGbk(std::u16string_view(wide).substr(0, firstIndex)).size());
  int found = FindText(WideToGbk(wide), text, start + 1, regExp.CallBool("IgnoreCase"));
  return found < 0 ? -2 : found - 1;
}
