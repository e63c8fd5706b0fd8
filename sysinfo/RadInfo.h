#pragma once
// Graphics adapter details beyond the diagnostic report: the Radeon block (adapter name,
// bus and memory type, current clocks) and the adapter-clock block (driver description
// and the clocks of its performance levels), read through display-driver escapes and
// the driver's registry keys.
#include <cstdint>
#include <string>

#include "common/LineList.h"
#include "common/SharedRegistry.h"
#include "platform/Display.h"
#include "platform/LocaleClock.h"
#include "sysinfo/SystemInfo.h"

namespace dx {

namespace radeon {
inline constexpr int kEscape = 0x7306;
inline constexpr std::uint32_t kReadClocks = 0x00110013;
inline constexpr std::uint32_t kReadMemoryInfo = 0x00400103;
inline constexpr std::size_t kRequestSize = 16;
inline constexpr std::size_t kClocksReplySize = 80;
inline constexpr std::size_t kMemoryReplySize = 64;
inline constexpr const char* kPrimaryDisplay = "\\\\.\\DISPLAY1";
inline constexpr const char* kAsicKey = "\\SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\ASIC";
inline constexpr const char* kMemoryKey = "\\SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\Memory";
}  // namespace radeon

namespace adapterclock {
inline constexpr int kEscape = 0x7037;
inline constexpr std::uint32_t kFunction = 0x1EE;
inline constexpr std::size_t kRequestSize = 32;
inline constexpr std::size_t kReplySize = 32;
inline constexpr std::size_t kBufferSize = 16;
inline constexpr std::size_t kBufferAddressOffset = 16;
inline constexpr const char* kClassKey =
    "\\SYSTEM\\ControlSet001\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}\\0000";
}  // namespace adapterclock

// The Radeon query object of one collection pass.
class TRadeonInfo {
 public:
  explicit TRadeonInfo(platform::IDisplay& display) : display_(display) {}

  // ReadClocks, ReadMemoryInfo and ReadAdapter in this order, up to the first that fails.
  bool Detect();
  bool ReadClocks();
  bool ReadMemoryInfo();
  // The primary display's device string; true when that display is an ATI device.
  bool ReadAdapter();

  double EngineClock = 0;  // MHz
  double MemoryClock = 0;  // MHz
  std::string AdapterName;

 private:
  // Sends the Radeon escape with the given sub-function; true (and the reply) when it answers.
  bool Query(std::uint32_t subFunction, std::size_t replySize, std::string& reply);

  platform::IDisplay& display_;
};

enum class ClockKind { Engine, Memory };

// One clock reading of a performance level (0 to 5) in Hz; 0 when the query fails.
std::uint32_t ReadPerformanceClock(platform::IDisplay& display, std::uint32_t level, ClockKind which);

class RadInfo {
 public:
  // clockReadings is the line list of the main window's hidden Memo1.
  RadInfo(platform::IDisplay& display, SharedRegistry& registry, platform::ILocaleClock& locale,
          LineList& clockReadings, SystemInfoRecord& info)
      : display_(display), registry_(registry), locale_(locale), clockReadings_(clockReadings), info_(info) {}

  void CollectRadeonDetails();
  void CollectAdapterClocks();

 private:
  platform::IDisplay& display_;
  SharedRegistry& registry_;
  platform::ILocaleClock& locale_;
  LineList& clockReadings_;
  SystemInfoRecord& info_;
};

// The text in front of the first "(", or the whole text when it has none.
std::string CutBeforeBracket(const std::string& text);

}  // namespace dx
