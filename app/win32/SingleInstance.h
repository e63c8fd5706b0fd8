#pragma once
// One running copy per executable path. The list of running copies lives in a named
// shared memory block guarded by a named mutex, both machine-wide.
#include <windows.h>

#include <cstdint>

#include "platform/win32/Scoped.h"

namespace dx::win32 {

class SingleInstance {
 public:
  // Enrols this process. Returns false when another copy of the same executable runs;
  // that copy's main window has then been restored and brought to the front.
  bool Enrol();
  // Records the main window so a later copy can bring it forward.
  void SetMainWindow(HWND window);
  // Leaves the list; also done by the destructor.
  void SignOut();
  ~SingleInstance();

 private:
  class Lock;
  bool Open();
  ScopedHandle mutex_;
  ScopedHandle mapping_;
  ScopedView view_;
  bool enrolled_ = false;
};

// Restores a minimised window and brings it to the foreground, attaching to the
// foreground window's input queue when another thread owns it.
void BringToFront(HWND window);

}  // namespace dx::win32
