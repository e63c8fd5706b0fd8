#pragma once
// What the update component needs of its front end: the question window, the download
// window, message boxes, and starting the upgrade helper. The windows call back into the
// component for their buttons (TSelfUpdater::FinishClicked, TSelfUpdater::CancelRequested).
#include <string>

#include "platform/Shell.h"

namespace dx {

class IUpdaterUi {
 public:
  virtual ~IUpdaterUi() = default;
  // The question window (modal) with its caption and text; true only for its Yes button.
  virtual bool AskUpgrade(const std::string& caption, const std::string& text) = 0;
  // The download window, shown without blocking.
  virtual void ShowDownloadWindow() = 0;
  // A new file: its URL (a hidden field) and "Downloading i of n"; time left reads
  // "Preparing. . ." again until the first progress.
  virtual void ShowFile(const std::string& url, const std::string& allDownloading) = 0;
  virtual void ShowFileSize(const std::string& text) = 0;
  virtual void ShowProgress(int currentFilePercent, int allFilesPercent, const std::string& transferRate,
                            const std::string& estimatedTime) = 0;
  // The completion state: the title, the note, only the OK button enabled.
  virtual void ShowCompleted(const std::string& title, const std::string& afterNote) = 0;
  virtual void CloseDownloadWindow() = 0;
  virtual platform::MessageResult ShowMessage(const std::string& text, const std::string& caption,
                                              platform::MessageButtons buttons, platform::MessageIcon icon) = 0;
};

// Starts a program the elevated program carries (the upgrade helper), shown normally: its
// bytes are written as fileName into a fresh folder that only administrators and the
// system can write, held there against writes until its process exists, and removed
// again afterwards.
class IProgramStarter {
 public:
  virtual ~IProgramStarter() = default;
  virtual bool StartProtected(const std::string& fileName, const std::string& bytes, const std::string& arguments) = 0;
};

}  // namespace dx
