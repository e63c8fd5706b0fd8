#pragma once
// The system's own check of a digital signature, so that no cryptography of the program's
// making decides what it trusts.
#include <array>
#include <cstdint>
#include <string_view>

namespace dx::platform {

// A point of the P-256 curve as X then Y, 32 big-endian bytes each.
using P256PublicKey = std::array<std::uint8_t, 64>;
// An ECDSA signature as r then s, 32 big-endian bytes each.
using P256Signature = std::array<std::uint8_t, 64>;

class ISignatureVerifier {
 public:
  virtual ~ISignatureVerifier() = default;
  // Whether signature is a valid ECDSA P-256 signature with SHA-256 of data under key.
  // Any failure of the system's cryptography counts as "not valid".
  virtual bool VerifyP256Sha256(const P256PublicKey& key, std::string_view data,
                                const P256Signature& signature) const = 0;
};

}  // namespace dx::platform
