#pragma once
// The maker's signature of the update information file: the "#signature=" line, which
// earlier versions of the program skip like any unknown key, carries an ECDSA P-256
// signature with SHA-256 over the file as served without that line.
#include <optional>
#include <string>
#include <string_view>

#include "platform/SignatureVerifier.h"

namespace dx {

// Whom the information file must come from.
struct UpdateTrust {
  const platform::ISignatureVerifier* verifier = nullptr;
  // The maker's public key as openssl writes it ("-----BEGIN PUBLIC KEY-----").
  std::string publicKeyPem;
};

struct SignatureLine {
  std::string signedBytes;  // the file without the line and its line end
  std::string base64;       // the line's value
};

// The one "#signature=" line, which must be the file's last line. Nothing when the file
// has none, more than one, or one that is not a line of its own at the end.
std::optional<SignatureLine> SplitSignatureLine(std::string_view served);

// The DER form openssl writes (SEQUENCE of the INTEGERs r and s) as r then s.
std::optional<platform::P256Signature> SignatureFromDer(std::string_view der);

// The point of a P-256 public key in PEM (SubjectPublicKeyInfo, uncompressed point).
std::optional<platform::P256PublicKey> PublicKeyFromPem(std::string_view pem);

// The information file's text to read the keys from, when it carries a signature that
// the trusted key verifies; nothing otherwise.
std::optional<std::string> VerifiedInfoText(std::string_view served, const UpdateTrust& trust);

}  // namespace dx
