#pragma once
// The user-interface thread of a test: waits are recorded, not slept.
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/UiThread.h"

namespace dx::test {

class FakeUiThread : public platform::IUiThread {
 public:
  std::vector<std::uint32_t> sleeps;
  int messagePumps = 0;
  // Runs at every Sleep, so a test can act "while the program waits".
  std::function<void(std::uint32_t)> onSleep;

  void Sleep(std::uint32_t ms) override {
    sleeps.push_back(ms);
    if (onSleep) onSleep(ms);
  }
  void ProcessMessages() override { ++messagePumps; }
  void Invoke(const std::function<void()>& call) override { call(); }
  std::uint64_t TotalSlept() const {
    std::uint64_t total = 0;
    for (auto ms : sleeps) total += ms;
    return total;
  }
};

}  // namespace dx::test
