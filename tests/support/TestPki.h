// Throw-away certificates for TLS tests: one CA made at first use, and server
// certificates signed by it, all written as PEM files into a temporary
// directory that is removed when the process ends.
//
// Tests trust the CA through the transport's own setting (TrustTestCa), never
// by switching verification off.
#pragma once

#include <string>

enum class TestCertKind {
  Good,       // 127.0.0.1 and localhost, valid now, signed by the test CA
  WrongHost,  // valid and signed by the test CA, but for wrong-host.invalid only
  Expired,    // 127.0.0.1 and localhost, signed by the test CA, expired yesterday
  Untrusted,  // 127.0.0.1 and localhost, valid, signed by a CA nobody trusts
};

struct TestCertFiles {
  std::string certificatePath;  // the server certificate (PEM)
  std::string keyPath;          // its private key (PEM)
};

// The PEM file of the test CA.
const std::string& TestCaPemPath();
// The files of a server certificate of that kind (made once, then reused).
const TestCertFiles& TestServerCertificate(TestCertKind kind);
// Makes every later TLS exchange of the process trust the test CA.
void TrustTestCa();
