#include "extras/SelfUpdater.h"

#include <cstdio>

#include "common/Errors.h"
#include "common/HexText.h"
#include "common/Numbers.h"
#include "common/Sha256.h"
#include "common/Text.h"
#include "extras/HttpDate.h"
#include "platform/Paths.h"

namespace dx {
namespace {

constexpr const char* kCompletedNote =
    "The update of %s has been successfully completed.\r\rPress the OK button to restart program.";
constexpr const char* kAskText =
    "A newer version of %s was released.\n%s\nDo you want to update your version with the latest one?";
constexpr const char* kNoUpdateText =
    "Newer version not found. You actually are\rusing most recent version of this program.";
constexpr const char* kHostUnreachableText =
    "Host %s unreachable.\r\rPlease check your Internet connection and\rtry to upgrade this software again later.";
constexpr const char* kCancelText = "The update is not completed.\rWould you like to abort upgrading?";
constexpr const char* kLostFileText = "File %s not found or inaccessible.\r\rNothing was installed.";
constexpr const char* kFileTooLargeText =
    "File %s is larger than the update information allows.\r\rNothing was installed.";
constexpr const char* kConnectionLostText =
    "Connection with remote server lost.\r\rPlease restore connection and try to\rupgrade this software again later.";
constexpr const char* kCannotCreateText = "Cannot create file \"%s\". %s";
constexpr const char* kUnverifiedText = "The update information could not be verified. Nothing was downloaded.";
constexpr const char* kReplayedText = "The update information is older than one seen before. Nothing was downloaded.";
constexpr const char* kExpiredText = "The update information has expired. Nothing was downloaded.";
constexpr const char* kInfoTooLargeText = "The update information is too large. Nothing was downloaded.";

std::string WithScheme(const std::string& url) {
  return url.find("://") == std::string::npos ? "http://" + url : url;
}

// The last segment of the URL's path as the user should read it in message 28.
std::string ShownName(const std::string& url) {
  std::string path = url.substr(0, url.find_first_of("?#"));
  return path.substr(path.find_last_of("/\\") + 1);
}

std::string Printf(const char* pattern, auto... values) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, pattern, values...);
  return buffer;
}

}  // namespace

TSelfUpdater::TSelfUpdater(platform::Platform& platform, IProgramStarter& starter, IUpdaterUi& ui,
                           std::string programPath)
    : THttpTransfer(platform.internet, platform.ui, platform.clock),
      fileSystem_(platform.files),
      shell_(platform.shell),
      starter_(starter),
      ui_window_(ui),
      programPath_(std::move(programPath)) {
  programDir_ = ExtractFilePath(programPath_);
  title_ = ExtractFileName(programPath_);
  if (const std::size_t dot = title_.rfind('.'); dot != std::string::npos) title_.resize(dot);

  OnHeaders = [this](const THttpHeaders& headers, bool&) {
    if (checking_) return;
    const char separator = clock_.DecimalSeparator();
    ui_window_.ShowFileSize("File size: " + FormatFixed(static_cast<double>(headers.contentLength) / 1024.0, 1,
                                                        separator) + " Kb");
    lastModified_ = headers.lastModifiedUtc;
  };
  OnProgress = [this](const TTransferProgress& p) {
    if (checking_ || files_.empty()) return;
    const auto count = static_cast<int>(files_.size());
    const int all = p.percent / count +
                    static_cast<int>(RoundHalfEven(static_cast<double>(index_) * 100.0 / static_cast<double>(count)));
    const std::int64_t left = p.estimatedSecondsLeft;
    ui_window_.ShowProgress(p.percent, all,
                            "Transfer rate: " + FormatFixed(p.rateKBps, 1, clock_.DecimalSeparator()) + " Kb/s",
                            Printf("Estimated time left: %d:%.2d:%.2d", static_cast<int>(left / 3600),
                                   static_cast<int>(left / 60 % 60), static_cast<int>(left % 60)));
  };
  OnComplete = [this](const std::string&, const std::string& data, std::uint64_t) {
    if (checking_) {
      InfoReceived(data);
    } else {
      FileDone();
    }
  };
  OnConnectionLost = [this] {
    if (ShowMessages & mConnLost) {
      ui_window_.ShowMessage(kConnectionLostText, kUpdateCaption, platform::MessageButtons::Ok,
                             platform::MessageIcon::Error);
    }
    EndAfterFailure();
  };
  OnNoAnswer = [this] {
    const std::string url = WithScheme(CurrentUrl());
    const auto parts = SplitUrl(url);
    const std::string host = parts ? parts->host : std::string();
    if (OnHostUnreachable) OnHostUnreachable(url, host);
    if (ShowMessages & mHostUnreachable) {
      ui_window_.ShowMessage(FormatMessageText(kHostUnreachableText, "'http://" + host + "'"), kUpdateCaption,
                             platform::MessageButtons::Ok, platform::MessageIcon::Error);
    }
    EndAfterFailure();
  };
  OnHttpError = [this](int status, const std::string&) {
    if (checking_) {
      checking_ = false;
      return;
    }
    FileFailed(FormatMessageText(kLostFileText, ShownName(CurrentUrl())), "Error #" + std::to_string(status));
  };
  OnTooLarge = [this] {
    if (checking_) {
      RefuseInfo(kInfoTooLargeText);
    } else {
      FileFailed(FormatMessageText(kFileTooLargeText, ShownName(CurrentUrl())), "Error");
    }
  };
  OnTargetFileError = [this](const std::string& path, const std::string& errorText) {
    ui_window_.ShowMessage(FormatMessageText(kCannotCreateText, path, errorText), kUpdateCaption,
                           platform::MessageButtons::Ok, platform::MessageIcon::Error);
    Abort();
  };
}

