// The update information file from the maker's server: its keys, the braces of the
// release notes, the numbered file list with digests, the version comparison and the
// local names of the listed files.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "extras/UpdateInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
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
