#include "sysinfo/RadInfo.h"

#include "common/Numbers.h"
#include "common/Text.h"
#include "sysinfo/ByteRecord.h"

namespace dx {
namespace {

std::string RadeonRequest(std::uint32_t subFunction) {
  std::string request = MakeRecord(radeon::kRequestSize);
  PutWord(request, 0, radeon::kRequestSize);
  PutWord(request, 4, subFunction);
  return request;
}

// The driver keys of a 64-bit system live in the native view; a 32-bit system (or an
// old 32-bit control panel) may only have them in the 32-bit view.
bool OpenDriverKey(SharedRegistry& registry, const std::string& path) {
  return registry.OpenKey(path, false, platform::RegistryView::Native) ||
         registry.OpenKey(path, false, platform::RegistryView::Wow32);
}

// A value stored as anything but a string reads as empty: these texts are only shown,
// and nothing of this collection may stop a benchmark.
std::string ReadText(SharedRegistry& registry, const std::string& name) {
  auto value = registry.ReadValue(name);
  if (value.type != platform::RegistryValueType::String && value.type != platform::RegistryValueType::ExpandString) {
    return {};
  }
  return value.data.substr(0, value.data.find('\0'));
}

std::string WholeMhz(std::uint32_t hz) { return IntToStr(RoundHalfEven(static_cast<double>(hz) / 1e6)); }

}  // namespace

std::string CutBeforeBracket(const std::string& text) { return text.substr(0, text.find('(')); }

bool TRadeonInfo::Query(std::uint32_t subFunction, std::size_t replySize, std::string& reply) {
  platform::EscapeRequest request;
  request.context.driver = radeon::kPrimaryDisplay;
  request.escape = radeon::kEscape;
  request.input = RadeonRequest(subFunction);
  request.reply = MakeRecord(replySize);
  PutWord(request.reply, 0, static_cast<std::uint32_t>(replySize));
  auto outcome = display_.DriverEscape(request);
  if (!outcome || outcome->result != 0 || outcome->reply.size() < replySize) return false;
  reply = std::move(outcome->reply);
  return true;
}

bool TRadeonInfo::ReadClocks() {
  std::string reply;
  if (!Query(radeon::kReadClocks, radeon::kClocksReplySize, reply)) return false;
  // Words in units of 10 kHz.
  MemoryClock = *GetWord(reply, 12) / 100.0;
  EngineClock = *GetWord(reply, 44) / 100.0;
  return true;
}

bool TRadeonInfo::ReadMemoryInfo() {
  std::string reply;
  return Query(radeon::kReadMemoryInfo, radeon::kMemoryReplySize, reply);
}

bool TRadeonInfo::ReadAdapter() {
  platform::DisplayDevice device;
  for (std::uint32_t index = 0; display_.GetDevice(index, device); ++index) {
    if (device.deviceName == radeon::kPrimaryDisplay) {
      AdapterName = device.deviceString;
      // "PCI\VEN_1002&DEV_...": the vendor's four digits follow the first eight characters.
      return device.deviceId.size() >= 12 && device.deviceId.compare(8, 4, "1002") == 0;
    }
  }
  // Without a primary display the vendor of whatever device came last says nothing.
  return false;
}

bool TRadeonInfo::Detect() { return ReadClocks() && ReadMemoryInfo() && ReadAdapter(); }

std::uint32_t ReadPerformanceClock(platform::IDisplay& display, std::uint32_t level, ClockKind which) {
  platform::EscapeRequest request;
  request.context.driver = "DISPLAY";
  request.escape = adapterclock::kEscape;
  request.sideBuffer = MakeRecord(adapterclock::kBufferSize);
  PutWord(request.sideBuffer, 0, level);
  // The buffer's address is a 64-bit field (offsets 16 and 20 hold its two halves), so
  // the platform stores the whole pointer: a 64-bit process's buffer lies above 4 GB as
  // often as not, and a driver given a cut pointer would write into foreign memory.
  request.input = MakeRecord(adapterclock::kRequestSize);
  PutWord(request.input, 8, adapterclock::kFunction);
  PutWord(request.input, 24, static_cast<std::uint32_t>(adapterclock::kBufferSize));
  request.sideAddressOffset = adapterclock::kBufferAddressOffset;
  request.reply = MakeRecord(adapterclock::kReplySize);

  auto outcome = display.DriverEscape(request);
  if (!outcome || outcome->result == 0 || !outcome->contextDeleted) return 0;
  auto status = GetWord(outcome->reply, 28);
  if (!status || *status != 0) return 0;
  return GetWord(outcome->sideBuffer, which == ClockKind::Engine ? 8 : 12).value_or(0);
}

void RadInfo::CollectRadeonDetails() {
  TRadeonInfo radeon(display_);
  if (!radeon.Detect()) {
    info_.HasRadeonDetails = false;
    return;
  }
  const char separator = locale_.DecimalSeparator();
  info_.HasRadeonDetails = true;
  info_.RadeonCardName = radeon.AdapterName;
  info_.MemoryClock = FormatFixed(radeon.MemoryClock, 2, separator) + " MHz";
  info_.VpuClock = FormatFixed(radeon.EngineClock, 2, separator) + " MHz";

  if (!OpenDriverKey(registry_, radeon::kAsicKey)) return;
  info_.BusType = CutBeforeBracket(ReadText(registry_, "Bus Type"));
  if (OpenDriverKey(registry_, radeon::kMemoryKey)) {
    info_.MemoryType = CutBeforeBracket(ReadText(registry_, "Type"));
  }
}

void RadInfo::CollectAdapterClocks() {
  if (!OpenDriverKey(registry_, adapterclock::kClassKey)) {
    info_.HasAdapterClocks = false;
    return;
  }
  info_.HasAdapterClocks = true;
  info_.DriverDescription = ReadText(registry_, "DriverDesc");

  clockReadings_.Clear();
  for (ClockKind which : {ClockKind::Engine, ClockKind::Memory}) {
    for (std::uint32_t level = 0; level <= 5; ++level) {
      if (WholeMhz(ReadPerformanceClock(display_, level, which)) != "0") {
        clockReadings_.Add(WholeMhz(ReadPerformanceClock(display_, level, which)));
      }
    }
  }

  if (clockReadings_.Count() == 6) {
    if (!clockReadings_[2].empty()) {
      info_.GpuClock = clockReadings_[2] + " MHz";
    } else {
      info_.HasAdapterClocks = false;
    }
    if (!clockReadings_[5].empty()) {
      info_.AdapterMemoryClock = clockReadings_[5] + " MHz";
    } else {
      info_.HasAdapterClocks = false;
    }
  } else {
    // Readings that do not pair up give no clocks of this machine's present state; the
    // texts of an earlier benchmark must not stand in for them.
    info_.GpuClock.clear();
    info_.AdapterMemoryClock.clear();
    info_.HasAdapterClocks = false;
  }

  if (info_.AdapterMemoryClock == "0 MHz" || info_.GpuClock == "0 MHz") info_.HasAdapterClocks = false;
}

}  // namespace dx