std::string TSelfUpdater::CurrentUrl() const {
  if (checking_) return InfoFileURL;
  return index_ < files_.size() ? files_[index_].url : std::string();
}

std::string TSelfUpdater::HelperArguments() const {
  std::string line;
  for (const auto& [name, digest] : handedOver_) {
    line.append(kHelperDigestArgument).append(digest).append(":").append(ToHexText(name)).append(" ");
  }
  line.append(kHelperProgramArgument).append(ToHexText(programPath_)).append(" ");
  line.append(kHelperRestartArgument).append(ToHexText(RestartParams)).append(" ");
  line.append(kHelperSetupArgument).append(method_ == umUseExternalSetup ? "1" : "0");
  return line;
}

void TSelfUpdater::CheckUpdate() {
  if (Busy() || windowOpen_) return;
  aborted_ = false;
  checking_ = true;
  plainCacheOptions_ = CacheOptions;
  CacheOptions = plainCacheOptions_ | coPragmaNoCache;
  HideDownloadedFile = false;
  MaxBytes = kInfoFileLimit;
  const bool started = Start(InfoFileURL);
  CacheOptions = plainCacheOptions_;
  if (!started) checking_ = false;
}

void TSelfUpdater::InfoReceived(const std::string& text) {
  // Anyone on the way to the server can answer in its place: only what the maker signed
  // is read at all.
  const auto verified = VerifiedInfoText(text, Trust);
  if (!verified) {
    RefuseInfo(kUnverifiedText);
    return;
  }
  const UpdateInfo info = ReadUpdateInfo(*verified);
  if (!IsCurrent(info)) return;
  files_ = info.files;
  checking_ = false;
  if (!IsNewerVersion(info.version, VersionNumber) || files_.empty()) {
    if (ShowMessages & mNoUpdateAvailable) {
      ui_window_.ShowMessage(kNoUpdateText, kUpdateCaption, platform::MessageButtons::Ok,
                             platform::MessageIcon::Information);
    }
    return;
  }
  releaseNotes_ = info.releaseNotes;
  method_ = info.method;
  if (ShowMessages & mAskUpgrade) {
    const std::string notes = releaseNotes_.empty() ? std::string() : "\n" + releaseNotes_ + "\n";
    if (!ui_window_.AskUpgrade(kUpdateCaption, FormatMessageText(kAskText, title_, notes))) {
      if (OnLaterUpgrade) OnLaterUpgrade();
      return;
    }
  }
  if (method_ == umRedirectToURL) {
    // Only web pages: the shell would run a local program or document just as readily.
    const std::string url = WithScheme(files_.front().url);
    const std::string lowered = ToLowerAscii(url);
    if (StartsWith(lowered, "http://") || StartsWith(lowered, "https://")) shell_.Open(url);
    return;
  }
  StartDownloads();
}

void TSelfUpdater::RefuseInfo(const char* text) {
  files_.clear();
  ui_window_.ShowMessage(text, "Error", platform::MessageButtons::Ok, platform::MessageIcon::Error);
  EndAfterFailure();
}

bool TSelfUpdater::IsCurrent(const UpdateInfo& info) {
  // Every signed file the release script writes carries both; one without them cannot be
  // told from an old file replayed.
  if (!info.serial || !info.expires) {
    RefuseInfo(kUnverifiedText);
    return false;
  }
  const std::uint64_t seen = ReadSeenSerial ? ReadSeenSerial() : 0;
  if (*info.serial < seen) {
    RefuseInfo(kReplayedText);
    return false;
  }
  const platform::DateTime today = clock_.UtcNow();
  if (HasExpired(*info.expires, today.year, today.month, today.day)) {
    RefuseInfo(kExpiredText);
    return false;
  }
  if (*info.serial > seen && WriteSeenSerial) WriteSeenSerial(*info.serial);
  return true;
}

