#include <gtest/gtest.h>

#include <string>

#include "common/Sha256.h"
#include "extras/UpdateInfo.h"

namespace dx {
namespace {

std::vector<std::string> Urls(const UpdateInfo& info) {
  std::vector<std::string> urls;
  for (const auto& f : info.files) urls.push_back(f.url);
  return urls;
}

TEST(UpdateInfoTest, KeysAreFoundInAnyCaseAndValuesKeepTheirsUpToAControlCharacter) {
  const std::string text = "[update]\r\n#VERSION=1.5.0.13\r\n#Url1=http://Host/Dir/Prog.exe\tcomment\n"
                           "#url2=http://host/data.pak";  // no final line end
  const UpdateInfo info = ReadUpdateInfo(text);
  EXPECT_EQ(info.version, "1.5.0.13");
  EXPECT_EQ(Urls(info), (std::vector<std::string>{"http://Host/Dir/Prog.exe", "http://host/data.pak"}));
  EXPECT_EQ(InfoValue("#a=1\n#A=2", "a"), "1");  // the first occurrence counts
  EXPECT_EQ(InfoValue("#version=", "version"), "");
  EXPECT_EQ(InfoValue("version=1", "version"), "");
}

TEST(UpdateInfoTest, TheFileListFollowsTheNumberingRule) {
  EXPECT_EQ(Urls(ReadUpdateInfo("#url1=a\n#url2=b\n#url3=c\n")), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(Urls(ReadUpdateInfo("#url=a\n")), (std::vector<std::string>{"a"}));
  // With url and url1 both there, the numbered search starts at url2.
  EXPECT_EQ(Urls(ReadUpdateInfo("#url=a\n#url1=b\n#url2=c\n")), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(Urls(ReadUpdateInfo("#url0=z\n#url2=b\n#url3=c\n")), (std::vector<std::string>{"z", "b", "c"}));
  // The first empty or absent number ends the list.
  EXPECT_EQ(Urls(ReadUpdateInfo("#url1=a\n#url2=\n#url3=c\n")), (std::vector<std::string>{"a"}));
  EXPECT_EQ(Urls(ReadUpdateInfo("#url1=a\n#url3=c\n")), (std::vector<std::string>{"a"}));
  EXPECT_TRUE(ReadUpdateInfo("#version=2\n").files.empty());
}

TEST(UpdateInfoTest, DigestsGoWithTheFilesOfTheirNumber) {
  const UpdateInfo info = ReadUpdateInfo("#url=a\n#sha256=AA\n#url2=b\n#url3=c\n#sha2563=cc\n");
  ASSERT_EQ(info.files.size(), 3u);
  EXPECT_EQ(info.files[0].sha256, std::optional<std::string>("AA"));
  EXPECT_FALSE(info.files[1].sha256.has_value());
  EXPECT_EQ(info.files[2].sha256, std::optional<std::string>("cc"));
}

TEST(UpdateInfoTest, ReleaseNotesAndMethod) {
  UpdateInfo info = ReadUpdateInfo("#message={New menu.\r\nFaster start}\n#method=1\n");
  EXPECT_EQ(info.releaseNotes, "New menu.\r\nFaster start");
  EXPECT_EQ(info.method, umUseExternalSetup);
  EXPECT_EQ(ReadUpdateInfo("#message= {x}\n").releaseNotes, "");
  EXPECT_EQ(ReadUpdateInfo("#MESSAGE={a}b}").releaseNotes, "a");
  EXPECT_EQ(ReadUpdateInfo("#message={unclosed").releaseNotes, "unclosed");
  EXPECT_EQ(ReadUpdateInfo("#method=2x").method, umRedirectToURL);
  EXPECT_EQ(ReadUpdateInfo("#method=3").method, umSelfUpgrade);
  EXPECT_EQ(ReadUpdateInfo("").method, umSelfUpgrade);
}

TEST(UpdateInfoTest, VersionsAreFourNumbersComparedInTurnAndAnythingElseIsNeverNewer) {
  EXPECT_TRUE(IsNewerVersion("1.5.0.13", "1.5.0.12"));
  EXPECT_TRUE(IsNewerVersion("1.6.0.0", "1.5.0.12"));
  EXPECT_TRUE(IsNewerVersion("2.0.0.0", "1.99.99.99"));
  EXPECT_TRUE(IsNewerVersion("1.5.0.100", "1.5.0.99"));
  EXPECT_FALSE(IsNewerVersion("1.5.0.12", "1.5.0.12"));
  EXPECT_FALSE(IsNewerVersion("1.5.0.9", "1.5.0.12"));
  EXPECT_FALSE(IsNewerVersion("1.4.99.99", "1.5.0.0"));
  // Short, long or lettered texts once compared as text, so "1.5b" beat "1.5.0.12" and any
  // version beat an empty own one.
  for (const char* offered : {"1.6", "2", "1.5b", "1.6.0.0.0", "1.6..0", "1.6.0.0 ", " 1.6.0.0", "-1.6.0.0", "1.6.0.x",
                              "1.6.0.99999999999999999999", ""}) {
    EXPECT_FALSE(IsNewerVersion(offered, "1.5.0.12")) << offered;
  }
  for (const char* own : {"", "Value Not Available", "1.5", "1.5.0.12.1"}) {
    EXPECT_FALSE(IsNewerVersion("9.9.9.9", own)) << own;
  }
}

TEST(UpdateInfoTest, SerialExpiryAndSizesAreReadOnlyWhenWellFormed) {
  UpdateInfo info = ReadUpdateInfo("#Serial=42\r\n#expires=2024-02-29\r\n#url1=http://h/a\r\n#size1=1048576\r\n"
                                   "#url2=http://h/b\r\n#size2=1e3\r\n");
  ASSERT_TRUE(info.serial);
  EXPECT_EQ(*info.serial, 42u);
  ASSERT_TRUE(info.expires);
  EXPECT_EQ(info.expires->year, 2024);
  EXPECT_EQ(info.expires->month, 2);
  EXPECT_EQ(info.expires->day, 29);
  ASSERT_EQ(info.files.size(), 2u);
  EXPECT_EQ(info.files[0].size, std::optional<std::uint64_t>(1048576));
  EXPECT_FALSE(info.files[1].size);
  EXPECT_FALSE(ReadUpdateInfo("").serial);
  EXPECT_FALSE(ReadUpdateInfo("").expires);
  for (const char* serial : {"-1", "+1", " 1", "1 ", "0x10", "99999999999999999999"}) {
    EXPECT_FALSE(ReadUpdateInfo("#serial=" + std::string(serial) + "\n").serial) << serial;
  }
  for (const char* date : {"2023-02-29", "2024-13-01", "2024-04-31", "2024-00-10", "2024-1-10", "24-01-10",
                           "2024/01/10", "2024-01-10x", "1900-02-29"}) {
    EXPECT_FALSE(ReadUpdateInfo("#expires=" + std::string(date) + "\n").expires) << date;
  }
  EXPECT_TRUE(ReadUpdateInfo("#expires=2000-02-29\n").expires);

  const ExpiryDate expires{2024, 3, 10};
  EXPECT_FALSE(HasExpired(expires, 2024, 3, 10));
  EXPECT_FALSE(HasExpired(expires, 2023, 12, 31));
  EXPECT_TRUE(HasExpired(expires, 2024, 3, 11));
  EXPECT_TRUE(HasExpired(expires, 2024, 4, 1));
  EXPECT_TRUE(HasExpired(expires, 2025, 1, 1));
}

TEST(UpdateInfoTest, DownloadedFilesAreNamedByThePlainLastSegmentOnly) {
  EXPECT_EQ(DownloadFileName("http://host/dir/program.exe"), std::optional<std::string>("program.exe"));
  EXPECT_EQ(DownloadFileName("http://host/dir/data.pak?v=2#top"), std::optional<std::string>("data.pak"));
  EXPECT_EQ(DownloadFileName("host/a/b?next=/evil.exe"), std::optional<std::string>("b"));
  EXPECT_EQ(DownloadFileName("http://host/a%20b.txt"), std::optional<std::string>("a%20b.txt"));
  for (const char* url : {"http://host", "http://host/", "http://host/dir/", "http://host/..", "http://host/a/.",
                          "http://host/CON", "http://host/nul.txt", "http://host/com1", "http://host/LPT9.dat",
                          "http://host/a:b", "http://host/a\\..\\..\\x.exe\\", "http://host/x<y", "http://host/a|b",
                          "http://host/a\x01"}) {
    EXPECT_FALSE(DownloadFileName(url).has_value()) << url;
  }
  EXPECT_EQ(DownloadFileName("http://host/dir\\sub\\file.dll"), std::optional<std::string>("file.dll"));
  EXPECT_EQ(DownloadFileName("http://host/console.exe"), std::optional<std::string>("console.exe"));
}

TEST(Sha256Test, FipsVectorsAndBlockBoundaries) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Sha256Hex("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrs"
                      "mnopqrstnopqrstu"),
            "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
  EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  // Pieces of any size give the digest of the whole.
  for (std::size_t size : {55u, 56u, 63u, 64u, 65u, 119u, 120u}) {
    const std::string data(size, 'q');
    Sha256 pieces;
    for (std::size_t i = 0; i < size; i += 7) pieces.Update(std::string_view(data).substr(i, 7));
    Sha256 whole;
    whole.Update(data);
    EXPECT_EQ(pieces.Finish(), whole.Finish()) << size;
  }
}

TEST(Sha256Test, DigestTextsMatchInAnyCaseAndOnlyWhenWellFormed) {
  const std::string digest = Sha256Hex("abc");
  std::string upper = digest;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(DigestMatches(upper, digest));
  EXPECT_TRUE(DigestMatches(" " + digest + " ", digest));
  EXPECT_FALSE(DigestMatches(Sha256Hex("abd"), digest));
  EXPECT_FALSE(DigestMatches(digest.substr(0, 63), digest.substr(0, 63)));
  EXPECT_FALSE(DigestMatches("", ""));
}

}  // namespace
}  // namespace dx
