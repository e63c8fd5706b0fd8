// The signed update information file, checked with OpenSSL against keys made at test time.
#include <gtest/gtest.h>

#include "common/Text.h"
#include "extras/MakerUpdateKey.h"
#include "common/Sha256.h"
#include "extras/UpdateSignature.h"
#include "tests/doubles/OpenSslSigning.h"

namespace dx {
namespace {

class UpdateSignatureTest : public ::testing::Test {
 protected:
  const test::TestSigningKey& key = test::SharedTestKey();
  const UpdateTrust trust = test::SharedTestTrust();
  const std::string body = "#version=1.5.0.13\r\n#url1=http://updates.example/dir/Dextrel.exe\r\n#sha2561=" +
                           Sha256Hex("new program") + "\r\n#method=0\r\n#message={Faster start}\r\n";
  bool Accepted(const std::string& served) const { return VerifiedInfoText(served, trust).has_value(); }
  std::string Line() const { return "#signature=" + test::Base64Of(key.SignDer(body)) + "\r\n"; }
};

TEST_F(UpdateSignatureTest, ASignedFileIsReadWithoutItsLineWhateverEndTheLineHas) {
  const std::string served = key.Signed(body);
  const auto text = VerifiedInfoText(served, trust);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(*text, body);
  const std::string bare = served.substr(0, served.size() - 2);
  EXPECT_TRUE(Accepted(bare));
  EXPECT_TRUE(Accepted(bare + "\n"));
  EXPECT_TRUE(Accepted(bare + "\r"));
  // Like every key of the file, in any case.
  std::string upper = served;
  upper.replace(body.size(), 11, "#SIGNATURE=");
  EXPECT_TRUE(Accepted(upper));
}

TEST_F(UpdateSignatureTest, OneChangedByteAnywhereInKeysUrlsOrTheSignatureIsRefused) {
  const std::string served = key.Signed(body);
  for (std::size_t at = 0; at < served.size(); ++at) {
    std::string changed = served;
    changed[at] = static_cast<char>(changed[at] ^ 1);
    EXPECT_FALSE(Accepted(changed)) << "byte " << at << " of " << served;
  }
}

TEST_F(UpdateSignatureTest, TheLineMissingDoubledMovedOrNotALineOfItsOwnIsRefused) {
  const std::string line = Line();
  EXPECT_FALSE(Accepted(body));
  EXPECT_FALSE(Accepted(body + line + line));
  EXPECT_FALSE(Accepted(line + body));
  EXPECT_FALSE(Accepted(body.substr(0, 19) + line + body.substr(19)));
  EXPECT_FALSE(Accepted(body + line + "\r\n"));
  EXPECT_FALSE(Accepted(body + "#note=x " + line));
  EXPECT_FALSE(Accepted(body + "#signature=\r\n"));
}

TEST_F(UpdateSignatureTest, LineEndsChangedOnTheWayAreRefused) {
  std::string served = key.Signed(body);
  std::string lf;
  for (char ch : served) {
    if (ch != '\r') lf += ch;
  }
  EXPECT_FALSE(Accepted(lf));
  // Only the body's line ends.
  EXPECT_FALSE(Accepted(lf.substr(0, lf.find("#signature=")) + Line()));
}

TEST_F(UpdateSignatureTest, AnotherKeysSignatureOrNoUsableTrustIsRefused) {
  const test::TestSigningKey other;
  EXPECT_FALSE(Accepted(other.Signed(body)));
  EXPECT_FALSE(VerifiedInfoText(key.Signed(body), UpdateTrust{trust.verifier, other.PublicKeyPem()}).has_value());
  EXPECT_FALSE(VerifiedInfoText(key.Signed(body), UpdateTrust{nullptr, trust.publicKeyPem}).has_value());
  EXPECT_FALSE(VerifiedInfoText(key.Signed(body), UpdateTrust{trust.verifier, "no key"}).has_value());
  // The built-in key is one the check can use.
  EXPECT_TRUE(PublicKeyFromPem(kMakerUpdatePublicKey).has_value());
}

TEST_F(UpdateSignatureTest, DerIntegersOfEveryLengthBecomeTheirPlaceInRAndS) {
  // r with the sign byte openssl adds before a high bit, s shorter than 32 bytes.
  std::string der = "\x30\x44\x02\x21";
  der += '\0';
  der += std::string(32, '\x81');
  der += "\x02\x1f";
  der += std::string(31, '\x22');
  const auto signature = SignatureFromDer(der);
  ASSERT_TRUE(signature.has_value());
  EXPECT_EQ((*signature)[0], 0x81);
  EXPECT_EQ((*signature)[32], 0x00);
  EXPECT_EQ((*signature)[33], 0x22);
  EXPECT_FALSE(SignatureFromDer(der + "x"));
  der[4 + 33 + 1] = '\x20';  // a length that runs past the end
  EXPECT_FALSE(SignatureFromDer(der));
  EXPECT_FALSE(SignatureFromDer(std::string("\x30\x06\x02\x01\x80\x02\x01\x01", 8)));  // negative
  EXPECT_FALSE(SignatureFromDer(std::string("\x30\x07\x02\x02\x00\x01\x02\x01\x01", 9)));  // padded

  // And every real signature, whatever the lengths of its r and s, verifies.
  for (int i = 0; i < 64; ++i) {
    const std::string text = body + "#n=" + std::to_string(i) + "\r\n";
    EXPECT_TRUE(Accepted(key.Signed(text))) << i;
  }
}

}  // namespace
}  // namespace dx
