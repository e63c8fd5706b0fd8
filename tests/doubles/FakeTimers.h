#pragma once
// Timers a test lets elapse when it wants: started ones are kept, a stopped one never fires.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "bench/BenchmarkHost.h"

namespace dx::test {

class FakeTimers {
 public:
  struct Timer {
    std::uint32_t milliseconds;
    std::function<void()> onElapsed;
    bool running = true;
  };
  std::vector<std::shared_ptr<Timer>> timers;

  std::unique_ptr<IHostTimer> Start(std::uint32_t milliseconds, std::function<void()> onElapsed) {
    auto timer = std::make_shared<Timer>(Timer{milliseconds, std::move(onElapsed)});
    timers.push_back(timer);
    return std::make_unique<Handle>(timer);
  }
  // The timers still running, as if their time had passed.
  void ElapseTimers() {
    for (auto timer : std::vector<std::shared_ptr<Timer>>(timers)) {
      if (!timer->running) continue;
      timer->running = false;
      timer->onElapsed();
    }
  }
  int RunningTimers() const {
    int n = 0;
    for (const auto& t : timers) n += t->running;
    return n;
  }

 private:
  struct Handle : IHostTimer {
    explicit Handle(std::shared_ptr<Timer> t) : timer(std::move(t)) {}
    ~Handle() override { timer->running = false; }
    std::shared_ptr<Timer> timer;
  };
};

}  // namespace dx::test
