#include "platform/com/Variant.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/codepage/CodePage.h"
#include "platform/com/Dispatch.h"

Variant::Variant(std::shared_ptr<Dispatch> object)
    : type_(object ? Type::Object : Type::Empty), object_(std::move(object)) {}

Variant Variant::MakeNull() {
  Variant v;
  v.type_ = Type::Null;
  return v;
}

Variant Variant::FromText(const TextValue& gbk) {
  return Variant(GbkToWide(gbk));
}

namespace {

std::u16string Widen(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

std::string NumberText(double value) {
  if (value == 0)
    return "0";  // also for -0
  if (std::isnan(value))
    return "NaN";
  if (std::isinf(value))
    return value > 0 ? "Infinity" : "-Infinity";
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  std::string text = buffer;
  for (char& c : text) {
    if (c == 'e')
      c = 'E';
  }
  return text;
}

// Reads the whole text as a decimal number with optional blanks around it.
// strtod alone would also take hexadecimal, "inf" and "nan", which automation
// does not.
bool ParseNumber(const std::u16string& text, double* value) {
  std::string ascii;
  for (char16_t c : text) {
    if (c > 0x7F)
      return false;
    ascii.push_back(static_cast<char>(c));
  }
  std::size_t begin = ascii.find_first_not_of(" \t");
  if (begin == std::string::npos)
    return false;
  std::size_t end = ascii.find_last_not_of(" \t");
  std::string core = ascii.substr(begin, end - begin + 1);
  std::size_t i = 0;
  auto digits = [&] {
    std::size_t from = i;
    while (i < core.size() && core[i] >= '0' && core[i] <= '9') ++i;
    return i - from;
  };
  if (i < core.size() && (core[i] == '+' || core[i] == '-'))
    ++i;
  std::size_t mantissa = digits();
  if (i < core.size() && core[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0)
    return false;
  if (i < core.size() && (core[i] == 'e' || core[i] == 'E')) {
    ++i;
    if (i < core.size() && (core[i] == '+' || core[i] == '-'))
      ++i;
    if (digits() == 0)
      return false;
  }
  if (i != core.size())
    return false;
  *value = std::strtod(core.c_str(), nullptr);
  return true;
}

// The value of an object's default member; empty when it has none.
Variant DefaultValue(const std::shared_ptr<Dispatch>& object) {
  Variant value;
  if (!object || !object->Invoke(u"", DispatchKind::Call, {}, value))
    return Variant();
  if (value.GetType() == Variant::Type::Object)
    return Variant();
  return value;
}

}  // namespace

std::u16string Variant::ToWide() const {
  switch (type_) {
    case Type::Bool:
      return number_ != 0 ? u"-1" : u"0";
    case Type::Int:
    case Type::Double:
      return Widen(NumberText(number_));
    case Type::String:
      return *string_;
    case Type::Object:
      return DefaultValue(object_).ToWide();
    default:
      return std::u16string();
  }
}

std::shared_ptr<const std::u16string> Variant::SharedWide() const {
  if (type_ == Type::String)
    return string_;
  return std::make_shared<const std::u16string>(ToWide());
}

const ByteSet& Variant::Bytes() const {
  static const ByteSet kNone;
  return bytes_ ? *bytes_ : kNone;
}

ByteSet Variant::TakeBytes() && {
  if (!bytes_)
    return ByteSet();
  if (bytes_.use_count() > 1)
    return *bytes_;
  return std::move(*bytes_);
}

TextValue Variant::ToText() const {
  std::shared_ptr<const std::u16string> wide = SharedWide();
  // Most texts read back are ASCII: those need no converter.
  TextValue narrow;
  narrow.reserve(wide->size());
  for (char16_t c : *wide) {
    if (c == 0)
      return narrow;
    if (c >= 0x80)
      return WideToGbk(*wide);
    narrow.push_back(static_cast<char>(c));
  }
  return narrow;
}

double Variant::ToNumber() const {
  switch (type_) {
    case Type::Bool:
    case Type::Int:
    case Type::Double:
      return number_;
    case Type::String: {
      double v = 0;
      return ParseNumber(*string_, &v) ? v : 0;
    }
    case Type::Object:
      return DefaultValue(object_).ToNumber();
    default:
      return 0;
  }
}

bool Variant::ToBool() const {
  switch (type_) {
    case Type::Bool:
    case Type::Int:
    case Type::Double:
      return number_ != 0 && !std::isnan(number_);
    case Type::String: {
      if (SameName(*string_, u"true"))
        return true;
      if (SameName(*string_, u"false"))
        return false;
      double v = 0;
      return ParseNumber(*string_, &v) && v != 0;
    }
    case Type::Object:
      return DefaultValue(object_).ToBool();
    default:
      return false;
  }
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z')
      x = static_cast<char16_t>(x + 32);
    if (y >= u'A' && y <= u'Z')
      y = static_cast<char16_t>(y + 32);
    if (x != y)
      return false;
  }
  return true;
}
