#pragma once
// A display with the modes and adapters the test lists. Escapes are answered by a
// handler the test sets, which plays the driver: it sees the exact bytes the system
// sends (side addresses already stored, as the real platform stores them) and may fill
// the reply and the side block.
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Display.h"

namespace dx::test {

class FakeDisplay : public platform::IDisplay {
 public:
  // Where the side block "lives": above 4 GB, so a layout that drops the upper half shows.
  static constexpr std::uint64_t kSideAddress = 0x000007F1'2345'6780ull;

  std::vector<platform::DisplayMode> modes;
  std::vector<platform::DisplayDevice> devices;
  // Every escape as the driver saw it.
  std::vector<platform::EscapeRequest> escapes;
  // Returns the escape's result; may change reply and sideBuffer. Unset: no device
  // context can be made.
  std::function<int(const platform::EscapeRequest& seen, std::string& reply, std::string& sideBuffer)>
      escapeHandler;
  // Device names (driver texts) for which no context can be made even with a handler.
  std::set<std::string> unavailableContexts;
  bool deleteSucceeds = true;

  void AddMode(std::uint32_t width, std::uint32_t height, std::uint32_t bits = 32, std::uint32_t hz = 60) {
    modes.push_back({width, height, bits, hz});
  }
  void AddDevice(std::string name, std::string text, std::string id, std::uint32_t flags = 0) {
    devices.push_back({std::move(name), std::move(text), flags, std::move(id), {}});
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
  std::optional<platform::EscapeOutcome> DriverEscape(const platform::EscapeRequest& request) override {
    platform::EscapeRequest seen = request;
    if (!seen.sideBuffer.empty() && !platform::StoreAddress(seen.input, seen.sideAddressOffset, kSideAddress)) {
      return std::nullopt;
    }
    escapes.push_back(seen);
    if (!escapeHandler || unavailableContexts.count(request.context.driver)) return std::nullopt;
    platform::EscapeOutcome outcome;
    outcome.reply = request.reply;
    outcome.sideBuffer = request.sideBuffer;
    outcome.result = escapeHandler(escapes.back(), outcome.reply, outcome.sideBuffer);
    // A driver writes into the buffers it was given, never beyond them.
    outcome.reply.resize(request.reply.size(), '\0');
    outcome.sideBuffer.resize(request.sideBuffer.size(), '\0');
    outcome.contextDeleted = deleteSucceeds;
    return outcome;
  }
};

}  // namespace dx::test
