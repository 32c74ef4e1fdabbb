// An automation value: empty, null, bool, 32-bit int, double, UTF-16
// string, byte array or object reference, with the conversions automation
// applies when a caller asks for a kind of value.
//
// Read as text: a bool is "-1" or "0", a number its decimal form, null and
// empty the empty text. Text read as a number or bool converts where it
// reads as one (decimal digits, sign, point, exponent; "True"/"False" for a
// bool), else gives 0 / false. An object reads as its default member (the
// empty name), or as empty when it has none.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "text/TextTypes.h"

class Dispatch;

class Variant {
 public:
  enum class Type { Empty, Null, Bool, Int, Double, String, Bytes, Object };

  Variant() = default;
  Variant(bool value) : type_(Type::Bool), number_(value ? -1 : 0) {}
  Variant(int value) : type_(Type::Int), number_(value) {}
  Variant(double value) : type_(Type::Double), number_(value) {}
  Variant(std::u16string value)
      : type_(Type::String), string_(std::make_shared<const std::u16string>(std::move(value))) {}
  // Without it a literal would convert to bool.
  Variant(const char16_t* value) : Variant(std::u16string(value)) {}
  Variant(ByteSet value)
      : type_(Type::Bytes), bytes_(std::make_shared<ByteSet>(std::move(value))) {}
  Variant(std::shared_ptr<Dispatch> object);
  Variant(const char*) = delete;  // say which: FromText (GBK) or a u16string

  static Variant MakeNull();
  // A GBK text, carried as UTF-16.
  static Variant FromText(const TextValue& gbk);

  Type GetType() const { return type_; }
  bool IsEmpty() const { return type_ == Type::Empty; }
  bool IsNullOrEmpty() const { return type_ == Type::Empty || type_ == Type::Null; }

  std::u16string ToWide() const;
  // ToWide without a copy for a string: copies of a Variant share its text.
  std::shared_ptr<const std::u16string> SharedWide() const;
  // GBK, up to the first NUL character.
  TextValue ToText() const;
  double ToNumber() const;
  bool ToBool() const;
  // The bytes of a byte array; empty for every other type.
  const ByteSet& Bytes() const;
  // The bytes, moved out when no other copy shares them.
  ByteSet TakeBytes() &&;
  std::shared_ptr<Dispatch> Object() const { return object_; }

 private:
  Type type_ = Type::Empty;
  double number_ = 0;
  std::shared_ptr<const std::u16string> string_;
  std::shared_ptr<ByteSet> bytes_;  // never changed once made: copies share it
  std::shared_ptr<Dispatch> object_;
};
