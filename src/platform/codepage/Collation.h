// The locale comparison of GBK texts: a Chinese collation in which digit
// runs compare by numeric value, so fixed-width time stamps order by time.
#pragma once

#include <string>

#include "text/TextTypes.h"

// Sign of the comparison of two NUL-terminated GBK texts; null is empty.
int lstrcmpA(const char* lpString1, const char* lpString2);
// A byte key whose plain byte order equals the order of lstrcmpA.
std::string CollationKey(const TextValue& text);
