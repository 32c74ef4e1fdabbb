// Binary-insertion sort of text lines by the locale collation (lstrcmpA),
// and in-place reversal. Equal lines keep the placements of the insertion
// rules: after an equal last line, before an equal first line, before an
// identical line met while bisecting.
#pragma once

#include "text/TextTypes.h"

void SortTextLines(TextArray& lines, bool descending = false, bool caseSensitive = true);
void ReverseTextArray(TextArray& lines);
