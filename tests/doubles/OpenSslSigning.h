#pragma once
// Signing and checking with OpenSSL for the native tests: throw-away P-256 keys made at
// test time, and a verifier that really fails for a signature of another key.
#include <memory>
#include <string>
#include <string_view>

#include "extras/UpdateSignature.h"
#include "platform/SignatureVerifier.h"

namespace dx::test {

class TestSigningKey {
 public:
  TestSigningKey();  // a new key pair
  ~TestSigningKey();
  TestSigningKey(const TestSigningKey&) = delete;
  TestSigningKey& operator=(const TestSigningKey&) = delete;

  std::string PublicKeyPem() const;
  // The DER signature openssl's "dgst -sha256 -sign" gives.
  std::string SignDer(std::string_view data) const;
  // text followed by its "#signature=" line, as the release writes it.
  std::string Signed(std::string_view text) const;

 private:
  struct Key;
  std::unique_ptr<Key> key_;
};

class OpenSslVerifier : public platform::ISignatureVerifier {
 public:
  bool VerifyP256Sha256(const platform::P256PublicKey& key, std::string_view data,
                        const platform::P256Signature& signature) const override;
};

// One key and verifier for a whole test program (key generation is not free).
const TestSigningKey& SharedTestKey();
UpdateTrust SharedTestTrust();

std::string Base64Of(std::string_view bytes);

}  // namespace dx::test
