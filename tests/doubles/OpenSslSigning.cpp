#include "tests/doubles/OpenSslSigning.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <stdexcept>
#include <vector>

namespace dx::test {
namespace {

template <typename T, void (*Free)(T*)>
struct Freer {
  void operator()(T* p) const { Free(p); }
};
using PKey = std::unique_ptr<EVP_PKEY, Freer<EVP_PKEY, EVP_PKEY_free>>;
using MdCtx = std::unique_ptr<EVP_MD_CTX, Freer<EVP_MD_CTX, EVP_MD_CTX_free>>;
using Bio = std::unique_ptr<BIO, Freer<BIO, BIO_free_all>>;
using EcdsaSig = std::unique_ptr<ECDSA_SIG, Freer<ECDSA_SIG, ECDSA_SIG_free>>;

void Require(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("OpenSSL: ") + what);
}

}  // namespace

struct TestSigningKey::Key {
  PKey pkey;
};

TestSigningKey::TestSigningKey() : key_(std::make_unique<Key>()) {
  key_->pkey.reset(EVP_EC_gen("P-256"));
  Require(key_->pkey != nullptr, "key generation");
}

TestSigningKey::~TestSigningKey() = default;

std::string TestSigningKey::PublicKeyPem() const {
  Bio bio(BIO_new(BIO_s_mem()));
  Require(bio && PEM_write_bio_PUBKEY(bio.get(), key_->pkey.get()) == 1, "PEM");
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio.get(), &data);
  return std::string(data, static_cast<std::size_t>(size));
}

std::string TestSigningKey::SignDer(std::string_view data) const {
  MdCtx ctx(EVP_MD_CTX_new());
  Require(ctx && EVP_DigestSignInit(ctx.get(), nullptr, EVP_sha256(), nullptr, key_->pkey.get()) == 1, "sign init");
  std::size_t size = 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  Require(EVP_DigestSign(ctx.get(), nullptr, &size, bytes, data.size()) == 1, "sign size");
  std::string signature(size, '\0');
  Require(EVP_DigestSign(ctx.get(), reinterpret_cast<unsigned char*>(signature.data()), &size, bytes, data.size()) == 1,
          "sign");
  signature.resize(size);
  return signature;
}

std::string TestSigningKey::Signed(std::string_view text) const {
  return std::string(text) + "#signature=" + Base64Of(SignDer(text)) + "\r\n";
}

bool OpenSslVerifier::VerifyP256Sha256(const platform::P256PublicKey& key, std::string_view data,
                                       const platform::P256Signature& signature) const {
  static const unsigned char kPrefix[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2a, 0x86, 0x48, 0xce, 0x3d, 0x02, 0x01, 0x06,
                                          0x08, 0x2a, 0x86, 0x48, 0xce, 0x3d, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};
  std::vector<unsigned char> spki(kPrefix, kPrefix + sizeof kPrefix);
  spki.insert(spki.end(), key.begin(), key.end());
  const unsigned char* p = spki.data();
  PKey pkey(d2i_PUBKEY(nullptr, &p, static_cast<long>(spki.size())));
  if (!pkey) return false;

  EcdsaSig sig(ECDSA_SIG_new());
  BIGNUM* r = BN_bin2bn(signature.data(), 32, nullptr);
  BIGNUM* s = BN_bin2bn(signature.data() + 32, 32, nullptr);
  if (!sig || !r || !s || ECDSA_SIG_set0(sig.get(), r, s) != 1) {
    BN_free(r);
    BN_free(s);
    return false;
  }
  unsigned char* der = nullptr;
  const int derSize = i2d_ECDSA_SIG(sig.get(), &der);
  if (derSize <= 0) return false;
  std::unique_ptr<unsigned char, void (*)(unsigned char*)> derOwner(der, [](unsigned char* d) { OPENSSL_free(d); });

  MdCtx ctx(EVP_MD_CTX_new());
  if (!ctx || EVP_DigestVerifyInit(ctx.get(), nullptr, EVP_sha256(), nullptr, pkey.get()) != 1) return false;
  return EVP_DigestVerify(ctx.get(), der, static_cast<std::size_t>(derSize),
                          reinterpret_cast<const unsigned char*>(data.data()), data.size()) == 1;
}

const TestSigningKey& SharedTestKey() {
  static const TestSigningKey key;
  return key;
}

UpdateTrust SharedTestTrust() {
  static const OpenSslVerifier verifier;
  return {&verifier, SharedTestKey().PublicKeyPem()};
}

std::string Base64Of(std::string_view bytes) {
  std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                                reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
  text.resize(static_cast<std::size_t>(n));
  return text;
}

}  // namespace dx::test
