#include "http/Url.h"

#include "text/TextBetween.h"
#include "text/TextOps.h"

namespace {

TextValue CutPort(const TextValue& host) {
  const int colon = FindText(host, ":");
  return colon == -1 ? host : LeftText(host, colon - 1);
}

// The last "." lying before the 1-based `position`; nothing lies before -1.
int LastDotBefore(const TextValue& text, int position) {
  if (position <= 0)
    return -1;
  return FindLastText(text, ".", position);
}

TextValue After(const TextValue& text, int position) {
  return text.substr(static_cast<std::size_t>(position));
}

TextValue StandardHost(const TextValue& url, bool mainDomainOnly) {
  TextValue u = ToLowerAscii(url);
  if (u.empty() || u.back() != '/')
    u += '/';
  TextValue host;
  if (LeftText(u, 8) == "https://") {
    host = TextBetween(u, "https://", "/");
  } else {
    if (!ContainsText(u, "http://"))
      u = "http://" + u;
    host = TextBetween(u, "http://", "/");
  }
  if (mainDomainOnly) {
    const TextArray pieces = SplitText(host, ".");
    const int count = pieces.Size();
    if (count >= 2)
      host = pieces.At(count - 1) + "." + pieces.At(count);
  }
  return host;
}

TextValue LabelCountHost(const TextValue& url, bool mainDomainOnly, int levels) {
  TextValue u = ReplaceText(ReplaceText(ToLowerAscii(url), "http://", ""), "https://", "");
  const int slash = FindText(u, "/");
  if (slash != -1)
    u = LeftText(u, slash - 1);
  int m = static_cast<int>(u.size());
  for (int i = 0; i < levels; ++i) m = LastDotBefore(u, m);
  const int o = LastDotBefore(u, m);
  if (mainDomainOnly)
    return o == -1 ? u : After(u, o);
  if (o != -1) {
    const int before = LastDotBefore(u, o);
    if (before != -1)
      return After(u, before);
  }
  return u;
}

}  // namespace

TextValue UrlHost(const TextValue& url, bool mainDomainOnly, bool keepPort,
                  std::optional<int> levels) {
  TextValue host =
      levels ? LabelCountHost(url, mainDomainOnly, *levels) : StandardHost(url, mainDomainOnly);
  return keepPort ? host : CutPort(host);
}

int UrlPort(const TextValue& url) {
  const TextValue host = UrlHost(url, false, true);
  const int colon = FindLastText(host, ":");
  if (colon != -1)
    return TextToInt(After(host, colon));
  return LeftText(ToLowerAscii(url), 5) == "https" ? 443 : 80;
}

TextValue UrlPath(const TextValue& url) {
  const int a = FindText(url, UrlHost(url), 1, true);
  const int b = FindText(url, "/", a);
  return b == -1 ? TextValue("/") : After(url, b - 1);
}
