// ConvertCharset: re-encodes bytes from one charset into another by name,
// through an "Adodb.Stream" created for the call.
//
// The text between the two halves is held in GBK: a character GBK lacks
// becomes its best-fit or default character "?", and the text ends at its
// first NUL. Empty charset names become "UTF-8" and "GBK" in the caller's
// variables. With `readFrom` the result starts at that byte offset of the
// encoded bytes, which lets a caller skip the byte-order mark the stream
// writes for UTF-8 (3 bytes) and "unicode" (2 bytes). The stream keeps its
// charset when a name is unknown: an unknown source name decodes as
// "unicode" (UTF-16LE), an unknown target name encodes in the source
// charset. Nothing is reported: a failure gives fewer or no bytes. Enters
// and leaves COM on the calling thread once per call.
#pragma once

#include <optional>

#include "text/TextTypes.h"

ByteSet ConvertCharset(const ByteSet& data, TextValue& fromCharset, TextValue& toCharset,
                       std::optional<int> readFrom = std::nullopt);
// With `toCharset` left out: GBK.
ByteSet ConvertCharset(const ByteSet& data, TextValue& fromCharset);
// With both names left out: UTF-8 to GBK.
ByteSet ConvertCharset(const ByteSet& data);
