#pragma once
// A processor whose CPUID answers, counters and memory the test sets. The counters
// advance by fixed steps per read, so a clock measurement gives a known result; a test
// that needs the time-stamp counter to follow the performance counter at a rate of its
// choosing sets timeStampOf.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/Processor.h"

namespace dx::test {

class FakeProcessor : public platform::IProcessor {
 public:
  bool hasCpuid = true;
  std::map<std::uint32_t, platform::CpuidRegisters> leaves;
  std::vector<std::uint32_t> cpuidCalls;
  std::uint64_t timeStamp = 0;
  std::uint64_t timeStampStep = 0;  // added at every read
  // When set, a read of the time-stamp counter returns timeStampOf(current counter).
  std::function<std::uint64_t(std::int64_t counter)> timeStampOf;
  std::int64_t frequency = 10'000'000;
  std::int64_t counter = 0;
  std::int64_t counterStep = 0;  // added at every read
  std::optional<int> priority = platform::kThreadPriorityNormal;  // nothing: the read fails
  std::vector<int> prioritySets;
  std::function<void(int level)> onSetPriority;
  std::uint64_t memory = 2ull << 30;

  // Leaf 0 with the vendor's 12 characters in EBX, EDX, ECX.
  void SetVendor(const char (&vendor)[13], std::uint32_t maxLeaf) {
    auto word = [&](int at) {
      return std::uint32_t(std::uint8_t(vendor[at])) | std::uint32_t(std::uint8_t(vendor[at + 1])) << 8 |
             std::uint32_t(std::uint8_t(vendor[at + 2])) << 16 | std::uint32_t(std::uint8_t(vendor[at + 3])) << 24;
    };
    leaves[0] = {maxLeaf, word(0), word(8), word(4)};
  }

  bool HasCpuid() override { return hasCpuid; }
  platform::CpuidRegisters Cpuid(std::uint32_t leaf) override {
    cpuidCalls.push_back(leaf);
    auto it = leaves.find(leaf);
    return it == leaves.end() ? platform::CpuidRegisters{} : it->second;
  }
  std::uint64_t ReadTimeStamp() override {
    if (timeStampOf) return timeStampOf(counter);
    return timeStamp += timeStampStep;
  }
  std::int64_t PerformanceFrequency() override { return frequency; }
  std::int64_t PerformanceCounter() override { return counter += counterStep; }
  std::optional<int> GetThreadPriority() override { return priority; }
  bool SetThreadPriority(int level) override {
    prioritySets.push_back(level);
    priority = level;
    if (onSetPriority) onSetPriority(level);
    return true;
  }
  std::uint64_t TotalPhysicalMemory() override { return memory; }
};

}  // namespace dx::test
