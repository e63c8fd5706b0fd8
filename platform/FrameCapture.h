#pragma once
// The machine side of frame-time capture: a fresh section per run, created before the game
// starts and read back after it has ended.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dx::platform {

struct FrameStamps {
  bool ok = false;
  std::string errorText;              // why the section could not be read, when !ok
  std::vector<std::int64_t> stamps;   // performance-counter values, one per frame, in order
  std::int64_t frequency = 0;         // ticks per second; 0 when the library never attached
  bool overflow = false;              // the section filled up and later frames are missing
  bool redirected = false;            // the library found and took over the game's SwapBuffers
};

// One run's section; closed when the object goes.
class IFrameSection {
 public:
  virtual ~IFrameSection() = default;
  // The value of kFrameSectionVariable for the game.
  virtual const std::string& Name() const = 0;
  virtual FrameStamps Read() = 0;
};

struct FrameSectionResult {
  std::unique_ptr<IFrameSection> section;  // null when it could not be created
  std::string errorText;
};

class IFrameCapture {
 public:
  virtual ~IFrameCapture() = default;
  // A section under a new name that nobody else knows, empty, with room for
  // kFrameSectionCapacity stamps.
  virtual FrameSectionResult CreateSection() = 0;
};

}  // namespace dx::platform
