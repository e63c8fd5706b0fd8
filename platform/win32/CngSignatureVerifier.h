#pragma once
// Signature checks by the system's own cryptography (CNG in bcrypt.dll).
#include "platform/SignatureVerifier.h"

namespace dx::win32 {

class CngSignatureVerifier : public platform::ISignatureVerifier {
 public:
  bool VerifyP256Sha256(const platform::P256PublicKey& key, std::string_view data,
                        const platform::P256Signature& signature) const override;
};

}  // namespace dx::win32
