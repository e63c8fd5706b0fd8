#pragma once
// An ordered list of text lines, the form in which the system reads and writes its
// text files: reading splits at CR LF, a lone CR or a lone LF; writing ends every line,
// the last included, with CR LF.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dx {

namespace platform {
class IFileSystem;
}

class LineList {
 public:
  LineList() = default;
  explicit LineList(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  void Clear() { lines_.clear(); }
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  void Delete(std::size_t index);
  // The first count lines (fewer when there are fewer), in one step.
  void DeleteFirst(std::size_t count = 1);
  std::size_t Count() const { return lines_.size(); }
  bool Empty() const { return lines_.empty(); }
  const std::string& operator[](std::size_t index) const { return lines_.at(index); }
  std::string& operator[](std::size_t index) { return lines_.at(index); }
  // Index of the first line equal to text, or -1.
  int IndexOf(std::string_view text) const;
  const std::vector<std::string>& Lines() const { return lines_; }

  // Every line followed by CR LF.
  std::string Text() const;
  // Replaces the lines by those of text, split at any of the three line ends.
  void SetText(std::string_view text);

  // Throws dx::Error when the file cannot be read.
  void LoadFromFile(platform::IFileSystem& files, const std::string& path);
  // Throws dx::Error "Cannot create file "%s". %s" when the file cannot be written.
  void SaveToFile(platform::IFileSystem& files, const std::string& path) const;

  friend bool operator==(const LineList&, const LineList&) = default;

 private:
  std::vector<std::string> lines_;
};

std::vector<std::string> SplitLines(std::string_view text);

}  // namespace dx
