#pragma once
// The update information file on the maker's server, the comparison of its version with
// the program's own, and the local names of the files it lists.
#include <cstdint>
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
  // The "#sizeN=" limit in bytes; nothing when absent or not a plain number.
  std::optional<std::uint64_t> size;
};

// The most a listed file may hold when the information file gives no size for it, and the
// most the information file itself may hold.
inline constexpr std::uint64_t kDefaultFileLimit = 64ull * 1024 * 1024;
inline constexpr std::uint64_t kInfoFileLimit = 64ull * 1024;

// The date after which the information file is no longer acted on (in universal time).
struct ExpiryDate {
  int year = 0, month = 0, day = 0;
};

struct UpdateInfo {
  std::string version;
  std::vector<UpdateFileEntry> files;
  std::string releaseNotes;
  TUpgradeMethod method = umSelfUpgrade;
  // "#serial=", raised by each release; nothing when absent or not a plain number.
  std::optional<std::uint64_t> serial;
  // "#expires=<yyyy-mm-dd>"; nothing when absent or not a real date.
  std::optional<ExpiryDate> expires;
};

// The value of "#key=" (first occurrence, any case) up to the first control character;
// empty when the key is absent.
std::string InfoValue(std::string_view text, std::string_view key);
UpdateInfo ReadUpdateInfo(std::string_view text);

// Whether version is newer than own: both must be exactly four dot-separated decimal
// numbers, compared in turn; any other text on either side is never newer.
bool IsNewerVersion(std::string_view version, std::string_view own);

// Whether the day today (universal time) lies after the expiry date.
bool HasExpired(const ExpiryDate& expires, int year, int month, int day);

// The name a listed file is stored under (without the ".uTMP" ending): the last segment
// of the URL's path. Nothing when that is no plain file name.
std::optional<std::string> DownloadFileName(std::string_view url);

// A digest as the information file writes it (64 hexadecimal digits, any case, blanks
// around them allowed) in lower case without the blanks; nothing for any other text.
std::optional<std::string> NormalisedDigest(std::string_view text);
// Whether digestText (64 hexadecimal digits, any case) names the digest hexDigest.
bool DigestMatches(std::string_view digestText, std::string_view hexDigest);

}  // namespace dx
