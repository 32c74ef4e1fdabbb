// Conversions between the program's code page (936, GBK) and UTF-16/UTF-8.
//
// Characters that GBK lacks become its best-fit character where one exists,
// else its default character "?". Every conversion from UTF-16 stops at the
// first NUL character.
#pragma once

#include <string>
#include <string_view>

#include "text/TextTypes.h"

// UTF-16LE bytes of `text` followed by one NUL character; empty for empty.
ByteSet GbkToUtf16(const TextValue& text);
// The UTF-16LE characters of `wide` up to the first NUL, in GBK.
TextValue Utf16ToGbk(const ByteSet& wide);

std::u16string GbkToWide(std::string_view text);
TextValue WideToGbk(std::u16string_view wide);

// For literals of the program, written in UTF-8 in the source, and for output
// to UTF-8 terminals. Keep a literal's result in a static: convert it once.
TextValue GbkFromUtf8(std::string_view utf8);
std::string Utf8FromGbk(std::string_view text);
