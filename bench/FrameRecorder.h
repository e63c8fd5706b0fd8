#pragma once
// One benchmark's frame-time recording: the capture library chosen once at its start, a
// fresh section before each game run, the run's frames read out once the game has ended.
// Asked for but impossible, the benchmark runs exactly as without it and says why.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchmarkRecord.h"
#include "platform/FileSystem.h"
#include "platform/FrameCapture.h"

namespace dx {

class FrameRecorder {
 public:
  // requested: the tick box or /frametimes; capture may be null where the front end has none.
  void Begin(bool requested, platform::IFrameCapture* capture, platform::IFileSystem& files,
             const std::string& gameExePath, const std::string& programFolder);
  const FrameTimeRecording& Recording() const { return recording_; }

  // What every game command line gets at its end; empty when nothing is recorded.
  std::string CommandLineTail() const;
  // Before a run: a fresh section, named to the game in the lines returned (empty when
  // nothing is recorded or the section could not be made).
  std::vector<std::string> PrepareRun();
  // After the game has ended: the frames of a scored run, read from its section.
  void FinishRun(RecordedRun& run, std::uint32_t processId);

 private:
  FrameTimeRecording recording_;
  platform::IFrameCapture* capture_ = nullptr;
  std::string libraryPath_;
  std::unique_ptr<platform::IFrameSection> section_;
  std::string sectionError_;
};

}  // namespace dx
