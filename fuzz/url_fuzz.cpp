// UrlHost in both modes with every flag and a range of levels, UrlPort and
// UrlPath, over an arbitrary URL.
#include <cstdint>
#include <optional>

#include "FuzzSupport.h"
#include "http/Url.h"
#include "text/TextOps.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TextValue url = SplitInput(data, size, 0, 1)[0];
  for (std::optional<int> levels :
       {std::optional<int>(), std::optional<int>(-1), std::optional<int>(0), std::optional<int>(1),
        std::optional<int>(2), std::optional<int>(5)}) {
    for (bool mainDomainOnly : {false, true}) {
      for (bool keepPort : {false, true}) {
        const TextValue host = UrlHost(url, mainDomainOnly, keepPort, levels);
        Check(!ContainsText(host, "/"));
        Check(keepPort || !ContainsText(host, ":"));
      }
    }
  }
  UrlPort(url);
  const TextValue path = UrlPath(url);
  Check(!path.empty() && path[0] == '/');
  Check(path == "/" || EndsWith(url, path));
  return 0;
}
