#pragma once
// Starting a program the elevated program carries or has checked (the upgrade helper, a
// downloaded setup program) from a place no one without administrator rights can write:
// a fresh folder under the common application data folder whose access list lets only
// Administrators and SYSTEM write, with the file held open against writes and deletion
// until its process exists. Nobody can swap the file between its writing and its start.
#include <string>

#include "platform/win32/Scoped.h"

namespace dx::win32 {

// The security descriptor every such folder is made with (LocalFree'd by its owner).
ScopedLocalMemory ProtectedFolderDescriptor();

class ProtectedLaunch {
 public:
  ProtectedLaunch() = default;
  // Removes the file and its folder: now when the process has ended (or never started),
  // otherwise at the system's next start.
  ~ProtectedLaunch();
  ProtectedLaunch(const ProtectedLaunch&) = delete;
  ProtectedLaunch& operator=(const ProtectedLaunch&) = delete;

  // Makes the folder, writes bytes there as fileName (a plain name) and holds the file.
  bool Prepare(const std::string& fileName, const std::string& bytes);
  // Starts the held file with the arguments, shown normally; its process, or null. The
  // hold ends once the process exists.
  ScopedHandle Start(const std::string& arguments);

  // With a trailing backslash; empty before Prepare succeeded.
  const std::string& Folder() const { return folder_; }
  const std::string& Path() const { return path_; }

 private:
  std::string folder_, path_;
  ScopedFile held_;
  bool started_ = false;
};

}  // namespace dx::win32
