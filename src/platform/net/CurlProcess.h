// What every transfer of the process shares: libcurl's one-time set-up, the
// process-wide cookie store and the extra trusted certificates.
//
// Internal to the transport; callers use the functions of HttpTransfer.h.
#pragma once

#include <curl/curl.h>

#include <memory>

// Runs curl_global_init exactly once, whichever thread asks first.
void EnsureCurlReady();

// The share handle that holds the process-wide cookie store; its locks make it
// safe to use from several threads at once.
CURLSH* ProcessCookieShare();

// Installs the extra trusted certificates on an easy handle (through its TLS
// context set-up, so the system's certificates stay trusted as well). The
// handle must keep the returned token for as long as it may connect.
std::shared_ptr<const void> ApplyExtraTrust(CURL* easy);
