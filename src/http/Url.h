// Taking a URL apart into what a connection and a request need: the host, the
// port and the object path. Nothing is validated or decoded and every input
// gives some output; only "http" and "https" are schemes, and a URL without
// one is taken as http.
#pragma once

#include <optional>

#include "text/TextTypes.h"

// The host, lower-cased. Without `levels` the host is what follows the scheme
// up to the next "/"; with `levels` (n) the host is counted in dot-separated
// labels from its end. `mainDomainOnly` keeps the last two labels (standard
// mode) or the last label group that `levels` selects; `keepPort` keeps a
// ":port" suffix.
TextValue UrlHost(const TextValue& url, bool mainDomainOnly = false, bool keepPort = false,
                  std::optional<int> levels = std::nullopt);
// The explicit port (0 when its text opens with no digits), else 443 for an
// https URL and 80 otherwise.
int UrlPort(const TextValue& url);
// From the first "/" after the host to the end, as the caller wrote it, query
// and fragment included; "/" when there is none.
TextValue UrlPath(const TextValue& url);
