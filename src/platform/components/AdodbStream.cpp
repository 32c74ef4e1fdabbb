#include "platform/components/AdodbStream.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "platform/components/Components.h"

namespace {

constexpr int adTypeBinary = 1;
constexpr int adTypeText = 2;
constexpr int adReadAll = -1;
constexpr int adWriteLine = 1;

struct ConverterClose {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterClose>;

struct Charset {
  std::string converterName;
  ByteSet byteOrderMark;
};

std::string LowerAscii(std::u16string_view name) {
  std::string out;
  for (char16_t c : name) {
    if (c > 0x7E || c < 0x20)
      return std::string();  // no charset name has such a character
    char a = static_cast<char>(c);
    out.push_back(a >= 'A' && a <= 'Z' ? static_cast<char>(a + 32) : a);
  }
  return out;
}

// The names the platform maps differently from ICU's own aliases.
const char* PlatformAlias(const std::string& name) {
  static const struct {
    const char* name;
    const char* converter;
  } kAliases[] = {
      {"gbk", "windows-936-2000"},
      {"gb2312", "windows-936-2000"},
      {"cp936", "windows-936-2000"},
      {"windows-936", "windows-936-2000"},
      {"x-gbk", "windows-936-2000"},
      {"csgb2312", "windows-936-2000"},
      {"gb_2312-80", "windows-936-2000"},
      {"big5", "windows-950-2000"},
      {"unicode", "UTF-16LE"},
      {"utf-16", "UTF-16LE"},
      {"unicodefffe", "UTF-16BE"},
  };
  for (const auto& alias : kAliases) {
    if (name == alias.name)
      return alias.converter;
  }
  return nullptr;
}

std::optional<Charset> ResolveCharset(std::u16string_view requested) {
  std::string name = LowerAscii(requested);
  if (name.empty())
    return std::nullopt;
  const char* converter = PlatformAlias(name);
  UErrorCode status = U_ZERO_ERROR;
  for (const char* standard : {"IANA", "MIME"}) {
    if (converter != nullptr)
      break;
    status = U_ZERO_ERROR;
    converter = ucnv_getCanonicalName(name.c_str(), standard, &status);
    if (U_FAILURE(status))
      converter = nullptr;
  }
  if (converter == nullptr)
    return std::nullopt;
  status = U_ZERO_ERROR;
  Converter probe(ucnv_open(converter, &status));
  if (U_FAILURE(status) || !probe)
    return std::nullopt;
  Charset charset{converter, {}};
  std::string canonical = ucnv_getName(probe.get(), &status);
  if (canonical == "UTF-8")
    charset.byteOrderMark = {0xEF, 0xBB, 0xBF};
  if (canonical == "UTF-16LE")
    charset.byteOrderMark = {0xFF, 0xFE};
  if (canonical == "UTF-16BE")
    charset.byteOrderMark = {0xFE, 0xFF};
  return charset;
}

Converter OpenConverter(const Charset& charset) {
  UErrorCode status = U_ZERO_ERROR;
  Converter c(ucnv_open(charset.converterName.c_str(), &status));
  if (U_FAILURE(status))
    return nullptr;
  ucnv_setFallback(c.get(), true);
  status = U_ZERO_ERROR;
  ucnv_setSubstString(c.get(), u"?", 1, &status);
  return c;
}

// Both directions convert in chunks, so no buffer is sized for the worst
// case: large texts then touch only the memory they fill.
constexpr std::size_t kChunk = 64 * 1024;

bool Decode(const Charset& charset, const std::uint8_t* data, std::size_t size,
            std::u16string& out) {
  Converter c = OpenConverter(charset);
  if (!c)
    return false;
  out.clear();
  out.reserve(size / 2);
  char16_t buffer[kChunk];
  const char* source = reinterpret_cast<const char*>(data);
  const char* end = source + size;
  UErrorCode status = U_ZERO_ERROR;
  do {
    status = U_ZERO_ERROR;
    char16_t* target = buffer;
    ucnv_toUnicode(c.get(), &target, buffer + kChunk, &source, end, nullptr, true, &status);
    out.append(buffer, target);
  } while (status == U_BUFFER_OVERFLOW_ERROR);
  return U_SUCCESS(status);
}

// Appends the text in `charset` to `out`.
bool Encode(const Charset& charset, std::u16string_view text, ByteSet& out) {
  Converter c = OpenConverter(charset);
  if (!c)
    return false;
  char buffer[kChunk];
  const char16_t* source = text.data();
  const char16_t* end = source + text.size();
  UErrorCode status = U_ZERO_ERROR;
  do {
    status = U_ZERO_ERROR;
    char* target = buffer;
    ucnv_fromUnicode(c.get(), &target, buffer + kChunk, &source, end, nullptr, true, &status);
    out.insert(out.end(), buffer, target);
  } while (status == U_BUFFER_OVERFLOW_ERROR);
  return U_SUCCESS(status);
}

bool IsInteger(const Variant& value, double low, double high) {
  auto type = value.GetType();
  if (type != Variant::Type::Int && type != Variant::Type::Double &&
      type != Variant::Type::String && type != Variant::Type::Bool) {
    return false;
  }
  double n = value.ToNumber();
  return n >= low && n <= high && n == static_cast<double>(static_cast<long long>(n));
}

class Stream : public Dispatch {
 public:
  Stream() : charsetName_(u"Unicode"), charset_(*ResolveCharset(u"Unicode")) {}

