#pragma once
// Child programs through CreateProcessA, each watched by a wait thread that hands the
// child's end to the user-interface thread and waits there until it has been handled.
#include <memory>

#include "platform/Processes.h"
#include "platform/UiThread.h"

namespace dx::win32 {

class Win32Processes : public platform::IProcesses {
 public:
  // ui must live at least as long as this object; ends reported after this object is
  // gone are dropped.
  explicit Win32Processes(platform::IUiThread& ui);
  // Waits for reports already on their way to the user-interface thread.
  ~Win32Processes() override;
  Win32Processes(const Win32Processes&) = delete;
  Win32Processes& operator=(const Win32Processes&) = delete;

  platform::ProcessStartResult Start(const platform::ProcessStartRequest& request,
                                     std::function<void(std::uint32_t exitCode)> onExit) override;
  bool IsRunning(const platform::ProcessIdentity& process) override;
  std::unique_ptr<platform::IProcessWait> WaitForEnd(const platform::ProcessIdentity& process,
                                                     std::function<void()> onEnded) override;
  std::string SystemFolder() override;

  struct Gate;

 private:
  std::shared_ptr<Gate> gate_;
};

}  // namespace dx::win32
