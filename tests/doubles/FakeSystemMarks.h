#pragma once
// System-wide marks of a test: one set of names for every holder, so two forms on one
// double are two copies of the program on one machine, and a test can hold a name as
// a copy elsewhere would.
#include <memory>
#include <set>
#include <string>

#include "platform/SystemMarks.h"

namespace dx::test {

class FakeSystemMarks : public platform::ISystemMarks {
 public:
  std::set<std::string> held;
  int taken = 0;
  // Every attempt fails with this text while it is set, as a system that cannot make the mark.
  std::string failing;

  platform::MarkAttempt TryTake(const std::string& name) override {
    if (!failing.empty()) return {nullptr, true, failing};
    if (!held.insert(name).second) return {};
    ++taken;
    return {std::make_unique<Mark>(held, name), false, {}};
  }

 private:
  struct Mark : platform::IHeldMark {
    Mark(std::set<std::string>& s, std::string n) : set(s), name(std::move(n)) {}
    ~Mark() override { set.erase(name); }
    std::set<std::string>& set;
    std::string name;
  };
};

}  // namespace dx::test
