#pragma once
// The display: its modes, its devices and the driver's escape requests.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace dx::platform {

struct DisplayMode {
  std::uint32_t width = 0, height = 0, bitsPerPixel = 0, frequency = 0;
};

// One record of the device enumeration (the 424-byte DISPLAY_DEVICEA), each text up to
// its first NUL.
struct DisplayDevice {
  std::string deviceName;
  std::string deviceString;
  std::uint32_t stateFlags = 0;
  std::string deviceId;
  std::string deviceKey;
};

// What a device context is made for: the driver or display device name ("DISPLAY",
// "\\.\DISPLAY1") and an optional device; an empty text stands for none.
struct DeviceContextName {
  std::string driver;
  std::string device;
};

// One escape to a display driver. The driver reads input and fills the reply buffer,
// which it receives with the contents of reply (so a caller can preset a size field).
// Some escapes carry the address of a further block of memory inside their input: then
// sideBuffer holds that block's initial bytes, and the platform keeps the block alive
// for the call and stores its address, 64 bits little-endian, at sideAddressOffset of
// input. An empty sideBuffer means there is no such block.
struct EscapeRequest {
  DeviceContextName context;
  int escape = 0;
  std::string input;
  std::string reply;
  std::string sideBuffer;
  std::size_t sideAddressOffset = 0;
};

struct EscapeOutcome {
  int result = 0;               // the escape's own return value
  bool contextDeleted = false;  // the device context was released without error
  std::string reply;            // the reply buffer as the driver left it (same size as sent)
  std::string sideBuffer;       // the side block as the driver left it
};

class IDisplay {
 public:
  virtual ~IDisplay() = default;
  // Mode index of the current display device; false once the index names no mode.
  virtual bool GetMode(std::uint32_t index, DisplayMode& mode) = 0;
  // Adapter index; false once the index names no device.
  virtual bool GetDevice(std::uint32_t index, DisplayDevice& device) = 0;
  // Makes the device context, sends the escape and deletes the context again. Nothing
  // when no context could be made (or the request cannot be laid out: a side address
  // that does not fit into input).
  virtual std::optional<EscapeOutcome> DriverEscape(const EscapeRequest& request) = 0;
};

// Stores a 64-bit address little-endian at offset; false when it does not fit.
inline bool StoreAddress(std::string& record, std::size_t offset, std::uint64_t address) {
  if (offset > record.size() || record.size() - offset < 8) return false;
  for (int i = 0; i < 8; ++i) record[offset + i] = static_cast<char>((address >> (8 * i)) & 0xFF);
  return true;
}

}  // namespace dx::platform
