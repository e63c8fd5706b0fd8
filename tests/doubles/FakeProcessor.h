#pragma once
// A processor whose CPUID answers, counters and memory the test sets. The counters
// advance by fixed steps per read, so a clock measurement gives a known result.
#include <cstdint>
#include <map>

#include "platform/Processor.h"

namespace dx::test {

class FakeProcessor : public platform::IProcessor {
 public:
  bool hasCpuid = true;
  std::map<std::uint32_t, platform::CpuidRegisters> leaves;
  std::uint64_t timeStamp = 0;
  std::uint64_t timeStampStep = 0;  // added at every read
  std::int64_t frequency = 10'000'000;
  std::int64_t counter = 0;
  std::int64_t counterStep = 0;  // added at every read
  platform::ThreadPriority priority = platform::ThreadPriority::Normal;
  int priorityChanges = 0;
  std::uint64_t memory = 2ull << 30;

  bool HasCpuid() override { return hasCpuid; }
  platform::CpuidRegisters Cpuid(std::uint32_t leaf) override {
    auto it = leaves.find(leaf);
    return it == leaves.end() ? platform::CpuidRegisters{} : it->second;
  }
  std::uint64_t ReadTimeStampCounter() override { return timeStamp += timeStampStep; }
  std::int64_t PerformanceFrequency() override { return frequency; }
  std::int64_t PerformanceCounter() override { return counter += counterStep; }
  platform::ThreadPriority GetThreadPriority() override { return priority; }
  void SetThreadPriority(platform::ThreadPriority p) override {
    priority = p;
    ++priorityChanges;
  }
  std::uint64_t TotalPhysicalMemory() override { return memory; }
};

}  // namespace dx::test
