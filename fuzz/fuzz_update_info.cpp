// The update information file from the maker's server: its signature line, Base64 and
// DER, its keys, the braces of the release notes, the numbered file list with digests,
// the version comparison and the local names of the listed files.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/Base64.h"
#include "common/Text.h"

#include "extras/UpdateInfo.h"
#include "extras/UpdateSignature.h"
#include "tests/doubles/OpenSslSigning.h"

namespace {

// Whatever the served bytes, only a file signed with the trusted key passes, and then
// exactly as signed; a signed file with any one byte changed never passes.
void CheckSignature(std::string_view text) {
  static const dx::UpdateTrust trust = dx::test::SharedTestTrust();
  if (const auto line = dx::SplitSignatureLine(text)) {
    if (text.substr(0, line->signedBytes.size()) != line->signedBytes) std::abort();
    if (const auto der = dx::DecodeBase64Exact(line->base64)) {
      if (dx::test::Base64Of(*der) != line->base64) std::abort();
      (void)dx::SignatureFromDer(*der);
    }
  }
  if (dx::VerifiedInfoText(text, trust)) std::abort();  // no one forges the test key's signature

  std::string body(text.substr(0, text.find("#signature=")));
  if (!body.empty() && body.back() != '\n' && body.back() != '\r') body += "\r\n";
  const std::string served = dx::test::SharedTestKey().Signed(body);
  const auto verified = dx::VerifiedInfoText(served, trust);
  if (dx::ToLowerAscii(body).find("#signature=") == std::string::npos) {
    if (!verified || *verified != body) std::abort();
  }
  if (!served.empty()) {
    std::string changed = served;
    const std::size_t at = text.size() % served.size();
    changed[at] = static_cast<char>(changed[at] ^ (1 + text.size() % 255));
    // Only a change of a letter's case in the key name keeps the meaning.
    const bool caseOnly = dx::ToLowerAscii(changed) == dx::ToLowerAscii(served) && at >= body.size();
    if (!caseOnly && dx::VerifiedInfoText(changed, trust)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckSignature(text);
  const dx::UpdateInfo info = dx::ReadUpdateInfo(text);
  if (info.releaseNotes.size() > text.size()) std::abort();

  // A version is never newer than itself, and of two different ones at most one is newer.
  const std::string_view own = "1.5.0.12";
  if (dx::IsNewerVersion(info.version, info.version)) std::abort();
  if (dx::IsNewerVersion(info.version, own) && dx::IsNewerVersion(own, info.version)) std::abort();

  for (const dx::UpdateFileEntry& file : info.files) {
    if (file.url.empty()) std::abort();
    if (const auto name = dx::DownloadFileName(file.url)) {
      if (name->empty() || name->find_first_of("/\\:") != std::string::npos) std::abort();
    }
    if (file.sha256) (void)dx::DigestMatches(*file.sha256, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  }
  return 0;
}
