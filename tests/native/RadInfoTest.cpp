#include "sysinfo/RadInfo.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "tests/doubles/FakeDisplay.h"
#include "tests/doubles/FakeLocaleClock.h"
#include "tests/doubles/FakeRegistry.h"

namespace dx {
namespace {

using platform::RegistryView;

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

std::uint32_t WordAt(const std::string& record, std::size_t offset) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(record.at(offset + i));
  return v;
}

void SetWordAt(std::string& record, std::size_t offset, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) record.at(offset + i) = static_cast<char>(v >> (8 * i));
}

const char* kAsic = "SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\ASIC";
const char* kMemory = "SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\Memory";
const char* kClass = "SYSTEM\\ControlSet001\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}\\0000";

class AdapterTest : public ::testing::Test {
 protected:
  test::FakeDisplay display;
  test::FakeRegistry fakeRegistry;
  SharedRegistry registry{fakeRegistry};
  test::FakeLocaleClock locale;
  LineList memo;
  SystemInfoRecord info;
  RadInfo rad{display, registry, locale, memo, info};

  // A Radeon driver: checks every request it receives and answers like the card would.
  int radeonResult = 0;
  std::uint32_t engineWord = 40000, memoryWord = 30000;
  // The adapter-clock driver: engine and memory clock in Hz by performance level.
  std::map<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>> levels;
  int clockResult = 1;
  std::uint32_t clockStatus = 0;

  void SetUp() override {
    display.escapeHandler = [this](const platform::EscapeRequest& seen, std::string& reply, std::string& side) {
      if (seen.escape == 0x7306) return Radeon(seen, reply);
      if (seen.escape == 0x7037) return Clock(seen, reply, side);
      ADD_FAILURE() << "unexpected escape " << seen.escape;
      return -1;
    };
  }

