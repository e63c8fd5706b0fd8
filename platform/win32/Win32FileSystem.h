#pragma once
#include "platform/FileSystem.h"

namespace dx::win32 {

class Win32FileSystem : public platform::IFileSystem {
 public:
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
  std::string TempFolder() override;
  platform::FileOpResult ShellCopy(const std::string& source, const std::string& target,
                                   const std::string& progressTitle) override;
  platform::FileOpResult ShellMove(const std::string& source, const std::string& target,
                                   const std::string& progressTitle) override;

  // The window that owns the shell's progress window; none by default.
  void SetOwnerWindow(void* window) { owner_ = window; }

 private:
  platform::FileOpResult ShellOperation(unsigned operation, const std::string& source, const std::string& target,
                                        const std::string& progressTitle);
  void* owner_ = nullptr;
};

}  // namespace dx::win32
