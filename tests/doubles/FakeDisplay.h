#pragma once
// A display with the modes and adapters the test lists. Escapes are answered by a
// handler the test sets, which sees the exact bytes the system sends.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Display.h"

namespace dx::test {

class FakeDisplay : public platform::IDisplay {
 public:
  struct EscapeCall {
    std::string deviceName;
    int escape = 0;
    std::string input;
    std::size_t outputSize = 0;
  };

  std::vector<platform::DisplayMode> modes;
  std::vector<platform::DisplayDevice> devices;
  std::vector<EscapeCall> escapes;
  // Returns the escape's result and fills output; unset: no device context can be made.
  std::function<std::optional<int>(const EscapeCall&, std::string& output)> escapeHandler;

  void AddMode(std::uint32_t width, std::uint32_t height, std::uint32_t bits = 32, std::uint32_t hz = 60) {
    modes.push_back({width, height, bits, hz});
  }

  bool GetMode(std::uint32_t index, platform::DisplayMode& mode) override {
    if (index >= modes.size()) return false;
    mode = modes[index];
    return true;
  }
  bool GetDevice(std::uint32_t index, platform::DisplayDevice& device) override {
    if (index >= devices.size()) return false;
    device = devices[index];
    return true;
  }
  std::optional<int> DriverEscape(const std::string& deviceName, int escape, const std::string& input,
                                  std::string& output, std::size_t outputSize) override {
    escapes.push_back({deviceName, escape, input, outputSize});
    if (!escapeHandler) return std::nullopt;
    return escapeHandler(escapes.back(), output);
  }
};

}  // namespace dx::test
