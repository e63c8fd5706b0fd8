#pragma once
// An in-memory file system with Windows path rules: backslashes, no case distinction,
// folders that must exist before a file is written into them.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "tests/doubles/FakeRegistry.h"

namespace dx::test {

class MemoryFileSystem : public platform::IFileSystem {
 public:
  struct ShellCall {
    std::string operation;  // "copy" or "move"
    std::string source, target, title;
  };

  // Creates the folder and all its parents.
  void AddFolder(const std::string& path);
  // Creates the file (and its folders) with the given contents.
  void AddFile(const std::string& path, const std::string& data);
  // Read-only folders refuse new files, read-only files refuse writing and deletion.
  void SetReadOnly(const std::string& path, bool readOnly = true);
  std::string Contents(const std::string& path) const;  // "<missing>" when absent
  std::vector<std::string> AllFiles() const;
  const std::vector<ShellCall>& shellCalls() const { return shellCalls_; }
  // Paths given to WriteFile, in order.
  const std::vector<std::string>& writes() const { return writes_; }
  // Paths given to AppendFile, in order.
  const std::vector<std::string>& appends() const { return appends_; }

  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  bool CreateFolder(const std::string& path) override;
  platform::FileReadResult ReadFile(const std::string& path) override;
  platform::FileWriteResult WriteFile(const std::string& path, const std::string& data) override;
  platform::FileWriteResult AppendFile(const std::string& path,
                                       const std::function<std::string(const std::string&)>& addition) override;
  std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern) override;
  std::uint32_t GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
  bool SetModificationTime(const std::string& path, platform::FileTime time) override;
  platform::FileOpResult ShellCopy(const std::string& source, const std::string& target,
                                   const std::string& progressTitle) override;
  platform::FileOpResult ShellMove(const std::string& source, const std::string& target,
                                   const std::string& progressTitle) override;

  std::string TempFolder() override { return tempFolder; }

  std::map<std::string, platform::FileTime, NoCaseLess> times;
  std::string tempFolder = "C:\\Windows\\Temp\\";

 private:
  struct File {
    std::string data;
    std::uint32_t attributes = 0x80;  // FILE_ATTRIBUTE_NORMAL
  };
  static std::string Normal(const std::string& path);
  static std::string Parent(const std::string& path);
  bool ParentWritable(const std::string& path) const;
  platform::FileOpResult Transfer(const std::string& source, const std::string& target, bool move,
                                  const std::string& title);

  std::map<std::string, File, NoCaseLess> files_;
  std::set<std::string, NoCaseLess> folders_;
  std::set<std::string, NoCaseLess> readOnlyFolders_;
  std::vector<ShellCall> shellCalls_;
  std::vector<std::string> writes_;
  std::vector<std::string> appends_;
};

// Matches * and ? without regard to ASCII case.
bool WildcardMatch(const std::string& name, const std::string& pattern);

}  // namespace dx::test