  bool Invoke(std::u16string_view name, DispatchKind kind, std::span<const Variant> args,
              Variant& result) override {
    if (kind == DispatchKind::Put)
      return args.size() == 1 && Put(name, args[0]);
    if (args.empty() && ReadProperty(name, result))
      return true;
    if (SameName(name, u"Open"))
      return Open(args);
    if (!open_)
      return false;
    if (SameName(name, u"Close") && args.empty()) {
      open_ = false;
      bytes_.clear();
      position_ = 0;
      return true;
    }
    if (SameName(name, u"Flush") && args.empty())
      return true;
    if (SameName(name, u"SetEOS") && args.empty()) {
      bytes_.resize(std::min(bytes_.size(), position_));
      return true;
    }
    if (SameName(name, u"Write") && args.size() == 1) {
      if (type_ != adTypeBinary || args[0].GetType() != Variant::Type::Bytes)
        return false;
      WriteBytes(args[0].Bytes());
      return true;
    }
    if (SameName(name, u"Read") && args.size() <= 1)
      return Read(args, result);
    if (SameName(name, u"WriteText") && (args.size() == 1 || args.size() == 2)) {
      return WriteText(args, result);
    }
    if (SameName(name, u"ReadText") && args.size() <= 1)
      return ReadText(args, result);
    return false;
  }

 private:
  bool ReadProperty(std::u16string_view name, Variant& result) const {
    if (SameName(name, u"Type")) {
      result = Variant(type_);
    } else if (SameName(name, u"Mode")) {
      result = Variant(mode_);
    } else if (SameName(name, u"Charset")) {
      result = Variant(charsetName_);
    } else if (SameName(name, u"State")) {
      result = Variant(open_ ? 1 : 0);
    } else if (open_ && SameName(name, u"Position")) {
      result = Variant(static_cast<double>(position_));
    } else if (open_ && SameName(name, u"Size")) {
      result = Variant(static_cast<double>(bytes_.size()));
    } else if (open_ && SameName(name, u"EOS")) {
      result = Variant(position_ >= bytes_.size());
    } else {
      return false;
    }
    return true;
  }

