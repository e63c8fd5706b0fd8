#include "extras/UpdateInfo.h"

#include <array>
#include <cstring>

#include "common/Sha256.h"
#include "common/Text.h"

namespace dx {
namespace {

// The information file with its keys looked up in a lower-cased copy made once.
class InfoText {
 public:
  explicit InfoText(std::string_view text) : text_(text), lowered_(ToLowerAscii(text)) {}

  // Position just after "#key=", or npos.
  std::size_t FindKey(std::string_view key) const {
    std::string wanted(1, '#');
    wanted += ToLowerAscii(key);
    wanted += '=';
    const std::size_t at = lowered_.find(wanted);
    return at == std::string::npos ? at : at + wanted.size();
  }

  // The value up to the first control character; nothing when the key is absent.
  std::optional<std::string> OptionalValue(std::string_view key) const {
    const std::size_t start = FindKey(key);
    if (start == std::string::npos) return std::nullopt;
    std::size_t end = start;
    while (end < text_.size() && static_cast<unsigned char>(text_[end]) >= 32) ++end;
    return std::string(text_.substr(start, end - start));
  }

  std::string Value(std::string_view key) const { return OptionalValue(key).value_or(std::string()); }

 private:
  std::string_view text_;
  std::string lowered_;
};

// Decimal digits only, no sign and no blanks, and no more than fit.
std::optional<std::uint64_t> PlainNumber(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::uint64_t value = 0;
  for (char ch : text) {
    if (ch < '0' || ch > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(ch - '0');
  }
  return value;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// "yyyy-mm-dd" exactly, naming a day of the calendar.
std::optional<ExpiryDate> ReadDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const auto year = PlainNumber(text.substr(0, 4)), month = PlainNumber(text.substr(5, 2)),
             day = PlainNumber(text.substr(8, 2));
  if (!year || !month || !day || *month < 1 || *month > 12 || *day < 1) return std::nullopt;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int last = kDays[*month - 1] + (*month == 2 && IsLeapYear(static_cast<int>(*year)) ? 1 : 0);
  if (*day > static_cast<std::uint64_t>(last)) return std::nullopt;
  return ExpiryDate{static_cast<int>(*year), static_cast<int>(*month), static_cast<int>(*day)};
}

// The four numbers of "a.b.c.d"; nothing for any other text.
std::optional<std::array<std::uint64_t, 4>> FourNumbers(std::string_view text) {
  std::array<std::uint64_t, 4> numbers{};
  for (std::size_t i = 0; i < 4; ++i) {
    const std::size_t dot = i < 3 ? text.find('.') : text.size();
    if (dot == std::string_view::npos) return std::nullopt;
    const auto number = PlainNumber(text.substr(0, dot));
    if (!number) return std::nullopt;
    numbers[i] = *number;
    text = i < 3 ? text.substr(dot + 1) : std::string_view();
  }
  return numbers;
}

}  // namespace

std::string InfoValue(std::string_view text, std::string_view key) { return InfoText(text).Value(key); }

UpdateInfo ReadUpdateInfo(std::string_view text) {
  const InfoText keys(text);
  UpdateInfo info;
  info.version = keys.Value("version");

  const auto add = [&](const std::string& suffix) {
    std::string url = keys.Value("url" + suffix);
    if (url.empty()) return false;
    info.files.push_back({std::move(url), keys.OptionalValue("sha256" + suffix),
                          PlainNumber(keys.Value("size" + suffix))});
    return true;
  };
  add("");
  add("0");
  for (std::size_t n = info.files.size() + 1; add(std::to_string(n)); ++n) {
  }

  const std::size_t message = keys.FindKey("message");
  if (message != std::string::npos && message < text.size() && text[message] == '{') {
    const std::size_t close = text.find('}', message + 1);
    info.releaseNotes = std::string(text.substr(message + 1, close == std::string_view::npos
                                                                   ? std::string_view::npos
                                                                   : close - message - 1));
  }

  info.serial = PlainNumber(keys.Value("serial"));
  info.expires = ReadDate(keys.Value("expires"));

  const std::string method = keys.Value("method");
  if (!method.empty() && method[0] == '1') info.method = umUseExternalSetup;
  if (!method.empty() && method[0] == '2') info.method = umRedirectToURL;
  return info;
}

bool IsNewerVersion(std::string_view version, std::string_view own) {
  const auto theirs = FourNumbers(version), mine = FourNumbers(own);
  return theirs && mine && *theirs > *mine;
}

bool HasExpired(const ExpiryDate& expires, int year, int month, int day) {
  return std::array{year, month, day} > std::array{expires.year, expires.month, expires.day};
}

std::optional<std::string> DownloadFileName(std::string_view url) {
  std::string_view rest = url.substr(0, url.find_first_of("?#"));
  const std::size_t scheme = rest.find("://");
  if (scheme != std::string_view::npos) rest = rest.substr(scheme + 3);
  // The host is no file name: only a path after it counts.
  const std::size_t path = rest.find_first_of("/\\");
  if (path == std::string_view::npos) return std::nullopt;
  rest = rest.substr(path);
  std::string name(rest.substr(rest.find_last_of("/\\") + 1));

  if (name.empty() || name == "." || name == "..") return std::nullopt;
  for (char ch : name) {
    if (static_cast<unsigned char>(ch) < 32 || std::strchr(":<>\"|?*", ch)) return std::nullopt;
  }
  // Device names stay devices whatever extension follows them.
  std::string base = ToLowerAscii(Trim(name.substr(0, name.find('.'))));
  static const char* const kDevices[] = {"con", "prn", "aux", "nul", "conin$", "conout$", "clock$"};
  for (const char* device : kDevices) {
    if (base == device) return std::nullopt;
  }
  if (base.size() == 4 && (StartsWith(base, "com") || StartsWith(base, "lpt")) && base[3] >= '0' && base[3] <= '9') {
    return std::nullopt;
  }
  return name;
}

std::optional<std::string> NormalisedDigest(std::string_view text) {
  std::string digest = ToLowerAscii(Trim(text));
  if (!IsSha256Hex(digest)) return std::nullopt;
  return digest;
}

bool DigestMatches(std::string_view digestText, std::string_view hexDigest) {
  const auto given = NormalisedDigest(digestText);
  return given && *given == ToLowerAscii(hexDigest);
}

}  // namespace dx
