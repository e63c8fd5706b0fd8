#pragma once
// A user-interface thread for components with worker threads: calls handed over by
// another thread wait in a queue until the test's own thread pumps them, and the caller
// blocks until its call has run, as with a sent window message.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/UiThread.h"

namespace dx::test {

class PumpedUiThread : public platform::IUiThread {
 public:
  PumpedUiThread() : owner_(std::this_thread::get_id()) {}

  void Sleep(std::uint32_t) override {}
  void ProcessMessages() override { RunPending(); }
  void Invoke(const std::function<void()>& call) override {
    if (std::this_thread::get_id() == owner_) {
      call();
      return;
    }
    Item item{&call};
    std::unique_lock lock(mutex_);
    queue_.push_back(&item);
    changed_.notify_all();
    changed_.wait(lock, [&] { return item.done; });
  }

  // Pumps until done() holds or the time is up; false on time-out. An error raised by a
  // handed-over call reaches the test here, after its caller was released.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
      RunPending();
      if (done()) return true;
      std::unique_lock lock(mutex_);
      if (std::chrono::steady_clock::now() >= deadline) return false;
      changed_.wait_for(lock, std::chrono::milliseconds(5), [&] { return !queue_.empty(); });
    }
  }
  int calls() const { return calls_; }

 private:
  struct Item {
    const std::function<void()>* call;
    bool done = false;
  };
  void RunPending() {
    for (;;) {
      Item* item = nullptr;
      {
        std::lock_guard lock(mutex_);
        if (queue_.empty()) return;
        item = queue_.front();
        queue_.pop_front();
      }
      std::exception_ptr error;
      try {
        ++calls_;
        (*item->call)();
      } catch (...) {
        error = std::current_exception();
      }
      {
        std::lock_guard lock(mutex_);
        item->done = true;
      }
      changed_.notify_all();
      if (error) std::rethrow_exception(error);
    }
  }

  std::thread::id owner_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Item*> queue_;
  int calls_ = 0;
};

}  // namespace dx::test
