#pragma once
#include "platform/FrameCapture.h"

namespace dx::win32 {

// Sections backed by the paging file under "Local\DextrelFrames-<random>", open for writing
// to this user, the system and the Administrators only.
class Win32FrameCapture : public platform::IFrameCapture {
 public:
  platform::FrameSectionResult CreateSection() override;
};

}  // namespace dx::win32
