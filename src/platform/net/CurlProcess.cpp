#include "platform/net/CurlProcess.h"

#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/net/HttpTransfer.h"

namespace {

std::once_flag curlOnce;

// One lock per kind of shared data, so cookie work does not wait on DNS work.
std::mutex shareLocks[CURL_LOCK_DATA_LAST];

void LockShare(CURL*, curl_lock_data data, curl_lock_access, void*) {
  shareLocks[data].lock();
}

void UnlockShare(CURL*, curl_lock_data data, void*) {
  shareLocks[data].unlock();
}

// Owns the parsed certificates; replaced whole, so a transfer that already
// holds one list keeps it valid while another thread installs a new one.
struct CertificateList {
  std::vector<X509*> certificates;
  ~CertificateList() {
    for (X509* certificate : certificates) X509_free(certificate);
  }
};

std::mutex trustMutex;
std::shared_ptr<const CertificateList> extraTrust;

std::shared_ptr<const CertificateList> CurrentExtraTrust() {
  std::lock_guard lock(trustMutex);
  return extraTrust;
}

CURLcode AddExtraCertificates(CURL*, void* sslContext, void* userData) {
  auto* list = static_cast<const CertificateList*>(userData);
  X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(sslContext));
  for (X509* certificate : list->certificates) {
    // A certificate already in the store is not an error worth failing on.
    X509_STORE_add_cert(store, certificate);
  }
  return CURLE_OK;
}

}  // namespace

void EnsureCurlReady() {
  std::call_once(curlOnce, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CURLSH* ProcessCookieShare() {
  static CURLSH* share = [] {
    EnsureCurlReady();
    CURLSH* created = curl_share_init();
    curl_share_setopt(created, CURLSHOPT_LOCKFUNC, LockShare);
    curl_share_setopt(created, CURLSHOPT_UNLOCKFUNC, UnlockShare);
    curl_share_setopt(created, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    return created;
  }();
  return share;
}

std::shared_ptr<const void> ApplyExtraTrust(CURL* easy) {
  std::shared_ptr<const CertificateList> list = CurrentExtraTrust();
  if (!list) {
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, nullptr);
    return nullptr;
  }
  curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, AddExtraCertificates);
  curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, const_cast<CertificateList*>(list.get()));
  return list;
}

bool SetExtraTrustedCaFile(const std::string& pemPath) {
  EnsureCurlReady();
  if (pemPath.empty()) {
    std::lock_guard lock(trustMutex);
    extraTrust.reset();
    return true;
  }
  std::FILE* file = std::fopen(pemPath.c_str(), "rb");
  if (!file)
    return false;
  auto list = std::make_shared<CertificateList>();
  while (X509* certificate = PEM_read_X509(file, nullptr, nullptr, nullptr)) {
    list->certificates.push_back(certificate);
  }
  std::fclose(file);
  if (list->certificates.empty())
    return false;
  std::lock_guard lock(trustMutex);
  extraTrust = std::move(list);
  return true;
}

void ClearProcessCookies() {
  EnsureCurlReady();
  CURL* easy = curl_easy_init();
  if (!easy)
    return;
  curl_easy_setopt(easy, CURLOPT_SHARE, ProcessCookieShare());
  curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL");
  curl_easy_cleanup(easy);
}
