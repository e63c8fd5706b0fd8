#pragma once
// Marks as named mutexes that only administrators can make, open or hold: in a private
// namespace bounded by the Administrators group, or, where the system has no private
// namespaces, in the machine-wide namespace with a security descriptor of the
// Administrators only and a check of who made an existing one. Copies in other sessions
// and from other folders see them; the system lets a mutex go when its holder dies.
#include "platform/SystemMarks.h"

namespace dx::win32 {

class Win32SystemMarks : public platform::ISystemMarks {
 public:
  // Taken and let go on the same thread, as a mutex wants.
  platform::MarkAttempt TryTake(const std::string& name) override;
};

}  // namespace dx::win32
