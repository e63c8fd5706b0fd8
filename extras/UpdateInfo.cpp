#include "extras/UpdateInfo.h"

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

}  // namespace

std::string InfoValue(std::string_view text, std::string_view key) { return InfoText(text).Value(key); }

UpdateInfo ReadUpdateInfo(std::string_view text) {
  const InfoText keys(text);
  UpdateInfo info;
  info.version = keys.Value("version");

  const auto add = [&](const std::string& suffix) {
    std::string url = keys.Value("url" + suffix);
    if (url.empty()) return false;
    info.files.push_back({std::move(url), keys.OptionalValue("sha256" + suffix)});
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

  const std::string method = keys.Value("method");
  if (!method.empty() && method[0] == '1') info.method = umUseExternalSetup;
  if (!method.empty() && method[0] == '2') info.method = umRedirectToURL;
  return info;
}

bool IsNewerVersion(std::string_view version, std::string_view own) {
  const auto parts = [](std::string_view text) {
    std::vector<std::string> result;
    const std::string dotted = std::string(text) + ".";
    std::size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
      const std::size_t dot = dotted.find('.', pos);
      if (dot == std::string::npos) {
        result.emplace_back("0");
      } else {
        result.push_back(dotted.substr(pos, dot - pos));
        pos = dot + 1;
      }
    }
    return result;
  };
  const auto mine = parts(version), theirs = parts(own);
  for (int i = 0; i < 4; ++i) {
    int a = 0, b = 0;
    if (!TryStrToInt(mine[i], a) || !TryStrToInt(theirs[i], b)) {
      return std::strcmp(std::string(version).c_str(), std::string(own).c_str()) > 0;
    }
    if (a != b) return a > b;
  }
  return false;
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
