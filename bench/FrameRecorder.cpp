#include "bench/FrameRecorder.h"

#include "gameprep/CaptureLibrary.h"
#include "platform/FrameSection.h"

namespace dx {

void FrameRecorder::Begin(bool requested, platform::IFrameCapture* capture, platform::IFileSystem& files,
                          const std::string& gameExePath, const std::string& programFolder) {
  recording_ = {requested, {}};
  capture_ = capture;
  libraryPath_.clear();
  section_.reset();
  if (!requested) return;
  if (!capture) {
    recording_.unavailableReason = "this program cannot capture frames here";
    return;
  }
  const auto choice = ChooseCaptureLibrary(files, gameExePath, programFolder);
  if (choice.path.empty()) {
    recording_.unavailableReason = choice.reason;
    return;
  }
  libraryPath_ = choice.path;
}

std::string FrameRecorder::CommandLineTail() const {
  return recording_.Recorded() ? " +set r_glDriver \"" + libraryPath_ + "\"" : std::string();
}

std::vector<std::string> FrameRecorder::PrepareRun() {
  section_.reset();
  sectionError_.clear();
  if (!recording_.Recorded()) return {};
  auto created = capture_->CreateSection();
  if (!created.section) {
    sectionError_ = created.errorText.empty() ? std::string("the system gave no reason") : created.errorText;
    return {};
  }
  section_ = std::move(created.section);
  return {std::string(platform::kFrameSectionVariable) + "=" + section_->Name()};
}

void FrameRecorder::FinishRun(RecordedRun& run, std::uint32_t processId) {
  auto section = std::move(section_);
  if (!recording_.Recorded() || !run.score) return;
  auto unreliable = [&](const std::string& why) {
    RunFrameTimes none;
    none.reliable = false;
    none.unreliableReason = why;
    none.processId = processId;
    run.frameTimes = std::move(none);
  };
  if (!section) return unreliable("the capture section could not be made: " + sectionError_);
  auto read = section->Read();
  if (!read.ok) return unreliable("the capture section could not be read: " + read.errorText);
  if (!read.redirected || read.frequency <= 0) {
    return unreliable("the capture library did not take over the game's SwapBuffers");
  }
  FrameCapture capture{std::move(read.stamps), read.frequency, read.overflow};
  auto frames = DemoFramesOfPrinted(capture, run.frames, run.rateText);
  if (!frames) return unreliable("the game printed no frame count");
  frames->processId = processId;
  run.frameTimes = std::move(*frames);
}

}  // namespace dx
