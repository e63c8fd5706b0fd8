#pragma once
// The update information file on the maker's server, the comparison of its version with
// the program's own, and the local names of the files it lists.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dx {

enum TUpgradeMethod { umSelfUpgrade = 0, umUseExternalSetup = 1, umRedirectToURL = 2 };

struct UpdateFileEntry {
  std::string url;
  // The "#sha256N=" value given for the file, as written; absent when the file has none.
  std::optional<std::string> sha256;
};

struct UpdateInfo {
  std::string version;
  std::vector<UpdateFileEntry> files;
  std::string releaseNotes;
  TUpgradeMethod method = umSelfUpgrade;
};

// The value of "#key=" (first occurrence, any case) up to the first control character;
// empty when the key is absent.
std::string InfoValue(std::string_view text, std::string_view key);
UpdateInfo ReadUpdateInfo(std::string_view text);

// Whether version is newer than own: four dotted numbers compared in turn; when a part is
// not a number, the byte-wise order of the whole texts decides.
bool IsNewerVersion(std::string_view version, std::string_view own);

// The name a listed file is stored under (without the ".uTMP" ending): the last segment
// of the URL's path. Nothing when that is no plain file name.
std::optional<std::string> DownloadFileName(std::string_view url);

// A digest as the information file writes it (64 hexadecimal digits, any case, blanks
// around them allowed) in lower case without the blanks; nothing for any other text.
std::optional<std::string> NormalisedDigest(std::string_view text);
// Whether digestText (64 hexadecimal digits, any case) names the digest hexDigest.
bool DigestMatches(std::string_view digestText, std::string_view hexDigest);

}  // namespace dx
