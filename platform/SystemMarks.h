#pragma once
// Marks every process of the machine sees: a name held by one holder at a time and let
// go when the holder lets it go or ends, however it ends.
#include <memory>
#include <string>

namespace dx::platform {

// Held while it lives.
class IHeldMark {
 public:
  virtual ~IHeldMark() = default;
};

struct MarkAttempt {
  std::unique_ptr<IHeldMark> mark;  // null while another holder has it, or when failed
  // The mark could not be made, or its name is held by an object anyone may take: nothing
  // it guards is safe, so the caller refuses rather than go on unguarded.
  bool failed = false;
  std::string why;  // the system's text when failed
};

class ISystemMarks {
 public:
  virtual ~ISystemMarks() = default;
  virtual MarkAttempt TryTake(const std::string& name) = 0;
};

}  // namespace dx::platform
