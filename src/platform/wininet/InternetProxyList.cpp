#include "platform/wininet/InternetProxyList.h"

#include <cctype>
#include <vector>

namespace {

std::vector<std::string_view> Entries(std::string_view list) {
  std::vector<std::string_view> entries;
  std::size_t pos = 0;
  while (pos < list.size()) {
    const std::size_t end = list.find_first_of("; \t", pos);
    const std::size_t stop = end == std::string_view::npos ? list.size() : end;
    if (stop > pos)
      entries.push_back(list.substr(pos, stop - pos));
    pos = stop + 1;
  }
  return entries;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// "*" matches any run; iterative with one back-track point, so a hostile
// pattern costs linear time per star.
bool WildcardMatch(std::string_view pattern, std::string_view text) {
  std::size_t p = 0, t = 0, starP = std::string_view::npos, starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starT = t;
    } else if (p < pattern.size() && EqualNoCase(pattern.substr(p, 1), text.substr(t, 1))) {
      ++p;
      ++t;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool Bypassed(std::string_view bypassList, std::string_view host) {
  for (std::string_view entry : Entries(bypassList)) {
    if (EqualNoCase(entry, "<local>")) {
      if (host.find('.') == std::string_view::npos)
        return true;
    } else if (WildcardMatch(entry, host)) {
      return true;
    }
  }
  return false;
}

std::string ProxyAddress(std::string_view value) {
  if (value.size() >= 7 && EqualNoCase(value.substr(0, 7), "http://"))
    value.remove_prefix(7);
  while (!value.empty() && value.back() == '/') value.remove_suffix(1);
  if (value.empty())
    return std::string();
  std::string address(value);
  const bool bracketed = address.front() == '[';
  const std::size_t colon = address.rfind(':');
  const bool hasPort = colon != std::string::npos && (!bracketed || colon > address.rfind(']'));
  if (!hasPort)
    address += ":80";
  return address;
}

}  // namespace

std::string ProxyForRequest(std::string_view proxyList, std::string_view bypassList,
                            std::string_view scheme, std::string_view host) {
  if (Bypassed(bypassList, host))
    return std::string();
  std::string_view forScheme, forAll;
  bool haveScheme = false, haveAll = false;
  for (std::string_view entry : Entries(proxyList)) {
    const std::size_t equals = entry.find('=');
    if (equals == std::string_view::npos) {
      if (!haveAll)
        forAll = entry;
      haveAll = true;
    } else if (!haveScheme && EqualNoCase(entry.substr(0, equals), scheme)) {
      forScheme = entry.substr(equals + 1);
      haveScheme = true;
    }
  }
  if (haveScheme)
    return ProxyAddress(forScheme);
  return haveAll ? ProxyAddress(forAll) : std::string();
}
