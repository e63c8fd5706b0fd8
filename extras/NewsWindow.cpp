#include "extras/NewsWindow.h"

#include <cctype>
#include <cstdlib>

#include "common/Hosts.h"
#include "common/Text.h"

namespace dx {

std::string NewsPageUrl() { return std::string("http://") + kMakerHomePage + "/benchmarks/news.html"; }

namespace {

// "http" of "http://host/...", lower-cased; empty without a scheme.
std::string SchemeOf(const std::string& url) {
  const std::size_t colon = url.find(':');
  if (colon == std::string::npos || colon == 0) return {};
  for (std::size_t i = 0; i < colon; ++i) {
    const unsigned char c = static_cast<unsigned char>(url[i]);
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return {};
  }
  return ToLowerAscii(url.substr(0, colon));
}

bool IsWebScheme(const std::string& scheme) { return scheme == "http" || scheme == "https"; }

// The part between "//" and the path; the browser takes a backslash for a slash.
std::optional<std::string> AuthorityOf(const std::string& url, const std::string& scheme) {
  const std::size_t start = scheme.size() + 1;
  if (url.compare(start, 2, "//") != 0) return std::nullopt;
  const std::size_t end = url.find_first_of("/\\?#", start + 2);
  return url.substr(start + 2, end == std::string::npos ? std::string::npos : end - start - 2);
}

// Two ways the browser names a local file: the path itself or a file: address.
std::string LocalPathOf(const std::string& url) {
  if (SchemeOf(url) != "file") return url;
  std::string rest = url.substr(5);
  rest.erase(0, rest.find_first_not_of('/'));
  std::string path;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '#' || rest[i] == '?') break;
    if (rest[i] == '%' && i + 2 < rest.size() && std::isxdigit(static_cast<unsigned char>(rest[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(rest[i + 2]))) {
      path += static_cast<char>(std::strtol(rest.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
      continue;
    }
    path += rest[i] == '/' ? '\\' : rest[i];
  }
  return path;
}

}  // namespace

bool IsOnMakerHost(const std::string& url) {
  const std::string scheme = SchemeOf(url);
  if (!IsWebScheme(scheme)) return false;
  const auto authority = AuthorityOf(url, scheme);
  if (!authority || authority->find('@') != std::string::npos) return false;
  std::string host = ToLowerAscii(*authority);
  const std::size_t colon = host.find(':');
  if (colon != std::string::npos) {
    const std::string port = host.substr(colon + 1);
    if (!port.empty() && port != (scheme == "http" ? "80" : "443")) return false;
    host.erase(colon);
  }
  if (!host.empty() && host.back() == '.') host.pop_back();
  return host == kMakerHomePage;
}

void TForm5::FormShow() {
  if (const auto offline = onlineTest_.IsOffline()) online_ = !*offline;
  if (online_) {
    view_.Navigate(NewsPageUrl());
    return;
  }
  const std::string file = OfflinePage();
  // Without the file the window keeps what it showed before.
  if (files_.FileExists(file)) view_.Navigate(file);
}

std::string TForm5::OfflinePage() const { return programDir_() + "offlinenews.html"; }

NewsNavigation TForm5::Route(const std::string& url) const {
  if (IsOnMakerHost(url) || EqualsNoCase(url, "about:blank") || EqualsNoCase(LocalPathOf(url), OfflinePage())) {
    return NewsNavigation::Show;
  }
  const std::string scheme = SchemeOf(url);
  const auto authority = IsWebScheme(scheme) ? AuthorityOf(url, scheme) : std::nullopt;
  return authority && !authority->empty() ? NewsNavigation::OpenOutside : NewsNavigation::Refuse;
}

bool TForm5::PageFailed(const std::string& url) {
  const std::string file = OfflinePage();
  if (!IsOnMakerHost(url) || !files_.FileExists(file)) return false;
  view_.Navigate(file);
  return true;
}

namespace {

// The tag's name in lower case, without "/" and attributes.
std::string TagName(const std::string& tag) {
  std::size_t i = 0;
  while (i < tag.size() && (tag[i] == '/' || tag[i] == '!')) ++i;
  std::size_t end = i;
  while (end < tag.size() && std::isalnum(static_cast<unsigned char>(tag[end]))) ++end;
  return ToLowerAscii(tag.substr(i, end - i));
}

bool StartsBlock(const std::string& name) {
  static const char* const kBlocks[] = {"p",  "br", "div", "h1", "h2", "h3", "h4", "h5", "h6",  "li",
                                        "ul", "ol", "tr",  "table", "title", "hr", "dd", "dt", "blockquote"};
  for (const char* block : kBlocks) {
    if (name == block) return true;
  }
  return false;
}

// Appends the character of an entity ("amp", "#233"); Windows-1252 codes pass as bytes.
bool AppendEntity(const std::string& entity, std::string& out) {
  static const struct {
    const char* name;
    char value;
  } kNamed[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", ' '}};
  for (const auto& named : kNamed) {
    if (entity == named.name) {
      out += named.value;
      return true;
    }
  }
  if (entity.size() < 2 || entity[0] != '#') return false;
  const bool hex = entity[1] == 'x' || entity[1] == 'X';
  const std::string digits = entity.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 6) return false;
  for (char c : digits) {
    if (hex ? !std::isxdigit(static_cast<unsigned char>(c)) : !std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  const long code = std::strtol(digits.c_str(), nullptr, hex ? 16 : 10);
  out += (code >= 32 && code < 256) ? static_cast<char>(code) : '?';
  return true;
}

}  // namespace

std::string PlainTextOfHtml(const std::string& html) {
  std::string out;
  std::string skipUntil;  // the closing tag of a script or style being skipped
  bool blank = true;      // the last character put out was white space (or nothing yet)
  auto lineBreak = [&] {
    while (!out.empty() && out.back() == ' ') out.pop_back();
    if (!out.empty() && out.back() != '\n') out += '\n';
    blank = true;
  };
  const std::string lowered = ToLowerAscii(html);
  for (std::size_t i = 0; i < html.size();) {
    if (!skipUntil.empty()) {
      // Script and style text may hold "<" of its own: only its closing tag ends it.
      const std::size_t end = lowered.find("</" + skipUntil, i);
      if (end == std::string::npos) break;
      const std::size_t close = html.find('>', end);
      i = close == std::string::npos ? html.size() : close + 1;
      skipUntil.clear();
      continue;
    }
    const char c = html[i];
    if (c == '<' && html.compare(i, 4, "<!--") == 0) {
      const std::size_t end = html.find("-->", i + 4);
      i = end == std::string::npos ? html.size() : end + 3;
      continue;
    }
    if (c == '<') {
      const std::size_t close = html.find('>', i + 1);
      if (close == std::string::npos) break;
      const std::string tag = html.substr(i + 1, close - i - 1);
      i = close + 1;
      const std::string name = TagName(tag);
      if (name == "script" || name == "style") {
        if (tag.empty() || tag.back() != '/') skipUntil = name;
        continue;
      }
      if (StartsBlock(name)) lineBreak();
      continue;
    }
    ++i;
    if (c == '&') {
      const std::size_t semicolon = html.find(';', i);
      if (semicolon != std::string::npos && semicolon - i <= 8) {
        std::string decoded;
        if (AppendEntity(html.substr(i, semicolon - i), decoded)) {
          out += decoded;
          blank = decoded == " ";
          i = semicolon + 1;
          continue;
        }
      }
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (!blank) out += ' ';
      blank = true;
      continue;
    }
    out += c;
    blank = false;
  }
  while (!out.empty() && (out.back() == ' ' || out.back() == '\n')) out.pop_back();
  return out;
}

}  // namespace dx
