#pragma once
// Steps that must all run even when one of them throws: the first failure is kept and
// raised once the rest has run.
#include <exception>
#include <utility>

namespace dx {

class FirstError {
 public:
  template <class Step>
  void Run(Step&& step) {
    try {
      std::forward<Step>(step)();
    } catch (...) {
      if (!error_) error_ = std::current_exception();
    }
  }

  void RethrowIfAny() {
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
  }

 private:
  std::exception_ptr error_;
};

}  // namespace dx
