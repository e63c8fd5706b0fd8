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

class ISystemMarks {
 public:
  virtual ~ISystemMarks() = default;
  // The mark of name for the caller; null while another holder has it. A system that
  // cannot make marks at all gives a mark that guards nothing rather than refuse.
  virtual std::unique_ptr<IHeldMark> TryTake(const std::string& name) = 0;
};

}  // namespace dx::platform
