#include "common/LineList.h"

#include <algorithm>

#include "common/Errors.h"
#include "platform/FileSystem.h"

namespace dx {

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

void LineList::Delete(std::size_t index) {
  if (index < lines_.size()) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
}

void LineList::DeleteFirst(std::size_t count) {
  lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(std::min(count, lines_.size())));
}

int LineList::IndexOf(std::string_view text) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i] == text) return static_cast<int>(i);
  }
  return -1;
}

std::string LineList::Text() const {
  std::string out;
  std::size_t size = 0;
  for (const auto& line : lines_) size += line.size() + 2;
  out.reserve(size);
  for (const auto& line : lines_) {
    out += line;
    out += "\r\n";
  }
  return out;
}

void LineList::SetText(std::string_view text) { lines_ = SplitLines(text); }

void LineList::LoadFromFile(platform::IFileSystem& files, const std::string& path) {
  auto content = files.ReadFile(path);
  if (!content.ok) throw Error(FormatMessageText("Cannot open file \"%s\". %s", path, content.errorText));
  SetText(content.data);
}

void LineList::SaveToFile(platform::IFileSystem& files, const std::string& path) const {
  auto result = files.WriteFile(path, Text());
  if (!result.ok) throw Error(FormatMessageText("Cannot create file \"%s\". %s", path, result.errorText));
}

}  // namespace dx
