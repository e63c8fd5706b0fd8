#pragma once
#include <windows.h>

#include "platform/Display.h"

namespace dx::win32 {

// Modes of the current display device, the display devices, and driver escapes on a
// device context that lives only for the escape.
class Win32Display : public platform::IDisplay {
 public:
  bool GetMode(std::uint32_t index, platform::DisplayMode& mode) override;
  bool GetDevice(std::uint32_t index, platform::DisplayDevice& device) override;
  std::optional<platform::EscapeOutcome> DriverEscape(const platform::EscapeRequest& request) override;

 protected:
  // The driver call itself. input already carries the side block's address; reply is
  // sized as the caller asked.
  virtual int SendEscape(HDC dc, int escape, std::string& input, std::string& reply);
};

}  // namespace dx::win32
