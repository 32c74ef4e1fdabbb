// Reading the proxy list and bypass list given to InternetOpenA: which proxy,
// if any, carries a request.
#pragma once

#include <string>
#include <string_view>

// "host:port" of the proxy for a request to `scheme` ("http" or "https") on
// `host`, or empty for a direct connection. `proxyList` holds entries split
// by blanks or ";", each "host[:port]" or "scheme=host[:port]"; an entry for
// the request's scheme wins over one for every scheme, and a port left out is
// 80. `bypassList` names hosts that go direct: "*" matches any run of
// characters, "<local>" every name without a dot; letter case is ignored.
std::string ProxyForRequest(std::string_view proxyList, std::string_view bypassList,
                            std::string_view scheme, std::string_view host);