void TSelfUpdater::StartDownloads() {
  CacheOptions = plainCacheOptions_;
  index_ = 0;
  handedOver_.clear();
  windowOpen_ = true;
  completed_ = false;
  ui_window_.ShowDownloadWindow();
  DownloadCurrent();
}

void TSelfUpdater::DownloadCurrent() {
  while (index_ < files_.size()) {
    const UpdateFileEntry& entry = files_[index_];
    const auto name = DownloadFileName(entry.url);
    if (!name || !NormalisedDigest(entry.sha256.value_or(""))) {
      // A name with a path, a drive or a device in it is never written, and a file the
      // signed information gives no digest for could be anything.
      FileFailed(FormatMessageText(kLostFileText, ShownName(entry.url)), "Error");
      return;
    }
    ui_window_.ShowFile(entry.url, Printf("Downloading %d of %d", static_cast<int>(index_ + 1),
                                          static_cast<int>(files_.size())));
    lastModified_.reset();
    HideDownloadedFile = true;
    MaxBytes = entry.size.value_or(kDefaultFileLimit);
    Start(entry.url, programDir_ + *name + ".uTMP");
    return;
  }
  completed_ = true;
  ui_window_.ShowCompleted("Upgrade completed!", FormatMessageText(kCompletedNote, title_));
}

void TSelfUpdater::FileDone() {
  const UpdateFileEntry& entry = files_[index_];
  const std::string name = DownloadFileName(entry.url).value_or("") + ".uTMP";
  const std::string target = programDir_ + name;
  if (lastModified_) fileSystem_.SetModificationTime(target, UnixSeconds(*lastModified_));
  // A later file of the same name has overwritten an earlier one: only its digest counts.
  std::erase_if(handedOver_, [&](const auto& handed) { return EqualsNoCase(handed.first, name); });
  const auto data = fileSystem_.ReadFile(target);
  if (!data.ok || !DigestMatches(entry.sha256.value_or(""), Sha256Hex(data.data))) {
    // A file that is not the one the maker vouched for is never installed.
    FileFailed(FormatMessageText(kLostFileText, ShownName(entry.url)), "Error");
    return;
  }
  handedOver_.emplace_back(name, *NormalisedDigest(*entry.sha256));
  ++index_;
  DownloadCurrent();
}

void TSelfUpdater::FileFailed(const std::string& text, const std::string& caption) {
  // An update with a file missing can leave a program that does not start: the files
  // already fetched go too (the abort deletes every download).
  if (ShowMessages & mLostFile) {
    ui_window_.ShowMessage(text, caption, platform::MessageButtons::Ok, platform::MessageIcon::Error);
  }
  Abort();
}

void TSelfUpdater::EndAfterFailure() {
  checking_ = false;
  Stop(false);
  if (windowOpen_) {
    windowOpen_ = false;
    completed_ = false;
    ui_window_.CloseDownloadWindow();
  }
}

void TSelfUpdater::Abort() {
  aborted_ = true;
  checking_ = false;
  Stop(false);
  if (windowOpen_) {
    windowOpen_ = false;
    completed_ = false;
    ui_window_.CloseDownloadWindow();
  }
  if (!programDir_.empty()) {
    for (const std::string& name : fileSystem_.ListFiles(programDir_, "*.uTMP")) {
      fileSystem_.SetAttributes(programDir_ + name, 0x80);
      fileSystem_.RemoveFile(programDir_ + name);
    }
  }
  if (OnAborted) OnAborted();
}

bool TSelfUpdater::CancelRequested() {
  const auto answer = ui_window_.ShowMessage(kCancelText, title_, platform::MessageButtons::YesNo,
                                             platform::MessageIcon::Question);
  if (answer != platform::MessageResult::Yes) return false;
  Abort();
  return true;
}

void TSelfUpdater::FinishClicked() {
  if (!completed_) return;
  completed_ = false;
  windowOpen_ = false;
  ui_window_.CloseDownloadWindow();
  HandOver(true);
}

void TSelfUpdater::ApplicationTerminating() {
  if (!completed_) return;
  completed_ = false;
  windowOpen_ = false;
  ui_window_.CloseDownloadWindow();
  HandOver(false);
}

void TSelfUpdater::HandOver(bool closeMainWindow) {
  const std::string bytes = HelperBytes ? HelperBytes() : std::string();
  // A helper that cannot be written is not started; the program closes all the same and
  // the downloaded files wait for the next upgrade.
  if (!bytes.empty()) starter_.StartProtected(kUpgradeHelperName, bytes, HelperArguments());
  if (closeMainWindow && CloseMainWindow) CloseMainWindow();
}

}  // namespace dx
