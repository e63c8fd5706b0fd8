#pragma once
// The display: its modes, its devices and the driver's escape requests.
#include <cstdint>
#include <optional>
#include <string>

namespace dx::platform {

struct DisplayMode {
  std::uint32_t width = 0, height = 0, bitsPerPixel = 0, frequency = 0;
};

// One record of the device enumeration (the 424-byte DISPLAY_DEVICEA).
struct DisplayDevice {
  std::string deviceName;
  std::string deviceString;
  std::uint32_t stateFlags = 0;
  std::string deviceId;
  std::string deviceKey;
};

class IDisplay {
 public:
  virtual ~IDisplay() = default;
  // Mode index of the current display device; false once the index names no mode.
  virtual bool GetMode(std::uint32_t index, DisplayMode& mode) = 0;
  // Adapter index; false once the index names no device.
  virtual bool GetDevice(std::uint32_t index, DisplayDevice& device) = 0;
  // Sends an escape to the display driver of the device (a device context of the
  // driver "DISPLAY" for that device). input is sent as is; output receives up to
  // outputSize bytes. Returns the escape's result, or nothing when no context could be made.
  virtual std::optional<int> DriverEscape(const std::string& deviceName, int escape,
                                          const std::string& input, std::string& output,
                                          std::size_t outputSize) = 0;
};

}  // namespace dx::platform
