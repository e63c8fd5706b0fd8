#pragma once
// Files and folders, addressed by full Windows paths ("C:\\Games\\Quake 4\\q4base\\qconsole.log").
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dx::platform {

struct FileReadResult {
  bool ok = false;
  std::string data;
  std::string errorText;  // the system's text when !ok
};

struct FileWriteResult {
  bool ok = false;
  std::string errorText;
};

// Outcome of a shell copy or move. 0 is success; otherwise the shell's or system's code.
struct FileOpResult {
  int code = 0;
  bool Succeeded() const { return code == 0; }
};

// Seconds since 1970-01-01 UTC.
using FileTime = std::int64_t;

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  // Plain deletion; false when it fails or the file is absent.
  virtual bool RemoveFile(const std::string& path) = 0;
  // Creates the last level only; false when it fails.
  virtual bool CreateFolder(const std::string& path) = 0;
  virtual FileReadResult ReadFile(const std::string& path) = 0;
  // Replaces the file's contents. Written to a temporary file beside it and renamed, so a
  // failure never leaves a half-written file in its place.
  virtual FileWriteResult WriteFile(const std::string& path, const std::string& data) = 0;
  // Adds to the end of the file, creating it when absent, while holding it open for no one
  // else: addition gets the contents found and returns what to append. Another program
  // holding the file is waited for a few seconds. Nothing is rewritten, so two copies
  // appending together keep both their lines.
  virtual FileWriteResult AppendFile(const std::string& path,
                                     const std::function<std::string(const std::string& existing)>& addition) = 0;
  // Names (not paths) of the files in folder matching a pattern with * and ?.
  virtual std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern) = 0;
  // Windows file attributes (FILE_ATTRIBUTE_*); 0xFFFFFFFF when the file is absent.
  virtual std::uint32_t GetAttributes(const std::string& path) = 0;
  virtual bool SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
  virtual bool SetModificationTime(const std::string& path, FileTime time) = 0;
  // The system's folder for temporary files, ending in a backslash; empty when unknown.
  virtual std::string TempFolder() { return {}; }

  // The shell file operation used for every copy and move in the game folder: no
  // confirmation prompts, an existing target replaced, missing folders created, files
  // only, a simple progress window with the given title. target is a folder (ending in
  // a backslash) or a file path.
  virtual FileOpResult ShellCopy(const std::string& source, const std::string& target,
                                 const std::string& progressTitle) = 0;
  virtual FileOpResult ShellMove(const std::string& source, const std::string& target,
                                 const std::string& progressTitle) = 0;
};

}  // namespace dx::platform
