#pragma once
// TSelfUpdater: asks the maker's server for a newer version, downloads the files it lists
// into the program's folder as ".uTMP" files and hands over to the upgrade helper, which
// installs them once the program has ended. Every listed file must arrive whole and match
// its digest, or nothing is handed over.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "extras/HttpTransfer.h"
#include "extras/UpdateInfo.h"
#include "extras/UpdateSignature.h"
#include "extras/UpdaterUi.h"
#include "platform/Platform.h"

namespace dx {

enum TUpdaterMessage : unsigned {
  mAskUpgrade = 1u << 0,
  mConnLost = 1u << 1,
  mHostUnreachable = 1u << 2,
  mLostFile = 1u << 3,
  mNoUpdateAvailable = 1u << 4,
};

inline constexpr const char* kUpgradeHelperName = "DextrelUpgrade.exe";
inline constexpr const char* kUpdateCaption = "Application update wizard";
// The helper's arguments, as the upgrade helper reads them: each names its value in
// hexadecimal, so that no path, blank, quote or "+" can be taken for another argument.
inline constexpr const char* kHelperDigestArgument = "/sha256=";  // <digest>:<hex of the ".uTMP" name>
inline constexpr const char* kHelperProgramArgument = "/program=";
inline constexpr const char* kHelperRestartArgument = "/restart=";
inline constexpr const char* kHelperSetupArgument = "/setup=";

class TSelfUpdater : public THttpTransfer {
 public:
  // programPath: the program's own executable.
  TSelfUpdater(platform::Platform& platform, IProgramStarter& starter, IUpdaterUi& ui, std::string programPath);

  std::string InfoFileURL;
  // The program's own version ("a.b.c.d", from its version resource); with any other
  // text no version counts as newer.
  std::string VersionNumber;
  unsigned ShowMessages = mAskUpgrade | mConnLost | mHostUnreachable | mLostFile | mNoUpdateAvailable;
  std::string RestartParams = "/afterupgrade";
  // The maker's key and the system's verifier: an information file they do not vouch for
  // is never acted on.
  UpdateTrust Trust;
  // The upgrade helper's executable bytes, asked for at the hand-over.
  std::function<std::string()> HelperBytes;
  // The highest serial of any verified information file this machine has seen, kept by
  // the program; an information file with a lower one is a replay and refused.
  std::function<std::uint64_t()> ReadSeenSerial;
  std::function<void(std::uint64_t)> WriteSeenSerial;

  std::function<void()> OnLaterUpgrade;
  std::function<void()> OnAborted;
  std::function<void(const std::string& url, const std::string& host)> OnHostUnreachable;
  // Closes the main window through its normal exit path after the helper was started.
  std::function<void()> CloseMainWindow;

  // Ignored while a transfer runs or the download window is open.
  void CheckUpdate();
  // The download window's buttons: OK in the completion state, and cancel or the close
  // box (asks first; true when the window is to close).
  void FinishClicked();
  bool CancelRequested();
  void Abort();
  // The program is ending while the download window shows the completion state: the
  // update is handed over all the same (the main window is closing already).
  void ApplicationTerminating();

  const std::vector<UpdateFileEntry>& UpdateFileList() const { return files_; }
  bool Checking() const { return checking_; }
  bool Aborted() const { return aborted_; }
  TUpgradeMethod Method() const { return method_; }
  const std::string& ProgramDir() const { return programDir_; }
  // The program's file name without its extension.
  const std::string& ApplicationTitle() const { return title_; }
  // The helper's arguments for the current method, with the downloaded files it may
  // install and their digests.
  std::string HelperArguments() const;

 private:
  void InfoReceived(const std::string& text);
  void StartDownloads();
  void DownloadCurrent();
  void FileDone();
  // Whether the verified information file is no replay of an older one and not expired;
  // shows why not.
  bool IsCurrent(const UpdateInfo& info);
  // A listed file that could not be had: the whole update ends and nothing stays.
  void FileFailed(const std::string& text, const std::string& caption);
  void RefuseInfo(const char* text);
  void EndAfterFailure();
  void HandOver(bool closeMainWindow);
  std::string CurrentUrl() const;

  platform::IFileSystem& fileSystem_;
  platform::IShell& shell_;
  IProgramStarter& starter_;
  IUpdaterUi& ui_window_;
  std::string programPath_, programDir_, title_;

  std::vector<UpdateFileEntry> files_;
  // Downloaded files whose digest matched, by ".uTMP" name, with that digest.
  std::vector<std::pair<std::string, std::string>> handedOver_;
  std::size_t index_ = 0;
  bool checking_ = false;
  bool aborted_ = false;
  bool windowOpen_ = false;
  bool completed_ = false;
  TUpgradeMethod method_ = umSelfUpgrade;
  std::string releaseNotes_;
  unsigned plainCacheOptions_ = 0;
  std::optional<platform::DateTime> lastModified_;
};

}  // namespace dx
