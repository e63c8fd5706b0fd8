#include "sysinfo/CpuInfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/doubles/FakeProcessor.h"

namespace dx {
namespace {

using platform::CpuidRegisters;

std::uint32_t Text4(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(at + i < s.size() ? s[at + i] : 0);
  return v;
}

// Leaves 0x80000002..4 carrying the brand text (NUL-padded to 48 bytes).
void SetBrand(test::FakeProcessor& cpu, const std::string& brand) {
  for (std::uint32_t k = 0; k < 3; ++k) {
    const std::size_t at = k * 16;
    cpu.leaves[0x80000002u + k] = {Text4(brand, at), Text4(brand, at + 4), Text4(brand, at + 8), Text4(brand, at + 12)};
  }
}

std::uint32_t Signature(unsigned family, unsigned model) { return (family << 8) | (model << 4) | 1; }

// A processor whose time-stamp counter runs at mhz[try] while the 10 MHz performance
// counter advances one count per read; a try begins when the thread is raised.
struct ClockedProcessor : test::FakeProcessor {
  std::vector<double> mhz;
  int tries = 0;
  int readsAtNormalPriority = 0;
  ClockedProcessor(std::vector<double> rates, int startLevel = platform::kThreadPriorityNormal)
      : mhz(std::move(rates)) {
    frequency = 10'000'000;
    counterStep = 1;
    priority = startLevel;
    onSetPriority = [this](int level) {
      if (level == platform::kThreadPriorityTimeCritical) ++tries;
    };
    timeStampOf = [this](std::int64_t count) {
      if (priority != platform::kThreadPriorityTimeCritical) ++readsAtNormalPriority;
      const double rate = mhz[std::min<std::size_t>(std::max(tries, 1) - 1, mhz.size() - 1)];
      // Cycles per count of a 10 MHz counter.
      return static_cast<std::uint64_t>(std::llround(static_cast<double>(count) * rate / 10.0));
    };
  }
};

TEST(ClockTest, NormalisesToCustomaryValues) {
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> cases = {
      {2394, 2390}, {2395, 2400}, {2396, 2400}, {1833, 1833}, {2666, 2666}, {2084, 2080}, {3199, 3200},
      {2005, 2000}, {2010, 2020}, {2000, 2000}, {2026, 2020}, {2027, 2033}, {2042, 2050}, {2062, 2060},
      {2063, 2066}, {2072, 2066}, {2073, 2080}, {2085, 2090}, {99, 100},    {0, 0}};
  for (auto [in, out] : cases) EXPECT_EQ(NormaliseFrequency(in), out) << in;
}

TEST(ClockTest, WindowsMatchTheClassicTimerAtAnyCounterRate) {
  EXPECT_EQ(WindowsFor(3'579'545).leadIn, 50);
  EXPECT_EQ(WindowsFor(3'579'545).window, 1000);
  // 10 MHz (today's Windows and wine): 14 us and 279 us as well.
  EXPECT_EQ(WindowsFor(10'000'000).leadIn, 140);
  EXPECT_EQ(WindowsFor(10'000'000).window, 2794);
  EXPECT_EQ(WindowsFor(1'193'182).window, 333);
  // A counter that runs at the processor's clock.
  EXPECT_EQ(WindowsFor(2'400'000'000).window, 670'476);
  // Never an empty window, however slow the counter.
  EXPECT_EQ(WindowsFor(1).leadIn, 1);
  EXPECT_EQ(WindowsFor(1).window, 1);
}

TEST(ClockTest, ThreeAgreeingTriesEndTheMeasurement) {
  ClockedProcessor cpu({2401, 2399, 2400, 1000});
  const auto clock = MeasureClock(cpu);
  EXPECT_EQ(clock.Tries, 3);
  EXPECT_EQ(clock.RawFreq, 2400u);
  EXPECT_EQ(clock.NormFreq, 2400u);
  // Time-critical only while spinning, the earlier level back after every try.
  EXPECT_EQ(cpu.prioritySets, (std::vector<int>{15, 0, 15, 0, 15, 0}));
  EXPECT_EQ(cpu.readsAtNormalPriority, 0);
  EXPECT_EQ(cpu.priority, platform::kThreadPriorityNormal);
}

TEST(ClockTest, DisagreeingTriesGoOnUntilThreeAgreeOrTwentyTries) {
  {
    ClockedProcessor cpu({2400, 2410, 2380, 2400, 2401, 2399});
    const auto clock = MeasureClock(cpu);
    EXPECT_EQ(clock.Tries, 6);
    // The totals of all tries: (2400 + 2410 + 2380 + 2400 + 2401 + 2399) / 6 = 2398.33.
    EXPECT_EQ(clock.RawFreq, 2398u);
    EXPECT_EQ(clock.NormFreq, 2400u);
  }
  {
    // 2402, 2399, 2400: |3 * 2402 - 7201| = 5 exceeds 3.
    ClockedProcessor cpu({2402, 2399, 2400, 2400});
    EXPECT_EQ(MeasureClock(cpu).Tries, 4);
  }
  {
    std::vector<double> jumpy;
    for (int i = 0; i < 30; ++i) jumpy.push_back(i % 2 ? 2300 : 2500);
    ClockedProcessor cpu(jumpy, 2);
    const auto clock = MeasureClock(cpu);
    EXPECT_EQ(clock.Tries, 20);
    EXPECT_EQ(clock.RawFreq, 2400u);
    EXPECT_EQ(cpu.priority, 2);  // an above-normal thread gets its own level back
  }
}

TEST(ClockTest, RoundingOfTheMeasuredClock) {
  {
    ClockedProcessor cpu({2394.6, 2394.6, 2394.6});
    const auto clock = MeasureClock(cpu);
    EXPECT_NEAR(clock.ExactMhz, 2394.6, 0.01);
    EXPECT_EQ(clock.RawFreq, 2395u);
    EXPECT_EQ(clock.NormFreq, 2400u);  // a tie between 2390 and 2400 goes up
  }
  {
    ClockedProcessor cpu({2393.8, 2393.8, 2393.8});
    const auto clock = MeasureClock(cpu);
    EXPECT_EQ(clock.RawFreq, 2394u);
    EXPECT_EQ(clock.NormFreq, 2390u);
  }
  {
    ClockedProcessor cpu({1833.2, 1833.3, 1833.2});
    EXPECT_EQ(MeasureClock(cpu).NormFreq, 1833u);
  }
}

TEST(ClockTest, NoCounterOrAStandingCounterGivesNoClock) {
  ClockedProcessor noCounter({2400});
  noCounter.frequency = 0;
  EXPECT_EQ(MeasureClock(noCounter).RawFreq, 0u);
  EXPECT_TRUE(noCounter.prioritySets.empty());

  ClockedProcessor standing({2400});
  standing.counterStep = 0;
  const auto clock = MeasureClock(standing);
  EXPECT_EQ(clock.RawFreq, 0u);
  EXPECT_EQ(clock.NormFreq, 0u);
  EXPECT_EQ(standing.priority, platform::kThreadPriorityNormal);

  // A priority that cannot be read is left alone; the clock is measured all the same.
  ClockedProcessor unreadable({2000, 2000, 2000});
  unreadable.priority = std::nullopt;
  unreadable.onSetPriority = nullptr;
  EXPECT_EQ(MeasureClock(unreadable).NormFreq, 2000u);
  EXPECT_TRUE(unreadable.prioritySets.empty());
}

class IdentifyTest : public ::testing::Test {
 protected:
  ClockedProcessor cpu{{2400, 2400, 2400}};

  void Intel(unsigned family, unsigned model, unsigned brandIndex = 0, std::uint32_t descriptors = 0) {
    cpu.SetVendor("GenuineIntel", 2);
    cpu.leaves[1] = {Signature(family, model), brandIndex, 0, 0x10};
    cpu.leaves[2] = {0x01 | (descriptors << 8), 0, 0, 0};
  }
};

TEST_F(IdentifyTest, BrandStringKeepsItsLeadingBlanks) {
  cpu.SetVendor("GenuineIntel", 5);
  cpu.leaves[0x80000000u] = {0x80000008u, 0, 0, 0};
  SetBrand(cpu, "              Intel(R) Pentium(R) 4 CPU 3.00GHz");
  cpu.leaves[1] = {Signature(15, 3), 0, 0, 0x178BFBFF};
  const auto id = IdentifyProcessor(cpu);
  EXPECT_TRUE(id.HasInstruction);
  EXPECT_TRUE(id.HasExtendedInfo);
  EXPECT_EQ(id.Vendor, CpuVendor::Intel);
  EXPECT_EQ(id.VendorIDString, "GenuineIntel");
  EXPECT_EQ(id.Name, "              Intel(R) Pentium(R) 4 CPU 3.00GHz");
  EXPECT_EQ(id.Family, 15);
  EXPECT_EQ(id.NormFreq, 2400u);

  // A brand string that fills all 48 bytes has no NUL: all of it is the name.
  const std::string full = "AMD Athlon(tm) 64 X2 Dual Core Processor 4800+ZZ";
  ASSERT_EQ(full.size(), 48u);
  SetBrand(cpu, full);
  EXPECT_EQ(IdentifyProcessor(cpu, false).Name, full);
}

TEST_F(IdentifyTest, ExtendedLeavesAsFarAsTheProcessorReports) {
  // AMD: family and model come from the extended leaf 1.
  cpu.SetVendor("AuthenticAMD", 1);
  cpu.leaves[0x80000000u] = {0x80000003u, 0, 0, 0};
  cpu.leaves[0x80000001u] = {Signature(6, 10), 0, 0, 0};
  cpu.leaves[1] = {Signature(15, 1), 0, 0, 0x10};
  SetBrand(cpu, "AMD Athlon(tm) XP 3200+ with a name longer than 32");
  auto id = IdentifyProcessor(cpu, false);
  EXPECT_EQ(id.Name, "AMD Athlon(tm) XP 3200+ with a n");  // leaf 0x80000004 is beyond its reach
  EXPECT_EQ(id.Family, 6);
  EXPECT_EQ(id.Model, 10);
  EXPECT_EQ(id.RawFreq, 0u);  // not asked to measure

  // Transmeta counts any extended maximum; with none it takes the table's name.
  cpu.leaves.clear();
  cpu.SetVendor("GenuineTMx86", 1);
  cpu.leaves[1] = {Signature(5, 4), 0, 0, 0};
  cpu.leaves[0x80000000u] = {0x80000006u, 0, 0, 0};
  SetBrand(cpu, "Transmeta(tm) Crusoe(tm) Processor TM5800");
  EXPECT_EQ(IdentifyProcessor(cpu).Name, "Transmeta(tm) Crusoe(tm) Processor TM5800");
  cpu.leaves[0x80000000u] = {0, 0, 0, 0};
  EXPECT_EQ(IdentifyProcessor(cpu).Name, "Crusoe");

  // Via below the first extended leaf has no extended information.
  cpu.leaves.clear();
  cpu.SetVendor("CentaurHauls", 1);
  cpu.leaves[0x80000000u] = {0x80000000u, 0, 0, 0};
  SetBrand(cpu, "VIA Nehemiah");
  EXPECT_FALSE(IdentifyProcessor(cpu).HasExtendedInfo);
  EXPECT_EQ(IdentifyProcessor(cpu).Name, "C3");
}

TEST_F(IdentifyTest, UnknownVendorAndMissingInstruction) {
  cpu.SetVendor("SiS SiS SiS ", 1);
  cpu.leaves[1] = {Signature(5, 0), 0, 0, 0x10};
  cpu.leaves[0x80000000u] = {0x80000004u, 0, 0, 0};
  SetBrand(cpu, "Should not be read");
  auto id = IdentifyProcessor(cpu);
  EXPECT_EQ(id.Name, "Unknown");
  EXPECT_EQ(id.Vendor, CpuVendor::Unknown);
  EXPECT_EQ(id.NormFreq, 2400u);  // the clock is still measured
  for (auto leaf : cpu.cpuidCalls) EXPECT_LT(leaf, 0x80000000u);

  // Without a time-stamp counter there is nothing to measure.
  cpu.leaves[1].edx = 0;
  cpu.tries = 0;
  id = IdentifyProcessor(cpu);
  EXPECT_EQ(id.RawFreq, 0u);
  EXPECT_EQ(cpu.tries, 0);

  test::FakeProcessor none;
  none.hasCpuid = false;
  id = IdentifyProcessor(none);
  EXPECT_FALSE(id.HasInstruction);
  EXPECT_EQ(id.Name, "Unknown");
  EXPECT_TRUE(none.cpuidCalls.empty());
  EXPECT_EQ(id.NormFreq, 0u);
}

TEST_F(IdentifyTest, IntelWithoutBrandStringByFamilyModelBrandAndCache) {
  Intel(6, 8, 1);
  EXPECT_EQ(IdentifyProcessor(cpu, false).Name, "Celeron");
  Intel(6, 8, 3);
  EXPECT_EQ(IdentifyProcessor(cpu, false).Name, "Pentium III Xeon");
  // Second-level cache sizes from the leaf-2 descriptors.
  Intel(6, 7, 0, 0x44);  // 1 MB
  EXPECT_EQ(IdentifyProcessor(cpu, false).L2Cache, 1024u);
  EXPECT_EQ(IdentifyProcessor(cpu, false).Name, "Pentium III Xeon");
  Intel(6, 7, 0, 0x43);  // 512 KB
  EXPECT_EQ(IdentifyProcessor(cpu, false).Name, "Pentium III");
  Intel(6, 6, 0, 0x41);  // 128 KB
  EXPECT_EQ(IdentifyProcessor(cpu, false).Name, "Celeron");
  Intel(6, 6, 0, 0x42);
  EXPECT_EQ(IdentifyProcessor(cpu, false).Name, "Pentium II");
  Intel(6, 5, 0, 0x40);  // no second-level cache
  EXPECT_EQ(IdentifyProcessor(cpu, false).Name, "Celeron");
  Intel(6, 5, 0, 0x45);
  EXPECT_EQ(IdentifyProcessor(cpu, false).Name, "Pentium II Xeon");
  // A register with bit 31 set carries no descriptors.
  cpu.leaves[2] = {0x01, 0x80000045u, 0, 0};
  EXPECT_EQ(IdentifyProcessor(cpu, false).L2Cache, 0u);
}

// The rows whose choice depends on more than vendor and family, and the numbered names.
TEST(CpuNamesTest, TableForProcessorsWithoutBrandString) {
  using V = CpuVendor;
  struct Row {
    V vendor;
    unsigned family, model, brand, l2;
    const char* name;
  };
  const Row rows[] = {
      {V::Intel, 4, 7, 0, 0, "Write-Back Enhanced Intel DX2 Processor"},
      {V::Intel, 4, 4, 0, 0, "Intel 486 Processor"},
      {V::Intel, 6, 5, 0, 0, "Celeron"},
      {V::Intel, 6, 5, 0, 2048, "Pentium II Xeon"},
      {V::Intel, 6, 5, 0, 512, "Pentium II"},
      {V::Intel, 6, 6, 0, 0, "Celeron"},
      {V::Intel, 6, 6, 0, 256, "Pentium II"},
      {V::Intel, 6, 7, 0, 2048, "Pentium III Xeon"},
      {V::Intel, 6, 7, 0, 256, "Pentium III"},
      {V::Intel, 6, 8, 2, 256, "Pentium III"},
      {V::Intel, 6, 10, 0, 0, "Pentium III Xeon"},
      {V::Intel, 6, 13, 0, 0, "P6 (Model 13)"},
      {V::Intel, 15, 2, 1, 0, "Celeron"},
      {V::Intel, 15, 2, 14, 0, "Xeon"},
      {V::Intel, 15, 2, 9, 0, "Pentium 4"},
      {V::Intel, 7, 0, 0, 0, "P7"},
      {V::AMD, 4, 3, 0, 0, "Am486(R) or Am5x86"},
      {V::AMD, 5, 3, 0, 0, "AMD-K5 (Model 3)"},
      {V::AMD, 5, 7, 0, 0, "AMD-K6\xAE (Model 7)"},
      {V::AMD, 5, 8, 0, 0, "AMD-K6\xAE-2 (Model 8)"},
      {V::AMD, 5, 9, 0, 0, "AMD-K6\xAE-III (Model 9)"},
      {V::AMD, 5, 13, 0, 0, "Unknown AMD (Model 13)"},
      {V::AMD, 6, 4, 0, 0, "AMD Athlon\x99 (Model 4)"},
      {V::AMD, 6, 7, 0, 0, "AMD Duron\x99 (Model 7)"},
      {V::AMD, 6, 10, 0, 0, "AMD Athlon\x99 XP (Model 10)"},
      {V::AMD, 6, 5, 0, 0, "Unknown AMD (Model 5)"},
      {V::AMD, 8, 0, 0, 0, ""},
      {V::AMD, 15, 0, 0, 0, "Unknown AMD Chip"},
      {V::Cyrix, 4, 0, 0, 0, "Cyrix MediaGX"},
      {V::Cyrix, 5, 4, 0, 0, "Cyrix GXm"},
      {V::Cyrix, 5, 3, 0, 0, ""},
      {V::Cyrix, 7, 0, 0, 0, "7x86"},
      {V::Transmeta, 5, 4, 0, 0, "Crusoe"},
      {V::Via, 6, 9, 0, 0, "C3"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(NameWithoutBrandString(r.vendor, r.family, r.model, r.brand, r.l2), r.name)
        << int(r.vendor) << " " << r.family << " " << r.model;
  }
  // The registered and trade mark signs are single bytes of the Western code page.
  EXPECT_EQ(NameWithoutBrandString(V::AMD, 5, 6, 0, 0).at(6), '\xAE');
  EXPECT_EQ(NameWithoutBrandString(V::AMD, 6, 1, 0, 0).at(10), '\x99');
}

}  // namespace
}  // namespace dx
