#include "app/demo/TrustPem.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "platform/net/HttpTransfer.h"

bool TrustPemText(const std::string& pem) {
  std::string path = (std::filesystem::temp_directory_path() / "vantrel-ca-XXXXXX").string();
  const int fd = mkstemp(path.data());
  if (fd < 0) {
    return false;
  }
  const bool written = write(fd, pem.data(), pem.size()) == static_cast<ssize_t>(pem.size());
  close(fd);
  const bool trusted = written && SetExtraTrustedCaFile(path);
  std::remove(path.c_str());
  return trusted;
}
