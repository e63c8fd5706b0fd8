#include "platform/win32/Win32Display.h"

#include <cstring>
#include <vector>

#include "platform/win32/Scoped.h"

namespace dx::win32 {
namespace {

static_assert(sizeof(DISPLAY_DEVICEA) == 424, "the device record the drivers fill");

template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, ::strnlen(field, N));
}

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

bool Win32Display::GetMode(std::uint32_t index, platform::DisplayMode& mode) {
  DEVMODEA dm{};
  dm.dmSize = sizeof dm;
  if (!::EnumDisplaySettingsA(nullptr, index, &dm)) return false;
  mode.width = dm.dmPelsWidth;
  mode.height = dm.dmPelsHeight;
  mode.bitsPerPixel = dm.dmBitsPerPel;
  mode.frequency = dm.dmDisplayFrequency;
  return true;
}

bool Win32Display::GetDevice(std::uint32_t index, platform::DisplayDevice& device) {
  DISPLAY_DEVICEA record{};
  record.cb = sizeof record;
  if (!::EnumDisplayDevicesA(nullptr, index, &record, 0)) return false;
  device.deviceName = FieldText(record.DeviceName);
  device.deviceString = FieldText(record.DeviceString);
  device.stateFlags = record.StateFlags;
  device.deviceId = FieldText(record.DeviceID);
  device.deviceKey = FieldText(record.DeviceKey);
  return true;
}

int Win32Display::SendEscape(HDC dc, int escape, std::string& input, std::string& reply) {
  return ::ExtEscape(dc, escape, static_cast<int>(input.size()), input.data(), static_cast<int>(reply.size()),
                     reply.empty() ? nullptr : reply.data());
}

std::optional<platform::EscapeOutcome> Win32Display::DriverEscape(const platform::EscapeRequest& request) {
  std::string input = request.input;
  // The side block stays put and aligned for the whole call; the driver writes into it
  // through the address it finds in input.
  std::vector<std::uint64_t> side((request.sideBuffer.size() + 7) / 8);
  if (!request.sideBuffer.empty()) {
    std::memcpy(side.data(), request.sideBuffer.data(), request.sideBuffer.size());
    if (!platform::StoreAddress(input, request.sideAddressOffset, reinterpret_cast<std::uintptr_t>(side.data()))) {
      return std::nullopt;
    }
  }

  ScopedCreatedDc dc(::CreateDCA(OrNull(request.context.driver), OrNull(request.context.device), nullptr, nullptr));
  if (!dc) return std::nullopt;

  platform::EscapeOutcome outcome;
  outcome.reply = request.reply;
  outcome.result = SendEscape(dc.get(), request.escape, input, outcome.reply);
  outcome.contextDeleted = ::DeleteDC(dc.release()) != FALSE;
  outcome.sideBuffer.assign(reinterpret_cast<const char*>(side.data()), request.sideBuffer.size());
  return outcome;
}

}  // namespace dx::win32
