#pragma once
// The user-interface thread: the only thread that touches the system's state.
#include <cstdint>
#include <functional>

namespace dx::platform {

class IUiThread {
 public:
  virtual ~IUiThread() = default;
  // Blocks the user-interface thread; every fixed wait of the system goes through here.
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  // Handles the messages waiting in the queue (repaints included).
  virtual void ProcessMessages() = 0;
  // From any thread: runs call on the user-interface thread and returns once it has run.
  virtual void Invoke(const std::function<void()>& call) = 0;
};

}  // namespace dx::platform
