// A throw-away certificate authority and one server certificate it signs,
// made fresh in memory for the demo service's HTTPS side.
//
// The server certificate names 127.0.0.1 and localhost. Nothing is written to
// disk; only a process that is handed `caPem` trusts the server.
#pragma once

#include <openssl/types.h>

#include <memory>
#include <string>

struct DemoCertificates {
  std::shared_ptr<X509> serverCertificate;
  std::shared_ptr<EVP_PKEY> serverKey;
  // The authority's certificate in PEM form, for the client's trust list.
  std::string caPem;
};

// False when OpenSSL cannot make the keys or certificates.
bool MakeDemoCertificates(DemoCertificates& out);
