// Hands certificates given as PEM text to the transport's process-wide extra
// trust list, which only takes a file: a private temporary file, removed at
// once since the transport reads it on the spot.
#pragma once

#include <string>

// False when no certificate could be read from `pem`.
bool TrustPemText(const std::string& pem);
