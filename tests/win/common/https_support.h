// For the tests over https (vt_https_test in CMake): the TLS front of a
// loopback server, its test CA trusted, and manifests signed by the test key.
#pragma once

#include <windows.h>
#include <bcrypt.h>
#include <wincrypt.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "test_support.h"

namespace vt::test {

// "name" -> "https://localhost:<port>" for each listener of the front, which
// from now on passes its connections to 127.0.0.1:backendPort.
inline std::map<std::string, std::string> HttpsFront(unsigned short backendPort) {
  const std::string dir = Env("VT_TLS_DIR");
  std::ofstream(dir + "/backend.port") << backendPort;
  std::ifstream ca(dir + "/ca.der", std::ios::binary);
  const std::string der{std::istreambuf_iterator<char>(ca), {}};
  HCERTSTORE root = CertOpenSystemStoreA(0, "ROOT");
  CertAddEncodedCertificateToStore(
      root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
      static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  CertCloseStore(root, 0);  // the registry store is written here
  std::map<std::string, std::string> fronts;
  std::ifstream ports(dir + "/ports");
  for (std::string name, port; std::getline(ports, name, '=') && std::getline(ports, port);)
    fronts[name] = "https://localhost:" + port;
  return fronts;
}

// `text` and its signature line, by the test key (VT_TEST_SIGNING_KEY: X, Y
// and d in hex) or by a key made up here. Failures go unchecked: they show
// as a refused signature.
inline std::string Signed(const std::string& text, bool byOtherKey = false) {
  BCRYPT_ALG_HANDLE alg = nullptr;
  BCRYPT_KEY_HANDLE key = nullptr;
  BCryptOpenAlgorithmProvider(&alg, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0);
  struct {
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PRIVATE_P256_MAGIC, 32};
    UCHAR xyd[96];
  } blob;
  const std::string hex = VT_TEST_SIGNING_KEY;
  for (int i = 0; i < 96; ++i) blob.xyd[i] = std::stoi(hex.substr(2 * i, 2), nullptr, 16);
  if (byOtherKey) {
    BCryptGenerateKeyPair(alg, &key, 256, 0), BCryptFinalizeKeyPair(key, 0);
  } else {
    BCryptImportKeyPair(alg, nullptr, BCRYPT_ECCPRIVATE_BLOB, &key, reinterpret_cast<PUCHAR>(&blob),
                        sizeof blob, 0);
  }
  UCHAR digest[32], signature[64];
  ULONG size = 0;
  BCRYPT_ALG_HANDLE sha = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  BCryptOpenAlgorithmProvider(&sha, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
  BCryptCreateHash(sha, &hash, nullptr, 0, nullptr, 0, 0);
  BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(text.data())),
                 static_cast<ULONG>(text.size()), 0);
  BCryptFinishHash(hash, digest, sizeof digest, 0);
  BCryptSignHash(key, nullptr, digest, sizeof digest, signature, sizeof signature, &size, 0);
  BCryptDestroyHash(hash), BCryptDestroyKey(key);
  BCryptCloseAlgorithmProvider(sha, 0), BCryptCloseAlgorithmProvider(alg, 0);
  std::string line = "sig=";
  for (UCHAR b : signature) line += "0123456789abcdef"[b >> 4], line += "0123456789abcdef"[b & 15];
  return text + line + "\n";
}

}  // namespace vt::test
