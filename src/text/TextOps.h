// The text operations every layer builds on, all on GBK byte strings.
//
// Searches step over a GBK character (a byte of 0x80 or above and the byte
// after it) as one unit, so a match never starts on a trail byte. Positions
// are 1-based; a search that finds nothing gives -1.
#pragma once

#include <string_view>

#include "text/TextTypes.h"

// First occurrence of `pattern` at or after `startPos` (1 or less: the first
// byte). An empty pattern is never found.
int FindText(std::string_view text, std::string_view pattern, int startPos = 1,
             bool ignoreCase = false);
// Last occurrence that ends before `beforePos` (0 or less: anywhere).
int FindLastText(std::string_view text, std::string_view pattern, int beforePos = 0);
bool ContainsText(std::string_view text, std::string_view pattern, bool ignoreCase = false);

// Every occurrence, left to right, without overlap; an empty `to` removes.
TextValue ReplaceText(std::string_view text, std::string_view from, std::string_view to,
                      bool ignoreCase = false);

// Pieces between delimiters, empty ones kept; the rest after the last
// delimiter only when it is not empty. The empty text gives no pieces.
TextArray SplitText(std::string_view text, std::string_view delimiter);
// Each element followed by `separator`.
TextValue JoinLines(const TextArray& lines, std::string_view separator);

// Spaces are 0x20 and the ideographic space A1 A1.
TextValue TrimSpaces(std::string_view text);
TextValue RemoveAllSpaces(std::string_view text);
// Blanks (0x20 only) at both ends.
TextValue TrimBlanks(std::string_view text);

// Byte counts; a count of 0 or less gives the empty text.
TextValue LeftText(std::string_view text, int count);
TextValue RightText(std::string_view text, int count);
// `count` bytes from the 1-based `startPos`.
TextValue MiddleText(std::string_view text, int startPos, int count);

TextValue ToLowerAscii(std::string_view text);
TextValue ToUpperAscii(std::string_view text);

// Leading blanks, one sign, then digits up to the first other byte; no
// digits give 0. Values beyond 32 bits saturate.
int TextToInt(std::string_view text);

// "#引号" in GBK: lets a caller write a double quote inside a delimiter.
inline constexpr std::string_view kQuoteMarker = "\x23\xD2\xFD\xBA\xC5";
