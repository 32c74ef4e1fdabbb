#include "text/TextTypes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

TextValue BytesToText(const std::uint8_t* data, std::size_t size) {
  const void* nul = size == 0 ? nullptr : std::memchr(data, 0, size);
  std::size_t length = nul ? static_cast<const std::uint8_t*>(nul) - data : size;
  return TextValue(reinterpret_cast<const char*>(data), length);
}

TextValue BytesToText(const ByteSet& bytes) {
  return BytesToText(bytes.data(), bytes.size());
}

ByteSet TextToBytes(const TextValue& text) {
  return ByteSet(text.begin(), text.end());
}

namespace {
[[noreturn]] void IndexFault(int position, int size) {
  std::fprintf(stderr, "TextArray: position %d outside 1..%d\n", position, size);
  std::abort();
}
}  // namespace

TextValue& TextArray::At(int position) {
  if (position < 1 || position > Size())
    IndexFault(position, Size());
  return items_[position - 1];
}

const TextValue& TextArray::At(int position) const {
  if (position < 1 || position > Size())
    IndexFault(position, Size());
  return items_[position - 1];
}

void TextArray::Insert(int position, TextValue text) {
  if (position < 1 || position > Size() + 1)
    IndexFault(position, Size() + 1);
  items_.insert(items_.begin() + (position - 1), std::move(text));
}
