#include <gtest/gtest.h>

#include <string>

#include "platform/winhttp/WinHttp.h"

namespace {

struct CrackCase {
  std::u16string url;
  bool ok;
  INTERNET_SCHEME scheme = 0;
  std::u16string host = {};
  INTERNET_PORT port = 0;
  std::u16string path = {};
  std::u16string extra = {};
};

std::u16string Piece(const char16_t* pointer, DWORD length) {
  return pointer == nullptr ? std::u16string() : std::u16string(pointer, length);
}

TEST(WinHttpCrackUrl, SplitsTheRecordsComponents) {
  const CrackCase cases[] = {
      {u"http://example.com/a/b?x=1#f", true, INTERNET_SCHEME_HTTP, u"example.com", 80, u"/a/b",
       u"?x=1#f"},
      {u"HTTPS://Example.com", true, INTERNET_SCHEME_HTTPS, u"Example.com", 443, u"", u""},
      {u"http://h:8080?q=1", true, INTERNET_SCHEME_HTTP, u"h", 8080, u"", u"?q=1"},
      {u"http://u:p@h:81/p", true, INTERNET_SCHEME_HTTP, u"h", 81, u"/p", u""},
      {u"http://[::1]:9/x", true, INTERNET_SCHEME_HTTP, u"::1", 9, u"/x", u""},
      {u"http://h/p?next=http://other/", true, INTERNET_SCHEME_HTTP, u"h", 80, u"/p",
       u"?next=http://other/"},
      {u"http://h/a\r\nX: y", true, INTERNET_SCHEME_HTTP, u"h", 80, u"/a\r\nX: y", u""},
      {u"ftp://h/", false},
      {u"h/a", false},
      {u"", false},
      {u"http:///a", false},
      {u"http://h:0/", false},
      {u"http://h:65536/", false},
      {u"http://h:8x/", false},
  };
  for (const CrackCase& c : cases) {
    SCOPED_TRACE(std::string(c.url.begin(), c.url.end()));
    URL_COMPONENTS parts{};
    parts.dwStructSize = kUrlComponentsSize;
    parts.dwSchemeLength = parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    ASSERT_EQ(WinHttpCrackUrl(c.url.c_str(), static_cast<DWORD>(c.url.size()), 0, &parts), c.ok);
    if (!c.ok)
      continue;
    EXPECT_EQ(parts.nScheme, c.scheme);
    EXPECT_EQ(Piece(parts.lpszHostName, parts.dwHostNameLength), c.host);
    EXPECT_EQ(parts.nPort, c.port);
    EXPECT_EQ(Piece(parts.lpszUrlPath, parts.dwUrlPathLength), c.path);
    EXPECT_EQ(Piece(parts.lpszExtraInfo, parts.dwExtraInfoLength), c.extra);
    EXPECT_EQ(parts.lpszUserName, nullptr) << "not asked for";
  }
}

TEST(WinHttpCrackUrl, RefusesAWrongRecordSizeOrFlags) {
  const char16_t* url = u"http://h/";
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof(URL_COMPONENTS);
  EXPECT_FALSE(WinHttpCrackUrl(url, 0, 0, &parts));
  parts.dwStructSize = kUrlComponentsSize;
  EXPECT_FALSE(WinHttpCrackUrl(url, 0, 1, &parts));
  EXPECT_TRUE(WinHttpCrackUrl(url, 0, 0, &parts)) << "length 0 reads up to the NUL";
}

}  // namespace
