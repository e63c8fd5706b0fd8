#include "sysinfo/CpuInfo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "common/Numbers.h"
#include "common/Text.h"

namespace dx {
namespace {

std::string WordText(std::uint32_t word) {
  std::string text(4, '\0');
  for (int i = 0; i < 4; ++i) text[i] = static_cast<char>((word >> (8 * i)) & 0xFF);
  return text;
}

CpuVendor VendorOf(const std::string& id) {
  if (id == "GenuineIntel") return CpuVendor::Intel;
  if (id == "CyrixInstead") return CpuVendor::Cyrix;
  if (id == "AuthenticAMD") return CpuVendor::AMD;
  if (id == "GenuineTMx86") return CpuVendor::Transmeta;
  if (id == "CentaurHauls") return CpuVendor::Via;
  return CpuVendor::Unknown;
}

std::string WithNumber(const char* pattern, unsigned number) {
  return ReplaceAll(pattern, "%d", IntToStr(number));
}

// Second-level cache sizes (KB) of Intel's leaf-2 descriptors; 0x40 says "no L2".
std::uint32_t L2OfDescriptor(std::uint8_t descriptor) {
  switch (descriptor) {
    case 0x39: case 0x3B: case 0x41: case 0x79: return 128;
    case 0x3A: return 192;
    case 0x3C: case 0x42: case 0x7A: case 0x82: return 256;
    case 0x3D: return 384;
    case 0x3E: case 0x43: case 0x7B: case 0x7F: case 0x80: case 0x83: case 0x86: return 512;
    case 0x44: case 0x78: case 0x7C: case 0x84: case 0x87: return 1024;
    case 0x45: case 0x7D: case 0x85: return 2048;
    case 0x48: return 3072;
    case 0x49: return 4096;
    case 0x4E: return 6144;
    default: return 0;
  }
}

std::uint32_t L2OfDescriptors(platform::IProcessor& processor) {
  std::uint32_t l2 = 0;
  auto regs = processor.Cpuid(2);
  // The low byte of EAX says how often the leaf must be read; a sane processor says 1.
  const int rounds = std::clamp<int>(regs.eax & 0xFF, 1, 16);
  for (int round = 0; round < rounds; ++round) {
    if (round > 0) regs = processor.Cpuid(2);
    const std::array<std::uint32_t, 4> words{regs.eax, regs.ebx, regs.ecx, regs.edx};
    for (std::size_t w = 0; w < words.size(); ++w) {
      if (words[w] & 0x80000000u) continue;  // no descriptors in this register
      for (int b = (w == 0 ? 1 : 0); b < 4; ++b) {
        l2 = std::max(l2, L2OfDescriptor(static_cast<std::uint8_t>(words[w] >> (8 * b))));
      }
    }
  }
  return l2;
}

std::string IntelName(unsigned family, unsigned model, unsigned brand, std::uint32_t l2) {
  switch (family) {
    case 4:
      switch (model) {
        case 1: return "Intel 486DX Processor";
        case 2: return "Intel 486SX Processor";
        case 3: return "Intel DX2 Processor";
        case 5: return "Intel SX2 Processor";
        case 7: return "Write-Back Enhanced Intel DX2 Processor";
        case 8: return "Intel DX4 Processor";
        default: return "Intel 486 Processor";
      }
    case 5:
      return "Pentium";
    case 6:
      switch (model) {
        case 1: return "Pentium Pro";
        case 3: return "Pentium II";
        case 5:
          if (l2 == 0) return "Celeron";
          if (l2 == 1024 || l2 == 2048) return "Pentium II Xeon";
          return "Pentium II";
        case 6: return (l2 == 0 || l2 == 128) ? "Celeron" : "Pentium II";
        case 7: return (l2 == 1024 || l2 == 2048) ? "Pentium III Xeon" : "Pentium III";
        case 8:
          if (brand == 1) return "Celeron";
          if (brand == 3) return "Pentium III Xeon";
          return "Pentium III";
        case 10: return "Pentium III Xeon";
        case 11: return "Pentium III";
        default: return WithNumber("P6 (Model %d)", model);
      }
    case 15:
      if (brand == 1) return "Celeron";
      if (brand == 14) return "Xeon";
      return "Pentium 4";
    default:
      return WithNumber("P%d", family);
  }
}

std::string AmdName(unsigned family, unsigned model) {
  switch (family) {
    case 4:
      return "Am486(R) or Am5x86";
    case 5:
      if (model <= 3) return WithNumber("AMD-K5 (Model %d)", model);
      if (model == 6 || model == 7) return WithNumber("AMD-K6\xAE (Model %d)", model);
      if (model == 8) return "AMD-K6\xAE-2 (Model 8)";
      if (model == 9) return "AMD-K6\xAE-III (Model 9)";
      return WithNumber("Unknown AMD (Model %d)", model);
    case 6:
      if (model == 1 || model == 2 || model == 4) return WithNumber("AMD Athlon\x99 (Model %d)", model);
      if (model == 3 || model == 7) return WithNumber("AMD Duron\x99 (Model %d)", model);
      if (model == 6 || model == 8 || model == 10) return WithNumber("AMD Athlon\x99 XP (Model %d)", model);
      return WithNumber("Unknown AMD (Model %d)", model);
    case 8:
      return {};
    default:
      return "Unknown AMD Chip";
  }
}

std::string CyrixName(unsigned family, unsigned model) {
  switch (family) {
    case 4: return "Cyrix MediaGX";
    case 5:
      if (model == 2) return "Cyrix 6x86";
      if (model == 4) return "Cyrix GXm";
      return {};
    case 6: return "6x86MX";
    default: return WithNumber("%dx86", family);
  }
}

// Raises the thread to time-critical priority for one try and puts the previous level
// back however the try ends.
class TimeCriticalSection {
 public:
  explicit TimeCriticalSection(platform::IProcessor& processor) : processor_(processor) {
    previous_ = processor_.GetThreadPriority();
    if (previous_) processor_.SetThreadPriority(platform::kThreadPriorityTimeCritical);
  }
  ~TimeCriticalSection() {
    if (previous_) processor_.SetThreadPriority(*previous_);
  }
  TimeCriticalSection(const TimeCriticalSection&) = delete;
  TimeCriticalSection& operator=(const TimeCriticalSection&) = delete;

