#include "platform/win32/Win32Display.h"

#include <gtest/gtest.h>

#include <cstring>

#include "sysinfo/RadInfo.h"

namespace dx {
namespace {

TEST(Win32DisplayTest, ModesAndDevicesOfTheRunningSystem) {
  win32::Win32Display display;
  platform::DisplayMode mode;
  std::uint32_t count = 0;
  while (count < 100000 && display.GetMode(count, mode)) {
    EXPECT_GT(mode.width, 0u);
    EXPECT_GT(mode.height, 0u);
    ++count;
  }
  EXPECT_GT(count, 0u);
  EXPECT_LT(count, 100000u);

  platform::DisplayDevice device;
  bool primary = false;
  std::uint32_t index = 0;
  for (; index < 64 && display.GetDevice(index, device); ++index) {
    EXPECT_EQ(device.deviceName.find('\0'), std::string::npos);
    EXPECT_LE(device.deviceName.size(), 31u);
    EXPECT_LE(device.deviceId.size(), 127u);
    primary = primary || device.deviceName == "\\\\.\\DISPLAY1";
  }
  EXPECT_GT(index, 0u);
  EXPECT_TRUE(primary);
}

// A driver of the test's own in place of ExtEscape: it gets the real request bytes and
// works through the address it finds in them, as a display driver does.
class AddressReadingDisplay : public win32::Win32Display {
 public:
  std::uint64_t addressSeen = 0;
  std::string inputSeen, replySeen;

 protected:
  int SendEscape(HDC dc, int escape, std::string& input, std::string& reply) override {
    EXPECT_NE(dc, nullptr);
    EXPECT_EQ(escape, 0x7037);
    inputSeen = input;
    replySeen = reply;
    for (int i = 7; i >= 0; --i) addressSeen = (addressSeen << 8) | static_cast<unsigned char>(input.at(16 + i));
    auto* block = reinterpret_cast<unsigned char*>(static_cast<std::uintptr_t>(addressSeen));
    std::uint32_t level = 0;
    std::memcpy(&level, block, 4);
    const std::uint32_t engine = 100'000'000u * (level + 1), memory = 200'000'000u * (level + 1);
    std::memcpy(block + 8, &engine, 4);
    std::memcpy(block + 12, &memory, 4);
    return 1;
  }
};

TEST(Win32DisplayTest, SideBlockAddressIsTheWholePointer) {
  AddressReadingDisplay display;
  EXPECT_EQ(ReadPerformanceClock(display, 2, ClockKind::Engine), 300'000'000u);
  ASSERT_EQ(display.inputSeen.size(), 32u);
  EXPECT_NE(display.addressSeen, 0u);
  EXPECT_EQ(display.addressSeen % 8, 0u);
  EXPECT_EQ(display.inputSeen.substr(24, 4), std::string("\x10\0\0\0", 4));
  EXPECT_EQ(display.replySeen, std::string(32, '\0'));
  EXPECT_EQ(ReadPerformanceClock(display, 4, ClockKind::Memory), 1'000'000'000u);
}

TEST(Win32DisplayTest, EscapesOnRealDeviceContexts) {
  win32::Win32Display display;
  platform::EscapeRequest request;
  request.context.driver = "DISPLAY";
  request.escape = 0x7037;
  request.input = std::string(32, '\0');
  request.reply = std::string(32, '\x5A');
  request.sideBuffer = std::string("\x01\x02\x03\x04\x05", 5);
  request.sideAddressOffset = 16;
  auto outcome = display.DriverEscape(request);
  ASSERT_TRUE(outcome.has_value());
  EXPECT_TRUE(outcome->contextDeleted);
  EXPECT_EQ(outcome->reply.size(), 32u);
  EXPECT_EQ(outcome->sideBuffer.size(), 5u);

  // A side address that does not fit into the request is refused before any driver sees it.
  request.sideAddressOffset = 28;
  EXPECT_FALSE(display.DriverEscape(request).has_value());

  request.context.driver = "NoSuchPrinterDriver";
  request.sideBuffer.clear();
  EXPECT_FALSE(display.DriverEscape(request).has_value());

  // The primary display's device context can be made by its device name.
  request.context.driver = "\\\\.\\DISPLAY1";
  EXPECT_TRUE(display.DriverEscape(request).has_value());
}

}  // namespace
}  // namespace dx
