#pragma once
// Windows paths as the system spells them: "\" separates folders, a drive ends in ":".
#include <string>

#include "platform/FileSystem.h"

namespace dx {

// The part after the last "\" or ":".
inline std::string ExtractFileName(const std::string& path) {
  const auto pos = path.find_last_of("\\:");
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

// The folder part with its "\" (or the drive with its ":"); empty for a bare name.
inline std::string ExtractFilePath(const std::string& path) {
  const auto pos = path.find_last_of("\\:");
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

// An empty folder stays empty: it means "none", not the root.
inline std::string IncludeTrailingBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

// Without any "\" at the end.
inline std::string ExcludeTrailingBackslashes(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

// A path as the file system reads it: a doubled "\" after the start (where a network
// path's two stay) is one; a report's name holds one where the results folder ends in "\".
inline std::string ShownPath(const std::string& path) {
  std::string shown = path.substr(0, 2);
  for (std::size_t i = shown.size(); i < path.size(); ++i) {
    if (path[i] == '\\' && shown.back() == '\\') continue;
    shown += path[i];
  }
  return shown;
}

// Creates every missing level of folder; failures show in the write that follows.
inline void CreateFolderPath(platform::IFileSystem& files, const std::string& folder) {
  for (std::size_t i = 0; i <= folder.size(); ++i) {
    if (i < folder.size() && folder[i] != '\\') continue;
    const std::string level = folder.substr(0, i);
    // "C:", "\\server" and "\\server\share" are not folders one can make.
    const bool share = level.compare(0, 2, "\\\\") == 0 && level.find('\\', 2) == std::string::npos;
    if (level.size() <= 2 || share) continue;
    if (!files.FolderExists(level)) files.CreateFolder(level);
  }
}

}  // namespace dx
