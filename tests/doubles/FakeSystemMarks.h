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

  std::unique_ptr<platform::IHeldMark> TryTake(const std::string& name) override {
    if (!held.insert(name).second) return nullptr;
    ++taken;
    return std::make_unique<Mark>(held, name);
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
