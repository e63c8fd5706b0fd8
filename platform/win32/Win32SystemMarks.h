#pragma once
// Marks as named mutexes in the machine-wide namespace, so copies in other sessions and
// from other folders see them; the system lets a mutex go when its holder dies.
#include "platform/SystemMarks.h"

namespace dx::win32 {

class Win32SystemMarks : public platform::ISystemMarks {
 public:
  // Taken and let go on the same thread, as a mutex wants.
  std::unique_ptr<platform::IHeldMark> TryTake(const std::string& name) override;
};

}  // namespace dx::win32
