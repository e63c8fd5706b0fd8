#include "common/Base64.h"

#include <gtest/gtest.h>

#include <optional>

namespace dx {
namespace {

TEST(Base64, MatchesTheStandardVectors) {
  const std::pair<const char*, const char*> vectors[] = {
      {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
  };
  for (const auto& [plain, coded] : vectors) {
    EXPECT_EQ(Base64Encode(plain), coded) << plain;
    EXPECT_EQ(Base64Decode(coded), plain) << coded;
  }
}

TEST(Base64, BreaksLinesAfter76CharactersButNeverAtTheEnd) {
  const std::string p57(57, 'p');  // exactly 76 characters of code
  const std::string e57 = Base64Encode(p57);
  EXPECT_EQ(e57.size(), 76u);
  EXPECT_EQ(e57.find('\r'), std::string::npos);

  const std::string p58(58, 'p');
  const std::string e58 = Base64Encode(p58);
  ASSERT_EQ(e58.size(), 76u + 2u + 4u);
  EXPECT_EQ(e58.substr(76, 2), "\r\n");
  EXPECT_EQ(e58.substr(78), "cA==");
  EXPECT_EQ(Base64Decode(e58), p58);

  const std::string p114(114, 'x');  // two full lines, still no break at the end
  const std::string e114 = Base64Encode(p114);
  EXPECT_EQ(e114.size(), 76u + 2u + 76u);
  EXPECT_NE(e114.substr(e114.size() - 2), "\r\n");
}

TEST(Base64, DecodingSkipsEverythingOutsideTheAlphabet) {
  EXPECT_EQ(Base64Decode("Zm9v\r\nYmFy"), "foobar");
  EXPECT_EQ(Base64Decode("Z m*9v!Y-m=F y"), "foobar");
  EXPECT_EQ(Base64Decode("Zm9vYg"), "foob");   // padding may be missing
  EXPECT_EQ(Base64Decode("Z"), "");            // a lone character makes no byte
  EXPECT_EQ(Base64Decode("===="), "");
  // A password that was never coded decodes to what its valid characters give, and its
  // canonical form comes back when that is coded again.
  const std::string decoded = Base64Decode("secret!");
  EXPECT_EQ(Base64Encode(decoded), "secreg==");
}

TEST(Base64, KeepsEveryByteValue) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  EXPECT_EQ(Base64Decode(Base64Encode(all)), all);
}

TEST(Base64, TheStrictReadingHasOneSpellingOnly) {
  EXPECT_EQ(DecodeBase64Exact("QUJD"), std::optional<std::string>("ABC"));
  EXPECT_EQ(DecodeBase64Exact("QUI="), std::optional<std::string>("AB"));
  EXPECT_FALSE(DecodeBase64Exact("QUJ="));  // bits left over that are not zero
  EXPECT_FALSE(DecodeBase64Exact("QU I="));
  EXPECT_FALSE(DecodeBase64Exact("QUI"));
  EXPECT_FALSE(DecodeBase64Exact("Q==="));
}

}  // namespace
}  // namespace dx
