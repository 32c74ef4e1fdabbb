#include "app/demo/DemoCertificates.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace {

using Key = std::shared_ptr<EVP_PKEY>;
using Certificate = std::shared_ptr<X509>;

Key NewKey() {
  // P-256: made in a millisecond, unlike an RSA key.
  return Key(EVP_EC_gen("P-256"), EVP_PKEY_free);
}

bool AddExtension(X509* certificate, X509* issuer, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  if (extension == nullptr) {
    return false;
  }
  const bool added = X509_add_ext(certificate, extension, -1) == 1;
  X509_EXTENSION_free(extension);
  return added;
}

// A certificate for `key` named `commonName`, valid from an hour ago for a
// day. Self-signed when `issuer` is null.
Certificate NewCertificate(EVP_PKEY* key, const char* commonName, X509* issuer,
                           EVP_PKEY* issuerKey) {
  Certificate certificate(X509_new(), X509_free);
  if (!certificate) {
    return nullptr;
  }
  X509* cert = certificate.get();
  unsigned char serial[16];
  if (RAND_bytes(serial, sizeof serial) != 1) {
    return nullptr;
  }
  serial[0] &= 0x7F;
  BIGNUM* serialNumber = BN_bin2bn(serial, sizeof serial, nullptr);
  const bool serialSet =
      serialNumber != nullptr && BN_to_ASN1_INTEGER(serialNumber, X509_get_serialNumber(cert));
  BN_free(serialNumber);
  if (!serialSet || X509_set_version(cert, 2) != 1) {
    return nullptr;
  }
  X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert), 24 * 3600);
  X509_set_pubkey(cert, key);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("Vantrel demo"), -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  X509* signer = issuer != nullptr ? issuer : cert;
  X509_set_issuer_name(cert, X509_get_subject_name(signer));
  bool extended;
  if (issuer == nullptr) {
    extended = AddExtension(cert, signer, NID_basic_constraints, "critical,CA:TRUE") &&
               AddExtension(cert, signer, NID_key_usage, "critical,keyCertSign,cRLSign") &&
               AddExtension(cert, signer, NID_subject_key_identifier, "hash");
  } else {
    extended = AddExtension(cert, signer, NID_basic_constraints, "critical,CA:FALSE") &&
               AddExtension(cert, signer, NID_key_usage, "critical,digitalSignature") &&
               AddExtension(cert, signer, NID_ext_key_usage, "serverAuth") &&
               AddExtension(cert, signer, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost") &&
               AddExtension(cert, signer, NID_authority_key_identifier, "keyid:always");
  }
  if (!extended) {
    return nullptr;
  }
  if (X509_sign(cert, issuerKey != nullptr ? issuerKey : key, EVP_sha256()) <= 0) {
    return nullptr;
  }
  return certificate;
}

std::string ToPem(X509* certificate) {
  std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), BIO_free);
  if (!bio || PEM_write_bio_X509(bio.get(), certificate) != 1) {
    return {};
  }
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio.get(), &data);
  return size > 0 ? std::string(data, static_cast<std::size_t>(size)) : std::string();
}

}  // namespace

bool MakeDemoCertificates(DemoCertificates& out) {
  Key caKey = NewKey();
  Key serverKey = NewKey();
  if (!caKey || !serverKey) {
    return false;
  }
  Certificate ca = NewCertificate(caKey.get(), "Vantrel demo authority", nullptr, nullptr);
  if (!ca) {
    return false;
  }
  Certificate server = NewCertificate(serverKey.get(), "127.0.0.1", ca.get(), caKey.get());
  std::string caPem = ca ? ToPem(ca.get()) : std::string();
  if (!server || caPem.empty()) {
    return false;
  }
  out.serverCertificate = std::move(server);
  out.serverKey = std::move(serverKey);
  out.caPem = std::move(caPem);
  return true;
}
