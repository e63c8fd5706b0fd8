#pragma once
// Processor identification through CPUID and the clock measured against the
// performance counter.
#include <cstdint>
#include <string>

#include "platform/Processor.h"

namespace dx {

enum class CpuVendor { Unknown, Intel, Cyrix, AMD, Transmeta, Via };

struct CpuIdentification {
  bool HasInstruction = false;
  bool HasExtendedInfo = false;
  CpuVendor Vendor = CpuVendor::Unknown;
  std::uint8_t Family = 0;
  std::uint8_t Model = 0;
  std::uint8_t BrandIndex = 0;
  std::uint32_t L2Cache = 0;  // KB
  std::uint32_t Features = 0;
  std::string VendorIDString;  // 12 characters
  std::string Name;            // up to its first NUL, at most 48 characters, not trimmed
  std::uint32_t RawFreq = 0;   // MHz, 0 when not measured
  std::uint32_t NormFreq = 0;  // MHz, 0 when not measured
};

struct ClockMeasurement {
  std::uint32_t RawFreq = 0;
  std::uint32_t NormFreq = 0;
  double ExactMhz = 0;  // the totals' quotient before any rounding
  int Tries = 0;
};

// The lead-in and the measuring window of one try, in counts of a performance counter
// running at countsPerSecond.
struct MeasurementWindows {
  std::int64_t leadIn = 0;
  std::int64_t window = 0;
};
MeasurementWindows WindowsFor(std::int64_t countsPerSecond);

// Tries until three agree within 3 MHz (at most 20); frequencies 0 when the platform
// has no performance counter or the counter stands still.
ClockMeasurement MeasureClock(platform::IProcessor& processor);

// The customary value nearest to a frequency in MHz (…90, …00, …20, …33, …50, …60, …66, …80).
std::uint32_t NormaliseFrequency(std::uint32_t mhz);

// The name of a processor that reports no brand string.
std::string NameWithoutBrandString(CpuVendor vendor, unsigned family, unsigned model, unsigned brandIndex,
                                   std::uint32_t l2CacheKb);

// A complete identification, the clock measurement included when the processor has a
// time-stamp counter and measureClock is set.
CpuIdentification IdentifyProcessor(platform::IProcessor& processor, bool measureClock = true);

}  // namespace dx