 private:
  platform::IProcessor& processor_;
  std::optional<int> previous_;
};

// Lengths of the classic 3.579545 MHz timer's 50 and 1000 counts (14 us and 279 us):
// long enough for a precise reading, short enough to hold the thread only briefly.
constexpr double kClassicCounterRate = 3579545.0;
constexpr double kClassicLeadIn = 50.0;
constexpr double kClassicWindow = 1000.0;
// A counter that stands still would hold the user-interface thread for ever; a window
// takes some ten thousand reads.
constexpr long kMaxReadsPerWindow = 2'000'000;

}  // namespace

MeasurementWindows WindowsFor(std::int64_t countsPerSecond) {
  const double scale = static_cast<double>(countsPerSecond) / kClassicCounterRate;
  return {std::max<std::int64_t>(1, RoundHalfEven(kClassicLeadIn * scale)),
          std::max<std::int64_t>(1, RoundHalfEven(kClassicWindow * scale))};
}

std::uint32_t NormaliseFrequency(std::uint32_t f) {
  static constexpr std::array<std::uint32_t, 9> kSteps{0, 20, 33, 50, 60, 66, 80, 90, 100};
  const std::uint32_t r = f % 100;
  std::size_t i = 1;
  while (kSteps[i] <= r) ++i;
  if (r - kSteps[i - 1] < kSteps[i] - r) return f - r + kSteps[i - 1];
  return f - r + kSteps[i];
}

ClockMeasurement MeasureClock(platform::IProcessor& processor) {
  ClockMeasurement result;
  const std::int64_t rate = processor.PerformanceFrequency();
  if (rate <= 0) return result;
  const MeasurementWindows windows = WindowsFor(rate);

  int n = 0;
  std::int64_t f1 = 0, f2 = 0, f3 = 0, s = 0;
  std::int64_t totalCycles = 0;
  double totalMicroseconds = 0;
  auto disagree = [&] {
    return std::llabs(3 * f1 - s) > 3 || std::llabs(3 * f2 - s) > 3 || std::llabs(3 * f3 - s) > 3;
  };
  while (n < 3 || (n < 20 && disagree())) {
    ++n;
    f3 = f2;
    f2 = f1;
    std::int64_t t0 = processor.PerformanceCounter();
    std::int64_t t1 = t0;
    std::uint64_t a = 0, b = 0;
    bool stalled = false;
    {
      TimeCriticalSection critical(processor);
      long reads = 0;
      while (t1 - t0 < windows.leadIn && !(stalled = ++reads > kMaxReadsPerWindow)) {
        t1 = processor.PerformanceCounter();
        a = processor.ReadTimeStamp();
      }
      t0 = t1;
      reads = 0;
      while (!stalled && t1 - t0 < windows.window && !(stalled = ++reads > kMaxReadsPerWindow)) {
        t1 = processor.PerformanceCounter();
        b = processor.ReadTimeStamp();
      }
    }
    if (stalled) return {};
    const auto cycles = static_cast<std::int64_t>(b - a);
    const double ticks = static_cast<double>(t1 - t0) * 100000.0 / (static_cast<double>(rate) / 10.0);
    totalMicroseconds += ticks;
    totalCycles += cycles;
    f1 = RoundHalfEven(static_cast<double>(cycles) / ticks);
    s = f1 + f2 + f3;
  }
  result.Tries = n;
  if (totalMicroseconds <= 0 || totalCycles <= 0) return result;

  const double cycles = static_cast<double>(totalCycles);
  result.ExactMhz = cycles / totalMicroseconds;
  const std::int64_t raw = RoundHalfEven(cycles / totalMicroseconds);
  std::int64_t tenths = RoundHalfEven(cycles * 10 / totalMicroseconds);
  const std::int64_t hundredths = RoundHalfEven(cycles * 100 / totalMicroseconds);
  if (hundredths - 10 * tenths >= 6) ++tenths;
  std::int64_t norm = raw;
  if (tenths - 10 * raw >= 6) ++norm;
  result.RawFreq = static_cast<std::uint32_t>(raw);
  result.NormFreq = NormaliseFrequency(static_cast<std::uint32_t>(norm));
  return result;
}

std::string NameWithoutBrandString(CpuVendor vendor, unsigned family, unsigned model, unsigned brandIndex,
                                   std::uint32_t l2CacheKb) {
  switch (vendor) {
    case CpuVendor::Intel: return IntelName(family, model, brandIndex, l2CacheKb);
    case CpuVendor::AMD: return AmdName(family, model);
    case CpuVendor::Cyrix: return CyrixName(family, model);
    case CpuVendor::Transmeta: return "Crusoe";
    case CpuVendor::Via: return "C3";
    case CpuVendor::Unknown: break;
  }
  return "Unknown";
}

CpuIdentification IdentifyProcessor(platform::IProcessor& processor, bool measureClock) {
  CpuIdentification id;
  if (!processor.HasCpuid()) {
    id.Name = "Unknown";
    return id;
  }
  id.HasInstruction = true;

  const auto leaf0 = processor.Cpuid(0);
  const std::uint32_t maxLeaf = leaf0.eax;
  id.VendorIDString = WordText(leaf0.ebx) + WordText(leaf0.edx) + WordText(leaf0.ecx);
  id.Vendor = VendorOf(id.VendorIDString);

  std::uint32_t maxExtended = 0;
  if (id.Vendor != CpuVendor::Unknown) {
    maxExtended = processor.Cpuid(0x80000000u).eax;
    switch (id.Vendor) {
      case CpuVendor::Intel:
        id.HasExtendedInfo = maxExtended >= 0x80000001u && (maxExtended & 0x80000000u);
        break;
      case CpuVendor::Transmeta:
        id.HasExtendedInfo = maxExtended != 0;
        break;
      default:
        id.HasExtendedInfo = maxExtended >= 0x80000001u;
        break;
    }
  }
  if (id.HasExtendedInfo) {
    std::string brand;
    for (std::uint32_t leaf = 0x80000002u; leaf <= 0x80000004u; ++leaf) {
      platform::CpuidRegisters regs;
      if (leaf <= maxExtended) regs = processor.Cpuid(leaf);
      brand += WordText(regs.eax) + WordText(regs.ebx) + WordText(regs.ecx) + WordText(regs.edx);
    }
    id.Name = brand.substr(0, brand.find('\0'));
    if (id.Vendor == CpuVendor::AMD || id.Vendor == CpuVendor::Cyrix) {
      const auto ext1 = processor.Cpuid(0x80000001u);
      id.Family = (ext1.eax >> 8) & 0xF;
      id.Model = (ext1.eax >> 4) & 0xF;
    }
  }

  if (maxLeaf >= 1) {
    const auto leaf1 = processor.Cpuid(1);
    id.Features = leaf1.edx;
    if (id.Vendor == CpuVendor::Intel || !id.HasExtendedInfo) {
      id.Family = (leaf1.eax >> 8) & 0xF;
      id.Model = (leaf1.eax >> 4) & 0xF;
    }
    id.BrandIndex = leaf1.ebx & 0xFF;
    if (id.Vendor == CpuVendor::Intel) {
      if (id.HasExtendedInfo && maxExtended >= 0x80000006u) {
        id.L2Cache = processor.Cpuid(0x80000006u).ecx >> 16;
      } else if (maxLeaf >= 2) {
        id.L2Cache = L2OfDescriptors(processor);
      }
    }
  }

  if (id.Vendor == CpuVendor::Unknown) {
    id.Name = "Unknown";
  } else if (!id.HasExtendedInfo) {
    id.Name = NameWithoutBrandString(id.Vendor, id.Family, id.Model, id.BrandIndex, id.L2Cache);
  }

  if (measureClock && (id.Features & 0x10)) {
    const auto clock = MeasureClock(processor);
    id.RawFreq = clock.RawFreq;
    id.NormFreq = clock.NormFreq;
  }
  return id;
}

}  // namespace dx
