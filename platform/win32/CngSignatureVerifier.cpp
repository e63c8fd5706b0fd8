#include "platform/win32/CngSignatureVerifier.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstring>
#include <vector>

#include "platform/win32/Scoped.h"

namespace dx::win32 {
namespace {

struct AlgorithmTraits {
  using Handle = BCRYPT_ALG_HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::BCryptCloseAlgorithmProvider(h, 0); }
};
struct KeyTraits {
  using Handle = BCRYPT_KEY_HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::BCryptDestroyKey(h); }
};
struct HashTraits {
  using Handle = BCRYPT_HASH_HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::BCryptDestroyHash(h); }
};

bool Succeeded(NTSTATUS status) { return status >= 0; }

bool Sha256(std::string_view data, UCHAR (&digest)[32]) {
  Scoped<AlgorithmTraits> algorithm;
  if (!Succeeded(::BCryptOpenAlgorithmProvider(algorithm.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0))) return false;
  Scoped<HashTraits> hash;
  if (!Succeeded(::BCryptCreateHash(algorithm.get(), hash.put(), nullptr, 0, nullptr, 0, 0))) return false;
  // In pieces that fit the call's length type, whatever the size of the file.
  constexpr std::size_t kPiece = 1u << 30;
  for (std::size_t at = 0; at < data.size(); at += kPiece) {
    const std::size_t size = data.size() - at < kPiece ? data.size() - at : kPiece;
    auto* bytes = reinterpret_cast<PUCHAR>(const_cast<char*>(data.data() + at));
    if (!Succeeded(::BCryptHashData(hash.get(), bytes, static_cast<ULONG>(size), 0))) return false;
  }
  return Succeeded(::BCryptFinishHash(hash.get(), digest, sizeof digest, 0));
}

}  // namespace

bool CngSignatureVerifier::VerifyP256Sha256(const platform::P256PublicKey& key, std::string_view data,
                                            const platform::P256Signature& signature) const {
  Scoped<AlgorithmTraits> algorithm;
  if (!Succeeded(::BCryptOpenAlgorithmProvider(algorithm.put(), BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) {
    return false;
  }
  std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key.size());
  BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
  std::memcpy(blob.data(), &header, sizeof header);
  std::memcpy(blob.data() + sizeof header, key.data(), key.size());
  Scoped<KeyTraits> publicKey;
  if (!Succeeded(::BCryptImportKeyPair(algorithm.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, publicKey.put(), blob.data(),
                                       static_cast<ULONG>(blob.size()), 0))) {
    return false;
  }
  UCHAR digest[32];
  if (!Sha256(data, digest)) return false;
  auto* signatureBytes = const_cast<PUCHAR>(signature.data());
  return ::BCryptVerifySignature(publicKey.get(), nullptr, digest, sizeof digest, signatureBytes,
                                 static_cast<ULONG>(signature.size()), 0) == 0;
}

}  // namespace dx::win32