  bool Put(std::u16string_view name, const Variant& value) {
    if (SameName(name, u"Type")) {
      if (!IsInteger(value, adTypeBinary, adTypeText) || (open_ && position_ != 0))
        return false;
      type_ = static_cast<int>(value.ToNumber());
      return true;
    }
    if (SameName(name, u"Mode")) {
      if (open_ || !IsInteger(value, 0, 0x3FFFFF))
        return false;
      mode_ = static_cast<int>(value.ToNumber());
      return true;
    }
    if (SameName(name, u"Charset")) {
      std::optional<Charset> charset = ResolveCharset(value.ToWide());
      if (!charset)
        return false;
      charsetName_ = value.ToWide();
      charset_ = std::move(*charset);
      return true;
    }
    if (SameName(name, u"Position")) {
      if (!open_ || !IsInteger(value, 0, 9.0e15))
        return false;
      position_ = static_cast<std::size_t>(value.ToNumber());
      return true;
    }
    return false;
  }

  // Opens an empty stream; a source to open from is not supported.
  bool Open(std::span<const Variant> args) {
    if (open_)
      return false;
    for (const Variant& arg : args) {
      if (!arg.IsNullOrEmpty())
        return false;
    }
    open_ = true;
    bytes_.clear();
    position_ = 0;
    return true;
  }

  void WriteBytes(const ByteSet& data) {
    if (data.empty())
      return;
    std::size_t end = position_ + data.size();
    if (bytes_.size() < end)
      bytes_.resize(end);
    std::copy(data.begin(), data.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(position_));
    position_ = end;
  }

  std::size_t Available() const {
    return position_ < bytes_.size() ? bytes_.size() - position_ : 0;
  }

  bool Read(std::span<const Variant> args, Variant& result) {
    if (type_ != adTypeBinary)
      return false;
    std::size_t count = Available();
    if (!args.empty() && !args[0].IsEmpty()) {
      if (!IsInteger(args[0], adReadAll, 9.0e15))
        return false;
      double wanted = args[0].ToNumber();
      if (wanted != adReadAll)
        count = std::min(count, static_cast<std::size_t>(wanted));
    }
    auto from = bytes_.begin() + static_cast<std::ptrdiff_t>(std::min(position_, bytes_.size()));
    result = Variant(ByteSet(from, from + static_cast<std::ptrdiff_t>(count)));
    position_ += count;
    return true;
  }

  bool WriteText(std::span<const Variant> args, Variant& result) {
    if (type_ != adTypeText)
      return false;
    std::shared_ptr<const std::u16string> text = args[0].SharedWide();
    if (args.size() == 2 && args[1].ToNumber() == adWriteLine)
      text = std::make_shared<const std::u16string>(*text + u"\r\n");
    if (!text->empty() && bytes_.empty() && position_ == 0)
      WriteBytes(charset_.byteOrderMark);
    if (position_ == bytes_.size()) {
      if (!Encode(charset_, *text, bytes_))
        return false;
      position_ = bytes_.size();
    } else {
      ByteSet encoded;
      if (!Encode(charset_, *text, encoded))
        return false;
      WriteBytes(encoded);
    }
    result = Variant();
    return true;
  }

  // Reads every character from Position to the end; counts of characters
  // other than "all" are not supported.
  bool ReadText(std::span<const Variant> args, Variant& result) {
    if (type_ != adTypeText)
      return false;
    if (!args.empty() && !args[0].IsEmpty() && args[0].ToNumber() != adReadAll)
      return false;
    std::size_t from = std::min(position_, bytes_.size());
    const ByteSet& mark = charset_.byteOrderMark;
    if (from == 0 && !mark.empty() && bytes_.size() >= mark.size() &&
        std::equal(mark.begin(), mark.end(), bytes_.begin())) {
      from = mark.size();
    }
    std::u16string text;
    if (!Decode(charset_, bytes_.data() + from, bytes_.size() - from, text))
      return false;
    position_ = std::max(position_, bytes_.size());
    result = Variant(std::move(text));
    return true;
  }

  int type_ = adTypeText;
  int mode_ = 0;
  std::u16string charsetName_;
  Charset charset_;
  bool open_ = false;
  ByteSet bytes_;
  std::size_t position_ = 0;
};

}  // namespace

std::shared_ptr<Dispatch> CreateAdodbStream() {
  return std::make_shared<Stream>();
}
