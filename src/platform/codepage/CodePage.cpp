#include "platform/codepage/CodePage.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <memory>

namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};

// ICU converters are not thread-safe; each thread keeps its own.
UConverter* Gbk() {
  thread_local std::unique_ptr<UConverter, ConverterCloser> converter = [] {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* c = ucnv_open("windows-936-2000", &status);
    if (U_FAILURE(status))
      return std::unique_ptr<UConverter, ConverterCloser>();
    ucnv_setFallback(c, true);
    status = U_ZERO_ERROR;
    ucnv_setSubstChars(c, "?", 1, &status);
    return std::unique_ptr<UConverter, ConverterCloser>(c);
  }();
  return converter.get();
}

std::u16string_view UpToNul(std::u16string_view wide) {
  std::size_t nul = wide.find(u'\0');
  return nul == std::u16string_view::npos ? wide : wide.substr(0, nul);
}

}  // namespace

std::u16string GbkToWide(std::string_view text) {
  std::u16string out;
  UConverter* c = Gbk();
  if (text.empty() || c == nullptr)
    return out;
  out.resize(text.size() + 1);
  UErrorCode status = U_ZERO_ERROR;
  ucnv_reset(c);
  int32_t n = ucnv_toUChars(c, out.data(), static_cast<int32_t>(out.size()), text.data(),
                            static_cast<int32_t>(text.size()), &status);
  if (U_FAILURE(status))
    return std::u16string();
  out.resize(static_cast<std::size_t>(n));
  return out;
}

TextValue WideToGbk(std::u16string_view wide) {
  wide = UpToNul(wide);
  TextValue out;
  UConverter* c = Gbk();
  if (wide.empty() || c == nullptr)
    return out;
  out.resize(wide.size() * 2 + 2);
  UErrorCode status = U_ZERO_ERROR;
  ucnv_reset(c);
  int32_t n = ucnv_fromUChars(c, out.data(), static_cast<int32_t>(out.size()), wide.data(),
                              static_cast<int32_t>(wide.size()), &status);
  if (U_FAILURE(status))
    return TextValue();
  out.resize(static_cast<std::size_t>(n));
  // A TextValue holds no NUL; a mapping to 0x00 cannot come from a non-NUL.
  return out;
}

ByteSet GbkToUtf16(const TextValue& text) {
  ByteSet out;
  if (text.empty())
    return out;
  std::u16string wide = GbkToWide(text);
  out.reserve((wide.size() + 1) * 2);
  for (char16_t ch : wide) {
    out.push_back(static_cast<std::uint8_t>(ch & 0xFF));
    out.push_back(static_cast<std::uint8_t>(ch >> 8));
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

TextValue Utf16ToGbk(const ByteSet& wide) {
  std::u16string chars;
  chars.reserve(wide.size() / 2);
  for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
    char16_t ch = static_cast<char16_t>(wide[i] | (wide[i + 1] << 8));
    if (ch == 0)
      break;
    chars.push_back(ch);
  }
  return WideToGbk(chars);
}

TextValue GbkFromUtf8(std::string_view utf8) {
  std::u16string wide;
  wide.resize(utf8.size() + 1);
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = 0;
  u_strFromUTF8WithSub(wide.data(), static_cast<int32_t>(wide.size()), &n, utf8.data(),
                       static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status))
    return TextValue();
  wide.resize(static_cast<std::size_t>(n));
  return WideToGbk(wide);
}

std::string Utf8FromGbk(std::string_view text) {
  std::u16string wide = GbkToWide(text);
  std::string out;
  out.resize(wide.size() * 3 + 1);
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = 0;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &n, wide.data(),
                     static_cast<int32_t>(wide.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status))
    return std::string();
  out.resize(static_cast<std::size_t>(n));
  return out;
}
