#include "support/TestPki.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>

#include "platform/net/HttpTransfer.h"

namespace {

struct KeyAndCert {
  EVP_PKEY* key = nullptr;
  X509* cert = nullptr;
};

[[noreturn]] void Die(const char* what) {
  std::fprintf(stderr, "test certificates: %s failed\n", what);
  std::abort();
}

void AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  if (!extension)
    Die("certificate extension");
  X509_add_ext(cert, extension, -1);
  X509_EXTENSION_free(extension);
}

// A certificate for subject, signed by issuer (itself when issuer is null).
KeyAndCert MakeCertificate(const char* commonName, const KeyAndCert* issuer, bool isCa,
                           const char* altNames, long notBeforeDays, long notAfterDays) {
  static long serial = 1;
  KeyAndCert made;
  made.key = EVP_EC_gen("P-256");
  made.cert = X509_new();
  if (!made.key || !made.cert)
    Die("key generation");
  X509_set_version(made.cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(made.cert), serial++);
  X509_gmtime_adj(X509_getm_notBefore(made.cert), notBeforeDays * 86400);
  X509_gmtime_adj(X509_getm_notAfter(made.cert), notAfterDays * 86400);
  X509_set_pubkey(made.cert, made.key);
  X509_NAME* name = X509_get_subject_name(made.cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  X509* issuerCert = issuer ? issuer->cert : made.cert;
  X509_set_issuer_name(made.cert, X509_get_subject_name(issuerCert));
  if (isCa) {
    AddExtension(made.cert, issuerCert, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(made.cert, issuerCert, NID_key_usage, "critical,keyCertSign,cRLSign");
  } else {
    AddExtension(made.cert, issuerCert, NID_basic_constraints, "CA:FALSE");
    AddExtension(made.cert, issuerCert, NID_ext_key_usage, "serverAuth");
    AddExtension(made.cert, issuerCert, NID_subject_alt_name, altNames);
  }
  AddExtension(made.cert, issuerCert, NID_subject_key_identifier, "hash");
  if (!X509_sign(made.cert, issuer ? issuer->key : made.key, EVP_sha256()))
    Die("signing");
  return made;
}

void WritePem(const std::string& path, X509* cert, EVP_PKEY* key) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file)
    Die("writing a PEM file");
  if (cert)
    PEM_write_X509(file, cert);
  if (key)
    PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr);
  std::fclose(file);
}

class Pki {
 public:
  static Pki& Get() {
    static Pki* pki = new Pki();  // lives to the end: servers may still use its files
    return *pki;
  }

  const std::string& CaPath() const { return caPath_; }

  const TestCertFiles& Leaf(TestCertKind kind) {
    std::lock_guard lock(mutex_);
    auto found = leaves_.find(kind);
    if (found != leaves_.end())
      return found->second;
    const char* localNames = "IP:127.0.0.1,DNS:localhost";
    KeyAndCert made;
    switch (kind) {
      case TestCertKind::Good:
        made = MakeCertificate("127.0.0.1", &ca_, false, localNames, -1, 30);
        break;
      case TestCertKind::WrongHost:
        made = MakeCertificate("wrong-host.invalid", &ca_, false, "DNS:wrong-host.invalid", -1, 30);
        break;
      case TestCertKind::Expired:
        made = MakeCertificate("127.0.0.1", &ca_, false, localNames, -30, -1);
        break;
      case TestCertKind::Untrusted:
        made = MakeCertificate("127.0.0.1", &otherCa_, false, localNames, -1, 30);
        break;
    }
    std::string stem = directory_ + "/server" + std::to_string(static_cast<int>(kind));
    TestCertFiles files{stem + ".crt", stem + ".key"};
    WritePem(files.certificatePath, made.cert, nullptr);
    WritePem(files.keyPath, nullptr, made.key);
    X509_free(made.cert);
    EVP_PKEY_free(made.key);
    return leaves_.emplace(kind, files).first->second;
  }

 private:
  Pki() {
    std::random_device random;
    directory_ = (std::filesystem::temp_directory_path() /
                  ("vantrel-pki-" + std::to_string(getpid()) + "-" + std::to_string(random())))
                     .string();
    std::filesystem::create_directories(directory_);
    std::atexit([] { std::filesystem::remove_all(Get().directory_); });
    ca_ = MakeCertificate("Vantrel Test CA", nullptr, true, nullptr, -1, 30);
    otherCa_ = MakeCertificate("Untrusted Test CA", nullptr, true, nullptr, -1, 30);
    caPath_ = directory_ + "/ca.pem";
    WritePem(caPath_, ca_.cert, nullptr);
  }

  std::mutex mutex_;
  std::string directory_;
  std::string caPath_;
  KeyAndCert ca_, otherCa_;
  std::map<TestCertKind, TestCertFiles> leaves_;
};

}  // namespace

const std::string& TestCaPemPath() {
  return Pki::Get().CaPath();
}

const TestCertFiles& TestServerCertificate(TestCertKind kind) {
  return Pki::Get().Leaf(kind);
}

void TrustTestCa() {
  if (!SetExtraTrustedCaFile(TestCaPemPath()))
    Die("trusting the test CA");
}
