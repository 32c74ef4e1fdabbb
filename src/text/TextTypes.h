// The three value types every layer speaks: GBK byte strings, byte buffers
// and 1-based arrays of texts.
//
// A TextValue never holds a NUL byte; the empty string stands for an absent
// text too. Positions in texts are 1-based byte positions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using TextValue = std::string;
using ByteSet = std::vector<std::uint8_t>;

// The bytes up to the first NUL, or all of them.
TextValue BytesToText(const ByteSet& bytes);
TextValue BytesToText(const std::uint8_t* data, std::size_t size);
// The text's bytes, without a terminator.
ByteSet TextToBytes(const TextValue& text);

// A growable array of texts with positions 1 to Size(). An index outside that
// range is a programming error: the program ends with a message.
class TextArray {
 public:
  TextArray() = default;
  TextArray(std::initializer_list<TextValue> items) : items_(items) {}

  int Size() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  TextValue& At(int position);
  const TextValue& At(int position) const;
  // 1 <= position <= Size() + 1; later elements move up by one.
  void Insert(int position, TextValue text);
  void Append(TextValue text) { items_.push_back(std::move(text)); }
  void Clear() { items_.clear(); }

  std::vector<TextValue>& Items() { return items_; }
  const std::vector<TextValue>& Items() const { return items_; }
  bool operator==(const TextArray&) const = default;

 private:
  std::vector<TextValue> items_;
};
