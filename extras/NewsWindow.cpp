#include "extras/NewsWindow.h"

#include <cctype>
#include <cstdlib>

#include "common/Hosts.h"
#include "common/Text.h"

namespace dx {

std::string NewsPageUrl() { return std::string("http://") + kMakerHomePage + "/benchmarks/news.html"; }

void TForm5::FormShow() {
  if (const auto offline = onlineTest_.IsOffline()) online_ = !*offline;
  if (online_) {
    view_.Navigate(NewsPageUrl());
    return;
  }
  const std::string file = programDir_() + "offlinenews.html";
  // Without the file the window keeps what it showed before.
  if (files_.FileExists(file)) view_.Navigate(file);
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
