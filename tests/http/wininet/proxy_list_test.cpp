#include <gtest/gtest.h>

#include "platform/wininet/InternetProxyList.h"

namespace {

struct ProxyCase {
  const char* proxyList;
  const char* bypassList;
  const char* scheme;
  const char* host;
  const char* proxy;  // empty: direct
};

class ProxyList : public testing::TestWithParam<ProxyCase> {};

TEST_P(ProxyList, ChoosesTheProxyForTheRequest) {
  const ProxyCase& c = GetParam();
  EXPECT_EQ(ProxyForRequest(c.proxyList, c.bypassList, c.scheme, c.host), c.proxy);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProxyList,
    testing::Values(ProxyCase{"127.0.0.1:8080", "", "http", "example.com", "127.0.0.1:8080"},
                    ProxyCase{"127.0.0.1:8080", "", "https", "example.com", "127.0.0.1:8080"},
                    ProxyCase{"http=p:3128", "", "http", "example.com", "p:3128"},
                    ProxyCase{"http=p:3128", "", "https", "example.com", ""},
                    ProxyCase{"HTTP=p:1 https=q:2", "", "https", "example.com", "q:2"},
                    ProxyCase{"http=p:1;all:9", "", "https", "example.com", "all:9"},
                    ProxyCase{"all:9;http=p:1", "", "http", "example.com", "p:1"},
                    ProxyCase{"socks=s:1", "", "http", "example.com", ""},
                    ProxyCase{"proxy", "", "http", "example.com", "proxy:80"},
                    ProxyCase{"http://proxy:81/", "", "http", "example.com", "proxy:81"},
                    ProxyCase{"[::1]", "", "http", "example.com", "[::1]:80"},
                    ProxyCase{"[::1]:8080", "", "http", "example.com", "[::1]:8080"},
                    ProxyCase{"p:1", "*.example.com", "http", "www.Example.COM", ""},
                    ProxyCase{"p:1", "*.example.com", "http", "example.com", "p:1"},
                    ProxyCase{"p:1", "a.com; b.com", "https", "b.com", ""},
                    ProxyCase{"p:1", "<local>", "http", "intranet", ""},
                    ProxyCase{"p:1", "<local>", "http", "intranet.corp", "p:1"},
                    ProxyCase{"p:1", "", "http", "localhost", "p:1"},
                    ProxyCase{"p:1", "**a*b*", "http", "xxaxxbxx", ""}));

}  // namespace