  int Radeon(const platform::EscapeRequest& seen, std::string& reply) {
    EXPECT_EQ(seen.context.driver, "\\\\.\\DISPLAY1");
    EXPECT_TRUE(seen.sideBuffer.empty());
    EXPECT_EQ(seen.input.size(), 16u);
    const std::uint32_t sub = WordAt(seen.input, 4);
    if (sub == 0x00110013) {
      EXPECT_EQ(seen.input, Bytes({0x10, 0, 0, 0, 0x13, 0, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
      EXPECT_EQ(seen.reply, Bytes({80, 0, 0, 0}) + std::string(76, '\0'));
      SetWordAt(reply, 8, 12345);   // further clocks the system must not take
      SetWordAt(reply, 40, 54321);
      SetWordAt(reply, 12, memoryWord);
      SetWordAt(reply, 44, engineWord);
    } else if (sub == 0x00400103) {
      EXPECT_EQ(seen.input, Bytes({0x10, 0, 0, 0, 0x03, 0x01, 0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
      EXPECT_EQ(seen.reply, Bytes({64, 0, 0, 0}) + std::string(60, '\0'));
      SetWordAt(reply, 8, 0x00800100);
      SetWordAt(reply, 20, 256u << 20);
    } else {
      ADD_FAILURE() << "unexpected sub-function " << sub;
    }
    return radeonResult;
  }

  int Clock(const platform::EscapeRequest& seen, std::string& reply, std::string& side) {
    EXPECT_EQ(seen.context.driver, "DISPLAY");
    // The whole 64-bit address of the side buffer sits at 16 (low half) and 20 (high half).
    EXPECT_EQ(seen.input, Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0xEE, 0x01, 0, 0, 0, 0, 0, 0,  //
                                 0x80, 0x67, 0x45, 0x23, 0xF1, 0x07, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(seen.reply, std::string(32, '\0'));
    EXPECT_EQ(side.size(), 16u);
    const std::uint32_t level = WordAt(side, 0);
    EXPECT_LE(level, 5u);
    EXPECT_EQ(side.substr(4), std::string(12, '\0'));
    auto it = levels.find(level);
    if (it != levels.end()) {
      SetWordAt(side, 8, it->second.first);
      SetWordAt(side, 12, it->second.second);
    }
    SetWordAt(reply, 28, clockStatus);
    return clockResult;
  }

  void AtiPrimary() {
    display.AddDevice("\\\\.\\DISPLAY1", "RADEON X800 XT", "PCI\\VEN_1002&DEV_4A49&SUBSYS_00000000&REV_00", 5);
  }
  int CountEscapes(int code) const {
    int n = 0;
    for (const auto& e : display.escapes) n += e.escape == code;
    return n;
  }
};

TEST_F(AdapterTest, RadeonClocksAndAdapterNameFromAnAtiPrimaryDisplay) {
  AtiPrimary();
  rad.CollectRadeonDetails();
  EXPECT_TRUE(info.HasRadeonDetails);
  EXPECT_EQ(info.RadeonCardName, "RADEON X800 XT");
  EXPECT_EQ(info.VpuClock, "400.00 MHz");
  EXPECT_EQ(info.MemoryClock, "300.00 MHz");
  EXPECT_EQ(CountEscapes(0x7306), 2);

  // Odd clock words keep their hundredths, in the user's decimal separator.
  locale.separator = ',';
  engineWord = 52005;
  memoryWord = 55099;
  rad.CollectRadeonDetails();
  EXPECT_EQ(info.VpuClock, "520,05 MHz");
  EXPECT_EQ(info.MemoryClock, "550,99 MHz");
}

TEST_F(AdapterTest, RadeonDetailsNeedBothEscapesAndAnAtiVendor) {
  info.BusType = "earlier";
  info.VpuClock = "earlier";
  fakeRegistry.SetString(kAsic, "Bus Type", "PCI-E");

  // Another maker's card: the escapes "answer", but it is not an ATI device.
  display.AddDevice("\\\\.\\DISPLAY1", "GeForce 6800", "PCI\\VEN_10DE&DEV_0041&SUBSYS_00000000");
  info.HasRadeonDetails = true;
  rad.CollectRadeonDetails();
  EXPECT_FALSE(info.HasRadeonDetails);
  EXPECT_EQ(info.BusType, "earlier");  // no key of the Radeon driver is read
  EXPECT_EQ(info.VpuClock, "earlier");

  // An ATI card whose driver refuses the clock escape: the memory query is never sent.
  display.devices.clear();
  AtiPrimary();
  display.escapes.clear();
  radeonResult = 1;
  rad.CollectRadeonDetails();
  EXPECT_FALSE(info.HasRadeonDetails);
  EXPECT_EQ(display.escapes.size(), 1u);

  // No device context at all.
  radeonResult = 0;
  display.unavailableContexts.insert("\\\\.\\DISPLAY1");
  rad.CollectRadeonDetails();
  EXPECT_FALSE(info.HasRadeonDetails);
}

TEST_F(AdapterTest, ReadAdapterFindsThePrimaryDisplayAmongSeveralDevices) {
  auto detect = [this] {
    TRadeonInfo radeon(display);
    bool ok = radeon.ReadAdapter();
    return std::make_pair(ok, radeon.AdapterName);
  };
  // An ATI secondary display before a non-ATI primary one.
  display.AddDevice("\\\\.\\DISPLAY2", "RADEON 9600", "PCI\\VEN_1002&DEV_4150");
  display.AddDevice("\\\\.\\DISPLAY1", "Intel 915G", "PCI\\VEN_8086&DEV_2582");
  EXPECT_EQ(detect(), std::make_pair(false, std::string("Intel 915G")));

  display.devices.clear();
  display.AddDevice("\\\\.\\DISPLAY10", "Other", "PCI\\VEN_1002&DEV_0001");
  display.AddDevice("\\\\.\\DISPLAY1", "RADEON 9800 PRO", "PCI\\VEN_1002&DEV_4E48&SUBSYS_00021002");
  display.AddDevice("\\\\.\\DISPLAY3", "GeForce", "PCI\\VEN_10DE&DEV_0041");
  EXPECT_EQ(detect(), std::make_pair(true, std::string("RADEON 9800 PRO")));

  // No primary display: the last device being an ATI one proves nothing.
  display.devices.clear();
  display.AddDevice("\\\\.\\display1", "lower case", "PCI\\VEN_10DE&DEV_0041");
  display.AddDevice("\\\\.\\DISPLAY2", "RADEON 9600", "PCI\\VEN_1002&DEV_4150");
  EXPECT_EQ(detect(), std::make_pair(false, std::string()));

  // Identifiers too short or of another form.
  display.devices.clear();
  display.AddDevice("\\\\.\\DISPLAY1", "Odd", "PCI\\VEN_100");
  EXPECT_FALSE(detect().first);
  display.devices.clear();
  display.AddDevice("\\\\.\\DISPLAY1", "Odd", "ROOT\\BASICDISPLAY");
  EXPECT_FALSE(detect().first);
  display.devices.clear();
  EXPECT_FALSE(detect().first);
}

TEST_F(AdapterTest, BusAndMemoryTypeFromTheAtiKeysCutBeforeTheBracket) {
  AtiPrimary();
  fakeRegistry.SetString(kAsic, "Bus Type", "AGP 8x (fast writes)", RegistryView::Native);
  fakeRegistry.SetString(kMemory, "Type", "DDR3 (256-bit) (x)", RegistryView::Native);
  rad.CollectRadeonDetails();
  EXPECT_EQ(info.BusType, "AGP 8x ");
  EXPECT_EQ(info.MemoryType, "DDR3 ");

  // Texts without a bracket are kept; the 32-bit view serves when the native one has no key.
  fakeRegistry.RemoveKey(kAsic, RegistryView::Native);
  fakeRegistry.RemoveKey(kMemory, RegistryView::Native);
  fakeRegistry.SetString(kAsic, "Bus Type", "PCI-E", RegistryView::Wow32);
  fakeRegistry.SetString(kMemory, "Type", "GDDR3", RegistryView::Wow32);
  rad.CollectRadeonDetails();
  EXPECT_EQ(info.BusType, "PCI-E");
  EXPECT_EQ(info.MemoryType, "GDDR3");
}

TEST_F(AdapterTest, MissingAtiKeysAndValues) {
  AtiPrimary();
  info.BusType = "old bus";
  info.MemoryType = "old memory";
  // No ASIC key: nothing of the registry changes.
  rad.CollectRadeonDetails();
  EXPECT_TRUE(info.HasRadeonDetails);
  EXPECT_EQ(info.BusType, "old bus");
  EXPECT_EQ(info.MemoryType, "old memory");

  // An ASIC key without "Bus Type" and no memory key: the bus type empties, the memory type stays.
  fakeRegistry.AddKey(kAsic, RegistryView::Native);
  rad.CollectRadeonDetails();
  EXPECT_EQ(info.BusType, "");
  EXPECT_EQ(info.MemoryType, "old memory");

  // A memory key without "Type", and a bus type stored as a number: both empty, no error.
  fakeRegistry.SetValue(kAsic, "Bus Type", {platform::RegistryValueType::Dword, Bytes({4, 0, 0, 0})},
                        RegistryView::Native);
  fakeRegistry.AddKey(kMemory, RegistryView::Native);
  rad.CollectRadeonDetails();
  EXPECT_EQ(info.BusType, "");
  EXPECT_EQ(info.MemoryType, "");
}

TEST_F(AdapterTest, AdapterClocksOfThreeLevelsEach) {
  fakeRegistry.SetString(kClass, "DriverDesc", "RADEON X1900 Series", RegistryView::Native);
  levels = {{0, {100'000'000, 100'000'000}}, {1, {300'000'000, 300'000'000}}, {2, {399'600'000, 400'000'000}}};
  memo.Add("left from before");
  rad.CollectAdapterClocks();
  EXPECT_EQ(memo.Lines(), (std::vector<std::string>{"100", "300", "400", "100", "300", "400"}));
  EXPECT_TRUE(info.HasAdapterClocks);
  EXPECT_EQ(info.DriverDescription, "RADEON X1900 Series");
  EXPECT_EQ(info.GpuClock, "400 MHz");
  EXPECT_EQ(info.AdapterMemoryClock, "400 MHz");
  // Every level of both clocks asked once, the non-zero ones a second time.
  EXPECT_EQ(CountEscapes(0x7037), 12 + 6);
}

TEST_F(AdapterTest, AdapterClockListOfAnotherLengthShowsNoClocks) {
  fakeRegistry.AddKey(kClass, RegistryView::Native);
  info.GpuClock = "500 MHz";
  info.AdapterMemoryClock = "600 MHz";
  // Every reading 0: nothing listed, and the texts of the earlier benchmark go.
  rad.CollectAdapterClocks();
  EXPECT_TRUE(memo.Empty());
  EXPECT_FALSE(info.HasAdapterClocks);
  EXPECT_EQ(info.GpuClock, "");
  EXPECT_EQ(info.AdapterMemoryClock, "");

  // Four engine and two memory levels also make six: the third and sixth entries count.
  levels = {{0, {100'000'000, 200'000'000}}, {1, {200'000'000, 700'000'000}}, {2, {300'000'000, 0}},
            {3, {450'000'000, 0}}};
  rad.CollectAdapterClocks();
  EXPECT_EQ(memo.Lines(), (std::vector<std::string>{"100", "200", "300", "450", "200", "700"}));
  EXPECT_TRUE(info.HasAdapterClocks);
  EXPECT_EQ(info.GpuClock, "300 MHz");
  EXPECT_EQ(info.AdapterMemoryClock, "700 MHz");
}

TEST_F(AdapterTest, AdapterClockFailures) {
  levels = {{0, {100'000'000, 100'000'000}}, {1, {300'000'000, 300'000'000}}, {2, {400'000'000, 400'000'000}}};
  // No class key: no escape at all.
  info.HasAdapterClocks = true;
  rad.CollectAdapterClocks();
  EXPECT_FALSE(info.HasAdapterClocks);
  EXPECT_TRUE(display.escapes.empty());

  fakeRegistry.AddKey(kClass, RegistryView::Wow32);  // found in the other view too
  rad.CollectAdapterClocks();
  EXPECT_TRUE(info.HasAdapterClocks);

  // The readings of a level are two queries: a second one that reads 0 lists "0".
  int engineAnswers = 0;
  auto driver = display.escapeHandler;
  display.escapeHandler = [&](const platform::EscapeRequest& seen, std::string& reply, std::string& side) {
    int result = driver(seen, reply, side);
    if (WordAt(seen.sideBuffer, 0) == 2 && ++engineAnswers == 2) SetWordAt(side, 8, 0);
    return result;
  };
  rad.CollectAdapterClocks();
  EXPECT_EQ(memo[2], "0");
  EXPECT_EQ(info.GpuClock, "0 MHz");
  EXPECT_FALSE(info.HasAdapterClocks);
  display.escapeHandler = driver;

  // Each of these makes every reading 0, so nothing is listed.
  auto expectNoReadings = [&](const char* what) {
    rad.CollectAdapterClocks();
    EXPECT_TRUE(memo.Empty()) << what;
    EXPECT_FALSE(info.HasAdapterClocks) << what;
    EXPECT_EQ(ReadPerformanceClock(display, 1, ClockKind::Engine), 0u) << what;
  };
  clockResult = 0;
  expectNoReadings("escape returned 0");
  clockResult = -1;
  EXPECT_EQ(ReadPerformanceClock(display, 1, ClockKind::Memory), 300'000'000u);
  clockStatus = 5;
  expectNoReadings("status word 28 set");
  clockStatus = 0;
  display.deleteSucceeds = false;
  expectNoReadings("context not deleted");
  display.deleteSucceeds = true;
  display.unavailableContexts.insert("DISPLAY");
  expectNoReadings("no device context");
}

TEST_F(AdapterTest, CutBeforeBracket) {
  EXPECT_EQ(CutBeforeBracket("AGP 8x (fast)"), "AGP 8x ");
  EXPECT_EQ(CutBeforeBracket("(x)"), "");
  EXPECT_EQ(CutBeforeBracket("PCI Express x16"), "PCI Express x16");
  EXPECT_EQ(CutBeforeBracket(""), "");
}

}  // namespace
}  // namespace dx
