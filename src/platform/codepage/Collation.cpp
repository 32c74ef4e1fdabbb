#include "platform/codepage/Collation.h"

#include <unicode/ucol.h>

#include <memory>

#include "platform/codepage/CodePage.h"

namespace {

struct CollatorCloser {
  void operator()(UCollator* c) const { ucol_close(c); }
};

// One collator per thread: ICU collators are not shared across threads.
UCollator* Collator() {
  thread_local std::unique_ptr<UCollator, CollatorCloser> collator = [] {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* c = ucol_open("zh", &status);
    if (U_FAILURE(status))
      return std::unique_ptr<UCollator, CollatorCloser>();
    ucol_setAttribute(c, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
    return std::unique_ptr<UCollator, CollatorCloser>(c);
  }();
  return collator.get();
}

}  // namespace

int lstrcmpA(const char* lpString1, const char* lpString2) {
  std::u16string a = GbkToWide(lpString1 ? lpString1 : "");
  std::u16string b = GbkToWide(lpString2 ? lpString2 : "");
  UCollator* c = Collator();
  if (c == nullptr)
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
  UCollationResult r = ucol_strcoll(c, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                    static_cast<int32_t>(b.size()));
  return r == UCOL_LESS ? -1 : (r == UCOL_EQUAL ? 0 : 1);
}

std::string CollationKey(const TextValue& text) {
  std::u16string wide = GbkToWide(text);
  UCollator* c = Collator();
  if (c == nullptr)
    return text;
  std::string key(wide.size() * 4 + 16, '\0');
  for (;;) {
    int32_t n =
        ucol_getSortKey(c, wide.data(), static_cast<int32_t>(wide.size()),
                        reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
    if (n <= static_cast<int32_t>(key.size())) {
      key.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));  // drop the terminating 0
      return key;
    }
    key.resize(static_cast<std::size_t>(n));
  }
}
