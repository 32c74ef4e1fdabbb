// Cookie texts: items (name "=" value) joined by ";", and the merge of the
// cookies a response sets into a caller's cookie text.
//
// Texts produced here use exactly "; " between items and never end in a
// separator. Names compare as exact bytes; an item ending in "=deleted" is a
// deletion and never survives a merge.
#pragma once

#include "text/TextTypes.h"

// Merges `newCookies` into `cookies`: the new items first, then the old items
// whose names the new set does not carry. Both arguments are written back:
// `cookies` holds the merged text (also returned), `newCookies` its own text
// with every space removed.
TextValue MergeCookies(TextValue& cookies, TextValue& newCookies);

// The text before the item's first "=" (the whole item without one), trimmed.
TextValue CookieName(const TextValue& item);

// True when an item of `items` has the cookie name `name`.
bool CookieNameInList(const TextArray& items, const TextValue& name);

// The pieces of `text` split on `separator`, each kept once in order of first
// appearance, joined with `separator` (none at the end).
TextValue RemoveDuplicateItems(const TextValue& text, const TextValue& separator);

// 1-based position of the first item equal to `text`, or -1.
int IndexOfText(const TextArray& items, const TextValue& text);
