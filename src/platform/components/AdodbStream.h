// "Adodb.Stream" on ICU: a byte stream with a text view in a charset.
//
// Members: Type (1 bytes, 2 text; default 2), Mode, Charset (default
// "Unicode"), Position (a byte offset), Size, EOS, State; Open, Close, Write,
// Read, WriteText, ReadText, SetEOS, Flush. Write/Read need Type 1,
// WriteText/ReadText Type 2; everything but the properties needs an open
// stream. Type may change only at Position 0. Writing overwrites from
// Position on and extends the stream.
//
// Charset names resolve as the platform resolves them, letter case ignored:
// "GBK", "gb2312", "cp936", "windows-936" (and "x-gbk", "csGB2312",
// "GB_2312-80") are code page 936, a superset of GB2312; "big5" is code page
// 950; "unicode", "utf-16" and "utf-16le" are UTF-16LE; "unicodeFFFE" and
// "utf-16be" UTF-16BE; any other name ICU knows as an IANA or MIME name
// works too. An unknown name makes the assignment fail; the stream keeps
// its charset.
//
// Byte-order marks, as the platform's stream does: the first non-empty text
// written into an empty stream in UTF-8 or a UTF-16 charset is preceded by
// its mark (EF BB BF, FF FE, FE FF); other charsets have none. ReadText
// from Position 0 skips the mark of its charset. Decoding replaces invalid
// byte sequences and goes on; encoding writes the best-fit character, else
// "?", for a character the charset lacks.
#pragma once
