#include "common/Url.h"

#include <algorithm>
#include <string_view>

#include "common/Text.h"

namespace dx {
namespace {

std::string Decode(std::string_view text) {
  std::string out;
  const auto hex = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
      out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::optional<UrlParts> SplitUrl(const std::string& url) {
  const std::size_t schemeEnd = url.find("://");
  if (schemeEnd == std::string::npos || schemeEnd == 0 || schemeEnd > 32) return std::nullopt;
  UrlParts parts;
  parts.scheme = ToLowerAscii(url.substr(0, schemeEnd));
  if (parts.scheme != "http" && parts.scheme != "https") return std::nullopt;
  parts.port = parts.scheme == "https" ? 443 : 80;

  const std::size_t authorityStart = schemeEnd + 3;
  const std::size_t authorityEnd = std::min(url.find_first_of("/?#", authorityStart), url.size());
  std::string authority = url.substr(authorityStart, authorityEnd - authorityStart);
  const std::size_t at = authority.rfind('@');
  if (at != std::string::npos) {
    const std::string userInfo = authority.substr(0, at);
    const std::size_t colon = userInfo.find(':');
    parts.user = Decode(userInfo.substr(0, colon));
    if (colon != std::string::npos) parts.password = Decode(userInfo.substr(colon + 1));
    authority = authority.substr(at + 1);
  }
  std::size_t portColon = authority.rfind(':');
  if (!authority.empty() && authority[0] == '[') {
    const std::size_t close = authority.find(']');
    if (close == std::string::npos) return std::nullopt;
    if (portColon < close) portColon = std::string::npos;
  }
  parts.host = authority.substr(0, portColon);
  if (portColon != std::string::npos) {
    int port = 0;
    const std::string portText = authority.substr(portColon + 1);
    if (!portText.empty()) {
      if (!TryStrToInt(portText, port) || port < 1 || port > 65535) return std::nullopt;
      parts.port = static_cast<std::uint16_t>(port);
    }
  }
  if (parts.host.empty()) return std::nullopt;

  const std::string rest = url.substr(authorityEnd);
  const std::string beforeFragment = rest.substr(0, rest.find('#'));
  const std::size_t query = beforeFragment.find('?');
  parts.path = query == 0 || beforeFragment.empty() ? std::string(1, '/') : beforeFragment.substr(0, query);
  if (query != std::string::npos) parts.extra = beforeFragment.substr(query);

  if (parts.host.size() > 256 || parts.user.size() > 128 || parts.password.size() > 128 || parts.path.size() > 2048 ||
      parts.extra.size() > 2048) {
    return std::nullopt;
  }
  return parts;
}

}  // namespace dx
