// RegexObject: one regular expression run over one text through the
// "VBScript.RegExp" component; the result of that search is kept so that
// matches and capture groups can then be read by number.
//
// Matches and groups are numbered from 1. Every failure (no component, a
// pattern that does not compile, a search that hits the engine's limits, a
// number out of range) gives an empty answer: false, 0 or the empty text.
// Only Create's result tells a search without matches from a failed one.
//
// Construction enters COM on the calling thread and destruction leaves it, so
// an object is created, used and destroyed on one thread.
#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/Variant.h"
#include "text/TextTypes.h"

class RegexObject {
 public:
  RegexObject();
  ~RegexObject();
  RegexObject& operator=(const RegexObject&) = delete;

  // A second object sharing this one's component and match collection, with
  // its own copy of the subject. It enters COM itself.
  RegexObject Clone() const;

  // Runs `pattern` over `subject`. True when the search ran, also when it
  // found nothing. With `quoteMarker` every "#引号" in the pattern stands
  // for a double quote.
  bool Create(const TextValue& pattern, const TextValue& subject, bool caseSensitive = false,
              bool multiline = true, bool global = true, bool quoteMarker = false);

  // The pattern as the component holds it; empty before the first Create.
  TextValue GetPattern() const;
  // The subject with the matches of the last pattern replaced; `replacement`
  // may use $1..$99, $&, $`, $' and $$.
  TextValue Replace(const TextValue& replacement = TextValue()) const;

  int MatchCount() const;
  // Capture groups of the first match; 0 when there is no match.
  int SubMatchCount() const;

  // `position`, when given, receives the 0-based byte offset in the GBK
  // subject at which the returned text occurs (searched from the match's
  // start), or -2 when it is not found. Finding it costs one pass over the
  // subject up to the match.
  TextValue GetMatchText(int matchIndex, int* position = nullptr) const;
  TextValue GetSubMatch(int matchIndex, int subIndex, int* position = nullptr) const;

 private:
  RegexObject(const RegexObject& other);
  int PositionOf(const ComObject& match, const TextValue& text) const;

  ComObject regExp;
  ComObject matches;
  Variant subject;  // the searched text as UTF-16; empty before the first search
};
