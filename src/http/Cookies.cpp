#include "http/Cookies.h"

#include "text/TextOps.h"

namespace {

constexpr std::string_view kDeletion = "=deleted";

bool IsDeletion(const TextValue& item) {
  return item.size() >= kDeletion.size() &&
         item.compare(item.size() - kDeletion.size(), kDeletion.size(), kDeletion) == 0;
}

// Cuts `count` bytes off the end; an empty text stays empty.
void CutEnd(TextValue& text, std::size_t count) {
  text.resize(text.size() > count ? text.size() - count : 0);
}

}  // namespace

TextValue CookieName(const TextValue& item) {
  int equals = FindText(item, "=");
  if (equals < 1)
    return TrimSpaces(item);
  return TrimSpaces(LeftText(item, equals - 1));
}

bool CookieNameInList(const TextArray& items, const TextValue& name) {
  for (const TextValue& item : items.Items()) {
    if (CookieName(item) == name)
      return true;
  }
  return false;
}

int IndexOfText(const TextArray& items, const TextValue& text) {
  for (int i = 1; i <= items.Size(); ++i) {
    if (items.At(i) == text)
      return i;
  }
  return -1;
}

TextValue RemoveDuplicateItems(const TextValue& text, const TextValue& separator) {
  TextArray kept;
  TextValue result;
  const TextArray pieces = SplitText(text, separator);
  for (const TextValue& piece : pieces.Items()) {
    if (IndexOfText(kept, piece) != -1)
      continue;
    kept.Append(piece);
    result += piece;
    result += separator;
  }
  CutEnd(result, separator.size());
  return result;
}

TextValue MergeCookies(TextValue& cookies, TextValue& newCookies) {
  cookies = RemoveAllSpaces(cookies);
  newCookies = RemoveAllSpaces(newCookies);
  TextArray merged = SplitText(newCookies, ";");
  const TextArray old = SplitText(cookies, ";");
  for (const TextValue& item : old.Items()) {
    if (!CookieNameInList(merged, CookieName(item)))
      merged.Append(item);
  }
  cookies.clear();
  for (const TextValue& item : merged.Items()) {
    if (IsDeletion(item))
      continue;
    cookies += item;
    cookies += "; ";
  }
  CutEnd(cookies, 2);
  cookies = RemoveDuplicateItems(cookies, "; ");
  return cookies;
}
