// TextBetween: the piece of a text between the first `left` at or after
// `startPos` and the next `right` after it; the empty text when either is
// missing. "#引号" inside a delimiter stands for a double quote.
#pragma once

#include "text/TextTypes.h"

TextValue TextBetween(const TextValue& text, const TextValue& left, const TextValue& right,
                      int startPos = 0, bool ignoreCase = false);
