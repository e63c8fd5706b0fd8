#include "tests/doubles/MemoryFileSystem.h"

#include "common/Text.h"

namespace dx::test {
namespace {
constexpr std::uint32_t kReadOnly = 0x1;
constexpr std::uint32_t kDirectory = 0x10;
constexpr int kErrorFileNotFound = 2;
constexpr int kErrorPathNotFound = 3;
constexpr int kErrorAccessDenied = 5;
}  // namespace

bool WildcardMatch(const std::string& name, const std::string& pattern) {
  const std::string n = ToLowerAscii(name), p = ToLowerAscii(pattern);
  std::size_t ni = 0, pi = 0, star = std::string::npos, mark = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
      ++ni, ++pi;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      mark = ni;
    } else if (star != std::string::npos) {
      pi = star + 1;
      ni = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

std::string MemoryFileSystem::Normal(const std::string& path) {
  std::string out = path;
  // "C:\a\\b" names the same file as "C:\a\b", as on Windows.
  std::string collapsed;
  for (char c : out) {
    if (c == '/') c = '\\';
    if (c == '\\' && !collapsed.empty() && collapsed.back() == '\\') continue;
    collapsed += c;
  }
  if (collapsed.size() > 3 && collapsed.back() == '\\') collapsed.pop_back();
  return collapsed;
}

std::string MemoryFileSystem::Parent(const std::string& path) {
  const auto pos = path.find_last_of('\\');
  if (pos == std::string::npos) return {};
  return pos <= 2 ? path.substr(0, pos + 1) : path.substr(0, pos);
}

void MemoryFileSystem::AddFolder(const std::string& raw) {
  const std::string path = Normal(raw);
  for (std::string p = path; !p.empty(); p = Parent(p)) {
    folders_.insert(p);
    if (p.size() <= 3) break;
  }
}

void MemoryFileSystem::AddFile(const std::string& raw, const std::string& data) {
  const std::string path = Normal(raw);
  AddFolder(Parent(path));
  files_[path] = File{data};
}

void MemoryFileSystem::SetReadOnly(const std::string& raw, bool readOnly) {
  const std::string path = Normal(raw);
  if (auto it = files_.find(path); it != files_.end()) {
    it->second.attributes = readOnly ? kReadOnly : 0x80;
  } else if (readOnly) {
    readOnlyFolders_.insert(path);
  } else {
    readOnlyFolders_.erase(path);
  }
}

std::string MemoryFileSystem::Contents(const std::string& raw) const {
  auto it = files_.find(Normal(raw));
  return it == files_.end() ? "<missing>" : it->second.data;
}

std::vector<std::string> MemoryFileSystem::AllFiles() const {
  std::vector<std::string> out;
  for (const auto& [path, file] : files_) out.push_back(path);
  return out;
}

bool MemoryFileSystem::ParentWritable(const std::string& path) const {
  const std::string parent = Parent(path);
  return folders_.count(parent) && !readOnlyFolders_.count(parent);
}

bool MemoryFileSystem::FileExists(const std::string& path) { return files_.count(Normal(path)) > 0; }

bool MemoryFileSystem::FolderExists(const std::string& path) { return folders_.count(Normal(path)) > 0; }

bool MemoryFileSystem::RemoveFile(const std::string& raw) {
  const std::string path = Normal(raw);
  auto it = files_.find(path);
  if (it == files_.end() || (it->second.attributes & kReadOnly) || readOnlyFolders_.count(Parent(path))) {
    return false;
  }
  files_.erase(it);
  return true;
}

bool MemoryFileSystem::CreateFolder(const std::string& raw) {
  const std::string path = Normal(raw);
  if (folders_.count(path) || !ParentWritable(path)) return false;
  folders_.insert(path);
  return true;
}

platform::FileReadResult MemoryFileSystem::ReadFile(const std::string& path) {
  auto it = files_.find(Normal(path));
  if (it == files_.end()) return {false, {}, "The system cannot find the file specified"};
  return {true, it->second.data, {}};
}

platform::FileWriteResult MemoryFileSystem::WriteFile(const std::string& raw, const std::string& data) {
  const std::string path = Normal(raw);
  writes_.push_back(path);
  if (!folders_.count(Parent(path))) return {false, "The system cannot find the path specified"};
  if (readOnlyFolders_.count(Parent(path))) return {false, "Access is denied"};
  auto it = files_.find(path);
  if (it != files_.end() && (it->second.attributes & kReadOnly)) return {false, "Access is denied"};
  files_[path].data = data;
  return {true, {}};
}

platform::FileWriteResult MemoryFileSystem::AppendFile(
    const std::string& raw, const std::function<std::string(const std::string&)>& addition) {
  const std::string path = Normal(raw);
  appends_.push_back(path);
  if (!folders_.count(Parent(path))) return {false, "The system cannot find the path specified"};
  auto it = files_.find(path);
  if (it == files_.end() && readOnlyFolders_.count(Parent(path))) return {false, "Access is denied"};
  if (it != files_.end() && (it->second.attributes & kReadOnly)) return {false, "Access is denied"};
  File& file = files_[path];
  file.data += addition(file.data);
  return {true, {}};
}

std::vector<std::string> MemoryFileSystem::ListFiles(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names;
  const std::string dir = Normal(folder);
  for (const auto& [path, file] : files_) {
    if (EqualsNoCase(Parent(path), dir)) {
      const std::string name = path.substr(path.find_last_of('\\') + 1);
      if (WildcardMatch(name, pattern)) names.push_back(name);
    }
  }
  return names;
}

std::uint32_t MemoryFileSystem::GetAttributes(const std::string& raw) {
  const std::string path = Normal(raw);
  if (auto it = files_.find(path); it != files_.end()) return it->second.attributes;
  if (folders_.count(path)) return kDirectory;
  return 0xFFFFFFFFu;
}

bool MemoryFileSystem::SetAttributes(const std::string& raw, std::uint32_t attributes) {
  auto it = files_.find(Normal(raw));
  if (it == files_.end()) return false;
  it->second.attributes = attributes;
  return true;
}

bool MemoryFileSystem::SetModificationTime(const std::string& raw, platform::FileTime time) {
  const std::string path = Normal(raw);
  if (!files_.count(path)) return false;
  times[path] = time;
  return true;
}

platform::FileOpResult MemoryFileSystem::Transfer(const std::string& rawSource, const std::string& rawTarget,
                                                  bool move, const std::string& title) {
  shellCalls_.push_back({move ? "move" : "copy", rawSource, rawTarget, title});
  const std::string source = Normal(rawSource);
  auto it = files_.find(source);
  if (it == files_.end()) return {kErrorFileNotFound};
  std::string target = Normal(rawTarget);
  const bool toFolder = (!rawTarget.empty() && rawTarget.back() == '\\') || folders_.count(target);
  if (toFolder) target = Normal(target + "\\" + source.substr(source.find_last_of('\\') + 1));
  if (readOnlyFolders_.count(Parent(target))) return {kErrorAccessDenied};
  if (auto existing = files_.find(target); existing != files_.end() && (existing->second.attributes & kReadOnly)) {
    return {kErrorAccessDenied};
  }
  if (move && readOnlyFolders_.count(Parent(source))) return {kErrorAccessDenied};
  if (Parent(target).empty()) return {kErrorPathNotFound};
  AddFolder(Parent(target));  // the shell creates missing folders without asking
  File copy = it->second;
  if (move) files_.erase(source);
  files_[target] = std::move(copy);
  return {0};
}

platform::FileOpResult MemoryFileSystem::ShellCopy(const std::string& source, const std::string& target,
                                                   const std::string& title) {
  return Transfer(source, target, false, title);
}

platform::FileOpResult MemoryFileSystem::ShellMove(const std::string& source, const std::string& target,
                                                   const std::string& title) {
  return Transfer(source, target, true, title);
}

}  // namespace dx::test
