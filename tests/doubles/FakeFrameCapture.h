#pragma once
// Frame-time sections whose contents the test sets: every created section reads back
// what `next` holds at the time of its creation; creation fails while failText is set.
#include <memory>
#include <string>
#include <vector>

#include "platform/FrameCapture.h"

namespace dx::test {

class FakeFrameCapture : public platform::IFrameCapture {
 public:
  platform::FrameStamps next{true, {}, {}, 10'000'000, false, true};
  std::string failText;
  std::vector<std::string> created;  // names, in order

  platform::FrameSectionResult CreateSection() override {
    if (!failText.empty()) return {nullptr, failText};
    created.push_back("Local\\DextrelFrames-fake" + std::to_string(created.size() + 1));
    return {std::make_unique<Section>(created.back(), next), {}};
  }

 private:
  class Section : public platform::IFrameSection {
   public:
    Section(std::string name, platform::FrameStamps stamps) : name_(std::move(name)), stamps_(std::move(stamps)) {}
    const std::string& Name() const override { return name_; }
    platform::FrameStamps Read() override { return stamps_; }

   private:
    std::string name_;
    platform::FrameStamps stamps_;
  };
};

}  // namespace dx::test
