// MergeCookies over two arbitrary cookie texts: the old one before the first
// line break of the input, the new one after it.
#include <cstdint>

#include "FuzzSupport.h"
#include "http/Cookies.h"
#include "text/TextOps.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts = SplitInput(data, size, '\n', 2);
  TextValue cookies = parts[0];
  TextValue newCookies = parts[1];
  for (std::size_t i = 2; i < parts.size(); ++i) newCookies += "\n" + parts[i];
  const TextValue newWithoutSpaces = RemoveAllSpaces(newCookies);

  const TextValue merged = MergeCookies(cookies, newCookies);

  // Both variables are written back.
  Check(cookies == merged);
  Check(newCookies == newWithoutSpaces);
  // No deletion survives, and every other item the response set is kept. An
  // item ending in a byte of 0x80 or above takes the ";" after it as its
  // trail byte, so kept items are looked for as bytes, not as pieces.
  const TextArray items = SplitText(merged, "; ");
  for (const TextValue& item : items.Items()) Check(!EndsWith(item, "=deleted"));
  const TextArray setItems = SplitText(newWithoutSpaces, ";");
  for (const TextValue& item : setItems.Items()) {
    if (!EndsWith(item, "=deleted"))
      Check(merged.find(item) != TextValue::npos);
  }
  return 0;
}
