// ConvertCharset over arbitrary bytes. The input's first two lines name the
// source and target charsets and the rest is the data; the data is also
// converted between a pair of real names picked by the input's size.
#include <algorithm>
#include <cstdint>
#include <iterator>

#include "FuzzSupport.h"
#include "charset/ConvertCharset.h"
#include "text/TextOps.h"

namespace {

const char* const kNames[] = {"",         "UTF-8",     "utf-8",        "GBK",  "gb2312",
                              "unicode",  "utf-16be",  "iso-8859-1",   "big5", "windows-1252",
                              "us-ascii", "shift_jis", "x-no-such-set"};

bool IsGbk(const TextValue& name) {
  const TextValue lower = ToLowerAscii(name);
  return lower == "gbk" || lower == "gb2312" || lower.empty();
}

void Convert(const ByteSet& data, TextValue fromCharset, TextValue toCharset, int readFrom) {
  const bool toGbk = IsGbk(toCharset);
  const bool fromGiven = !fromCharset.empty();
  const bool toGiven = !toCharset.empty();
  const ByteSet whole = ConvertCharset(data, fromCharset, toCharset);
  // Empty names are filled in for the caller.
  Check(fromGiven || fromCharset == "UTF-8");
  Check(toGiven || toCharset == "GBK");
  // The GBK text between the halves ends at its first NUL, so GBK holds none.
  if (toGbk)
    Check(std::find(whole.begin(), whole.end(), 0) == whole.end());
  // Reading from an offset gives a tail of the whole result.
  const ByteSet tail = ConvertCharset(data, fromCharset, toCharset, readFrom);
  Check(tail.size() <= whole.size());
  Check(std::equal(tail.begin(), tail.end(), whole.end() - static_cast<long>(tail.size())));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Names come from the first two lines; the data keeps every byte.
  std::size_t at = 0;
  TextValue names[2];
  for (TextValue& name : names) {
    while (at < size && data[at] != '\n') {
      if (data[at] != 0)
        name.push_back(static_cast<char>(data[at]));
      ++at;
    }
    if (at < size)
      ++at;
  }
  const ByteSet bytes(data + at, data + size);
  const int readFrom = static_cast<int>(size % 5) - 1;
  Convert(bytes, names[0], names[1], readFrom);

  constexpr std::size_t count = std::size(kNames);
  Convert(bytes, kNames[size % count], kNames[(size / count) % count], readFrom);
  return 0;
}
