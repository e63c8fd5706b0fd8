#include "extras/UpdateSignature.h"

#include <algorithm>
#include <cstring>

#include "common/Base64.h"
#include "common/Text.h"

namespace dx {
namespace {

constexpr std::string_view kSignatureKey = "#signature=";

// One INTEGER of a DER signature as 32 big-endian bytes; pos moves past it.
bool ReadDerInteger(std::string_view der, std::size_t& pos, std::uint8_t* out) {
  if (pos + 2 > der.size() || static_cast<unsigned char>(der[pos]) != 0x02) return false;
  const std::size_t length = static_cast<unsigned char>(der[pos + 1]);
  pos += 2;
  if (length == 0 || length > 33 || pos + length > der.size()) return false;
  std::string_view value = der.substr(pos, length);
  pos += length;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(value[i]); };
  // Negative numbers and leading zeros that are not needed are no DER.
  if (byte(0) & 0x80) return false;
  if (length > 1 && byte(0) == 0 && !(byte(1) & 0x80)) return false;
  if (length == 33) {
    if (byte(0) != 0) return false;
    value.remove_prefix(1);
  }
  std::memset(out, 0, 32);
  std::memcpy(out + 32 - value.size(), value.data(), value.size());
  return true;
}

}  // namespace

std::optional<SignatureLine> SplitSignatureLine(std::string_view served) {
  const std::string lowered = ToLowerAscii(served);
  const std::size_t start = lowered.find(kSignatureKey);
  if (start == std::string::npos || lowered.find(kSignatureKey, start + 1) != std::string::npos) return std::nullopt;
  if (start > 0 && served[start - 1] != '\n' && served[start - 1] != '\r') return std::nullopt;

  const std::size_t valueStart = start + kSignatureKey.size();
  std::size_t end = valueStart;
  while (end < served.size() && static_cast<unsigned char>(served[end]) >= 32) ++end;
  if (end == valueStart) return std::nullopt;
  std::string_view rest = served.substr(end);
  // Only the line's own end may follow it.
  if (rest == "\r\n" || rest == "\n" || rest == "\r" || rest.empty()) {
    return SignatureLine{std::string(served.substr(0, start)), std::string(served.substr(valueStart, end - valueStart))};
  }
  return std::nullopt;
}

std::optional<platform::P256Signature> SignatureFromDer(std::string_view der) {
  if (der.size() < 2 || static_cast<unsigned char>(der[0]) != 0x30) return std::nullopt;
  const std::size_t length = static_cast<unsigned char>(der[1]);
  if (length >= 0x80 || length + 2 != der.size()) return std::nullopt;
  platform::P256Signature signature{};
  std::size_t pos = 2;
  if (!ReadDerInteger(der, pos, signature.data()) || !ReadDerInteger(der, pos, signature.data() + 32)) {
    return std::nullopt;
  }
  if (pos != der.size()) return std::nullopt;
  return signature;
}

std::optional<platform::P256PublicKey> PublicKeyFromPem(std::string_view pem) {
  constexpr std::string_view kBegin = "-----BEGIN PUBLIC KEY-----";
  constexpr std::string_view kEnd = "-----END PUBLIC KEY-----";
  // SubjectPublicKeyInfo of id-ecPublicKey on prime256v1 with an uncompressed point.
  static constexpr unsigned char kPrefix[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2a, 0x86, 0x48,
                                              0xce, 0x3d, 0x02, 0x01, 0x06, 0x08, 0x2a, 0x86, 0x48,
                                              0xce, 0x3d, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};
  const std::size_t begin = pem.find(kBegin);
  if (begin == std::string_view::npos) return std::nullopt;
  const std::size_t end = pem.find(kEnd, begin);
  if (end == std::string_view::npos) return std::nullopt;
  std::string body;
  for (char ch : pem.substr(begin + kBegin.size(), end - begin - kBegin.size())) {
    if (ch != '\r' && ch != '\n' && ch != ' ' && ch != '\t') body += ch;
  }
  const auto der = DecodeBase64Exact(body);
  if (!der || der->size() != sizeof kPrefix + 64 || std::memcmp(der->data(), kPrefix, sizeof kPrefix) != 0) {
    return std::nullopt;
  }
  platform::P256PublicKey key{};
  std::memcpy(key.data(), der->data() + sizeof kPrefix, 64);
  return key;
}

std::optional<std::string> VerifiedInfoText(std::string_view served, const UpdateTrust& trust) {
  if (!trust.verifier) return std::nullopt;
  const auto key = PublicKeyFromPem(trust.publicKeyPem);
  auto line = SplitSignatureLine(served);
  if (!key || !line) return std::nullopt;
  const auto der = DecodeBase64Exact(line->base64);
  if (!der) return std::nullopt;
  const auto signature = SignatureFromDer(*der);
  if (!signature || !trust.verifier->VerifyP256Sha256(*key, line->signedBytes, *signature)) return std::nullopt;
  return std::move(line->signedBytes);
}

}  // namespace dx
