#pragma once
// THttpTransfer: one HTTP GET at a time on a worker thread, into memory or a file. Every
// report reaches the user-interface thread, and the worker waits until its handler has
// returned, so handlers never run beside the transfer.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/Url.h"
#include "common/Version.h"
#include "platform/Internet.h"
#include "platform/LocaleClock.h"
#include "platform/UiThread.h"

namespace dx {

enum TCacheOption : unsigned {
  coAlwaysReload = 1u << 0,
  coReloadIfNoExpireInformation = 1u << 1,
  coReloadUpdatedObjects = 1u << 2,
  coPragmaNoCache = 1u << 3,
  coNoCacheWrite = 1u << 4,
  coCreateTempFilesIfCantCache = 1u << 5,
  coUseCacheIfNetFail = 1u << 6,
};
enum TInternetOption : unsigned {
  ioIgnoreCertificateInvalid = 1u << 0,
  ioIgnoreCertificateDateInvalid = 1u << 1,
  ioIgnoreRedirectToHTTP = 1u << 2,
  ioIgnoreRedirectToHTTPS = 1u << 3,
  ioKeepConnection = 1u << 4,
  ioNoAuthentication = 1u << 5,
  ioNoAutoRedirect = 1u << 6,
  ioNoCookies = 1u << 7,
};
enum TAccessType { atPreconfig, atDirect, atUseProxy };

struct THttpProxySettings {
  TAccessType AccessType = atPreconfig;
  std::string ProxyServer;
  int ProxyPort = 8080;
  std::string ProxyBypass = "127.0.0.1;";
  std::string ProxyUsername;
  std::string ProxyPassword;
};

// Milliseconds; 0 leaves the system's value.
struct THttpTimeoutSettings {
  std::uint32_t ConnectTimeout = 0;
  std::uint32_t ReceiveTimeout = 0;
  std::uint32_t SendTimeout = 0;
};

// The request flags (platform::request_flag) of a set of cache and internet options.
std::uint32_t RequestFlags(unsigned cacheOptions, unsigned internetOptions, bool secure);

struct THttpHeaders {
  int status = -1;
  std::string contentType, rawHeaders, contentLanguage, contentEncoding, location, eTag;
  std::uint64_t contentLength = 0;  // 0 when absent
  // Local times; nothing when absent or unreadable.
  std::optional<platform::DateTime> date, lastModified, expires;
  // Last-Modified in universal time, for file times.
  std::optional<platform::DateTime> lastModifiedUtc;
};

struct TTransferProgress {
  int percent = 0;
  std::int64_t estimatedSecondsLeft = 0;
  std::int64_t elapsedSeconds = 0;
  std::uint64_t bytesReceived = 0;
  std::uint64_t totalSize = 0;
  double rateKBps = 0;
};
TTransferProgress ComputeProgress(std::uint64_t bytesReceived, std::uint64_t totalSize, std::uint32_t elapsedMs);

class THttpTransfer {
 public:
  THttpTransfer(platform::IInternet& internet, platform::IUiThread& ui, platform::ILocaleClock& clock);
  virtual ~THttpTransfer();
  THttpTransfer(const THttpTransfer&) = delete;
  THttpTransfer& operator=(const THttpTransfer&) = delete;

  // Settings, read when a transfer starts.
  std::string AcceptTypes = "text/html, */*";
  std::string Agent = std::string("Dextrel/") + kProgramVersion;
  std::string HTTPUsername, HTTPPassword;
  THttpProxySettings Proxy;
  THttpTimeoutSettings Timeouts;
  std::uint32_t TransferBufferSize = 4096;
  unsigned CacheOptions = coReloadIfNoExpireInformation | coReloadUpdatedObjects | coCreateTempFilesIfCantCache;
  unsigned InternetOptions = ioKeepConnection;
  bool HideDownloadedFile = false;
  // The most bytes a body may hold (0: no limit); past it the transfer ends, keeps
  // nothing and reports OnTooLarge.
  std::uint64_t MaxBytes = 0;

  // Reports, all on the user-interface thread.
  std::function<void(const THttpHeaders&, bool& continueTransfer)> OnHeaders;
  std::function<void(const TTransferProgress&)> OnProgress;
  // Status 401: the realm; set retry to send the request again with HTTPUsername/HTTPPassword.
  std::function<void(const std::string& realm, bool& retry)> OnPasswordRequest;
  // Outcomes: exactly one per transfer that was not stopped.
  std::function<void(const std::string& contentType, const std::string& data, std::uint64_t bytes)> OnComplete;
  std::function<void()> OnConnectionLost;
  std::function<void()> OnNoAnswer;
  std::function<void(int status, const std::string& body)> OnHttpError;
  std::function<void()> OnNotWanted;
  std::function<void(const std::string& path, const std::string& errorText)> OnTargetFileError;
  std::function<void()> OnTooLarge;

  // False, changing nothing, while a transfer runs. An empty target collects the body in memory.
  bool Start(const std::string& url, const std::string& targetFile = {});
  // The transfer ends at its next check point without an outcome report.
  void Stop(bool deletePartialFile);
  bool Busy() const { return busy_; }
  // Whether a worker is still running a transfer (a stopped one included).
  bool IsRunning() const;

 protected:
  platform::IInternet& internet_;
  platform::IUiThread& ui_;
  platform::ILocaleClock& clock_;

 private:
  struct Job;
  struct Worker {
    std::thread thread;
    std::shared_ptr<Job> job;
  };
  void Work(Job& job);
  void Report(Job& job, const std::function<void()>& handler);
  void Finish(const std::shared_ptr<Job>& job);
  void ReapFinishedWorkers();
  // Waits, handling the thread's messages, until job's worker ended or the time is up.
  void WaitForWorker(const std::shared_ptr<Job>& job, std::uint32_t limitMs);

  bool busy_ = false;
  bool destroying_ = false;
  std::shared_ptr<Job> current_;
  Job* inReport_ = nullptr;
  std::vector<Worker> workers_;
  mutable std::mutex mutex_;
  std::condition_variable ended_;
};

}  // namespace dx
