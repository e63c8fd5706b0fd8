#include "extras/HttpTransfer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/Numbers.h"
#include "common/Text.h"
#include "extras/HttpDate.h"

namespace dx {
namespace rf = platform::request_flag;

namespace {

// A hostile Content-Length must not reserve the machine's memory up front.
constexpr std::uint64_t kLargestReservation = 64u << 20;
constexpr std::uint32_t kStopWaitMs = 3000;

std::uint64_t ReadLength(const std::optional<std::string>& text) {
  if (!text) return 0;
  const std::string t = Trim(*text);
  if (t.empty() || t.size() > 19) return 0;
  std::uint64_t value = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

bool IsOkStatus(int status) { return status == 200 || status == 206; }

}  // namespace

std::uint32_t RequestFlags(unsigned cache, unsigned internet, bool secure) {
  std::uint32_t flags = 0;
  const auto add = [&](unsigned set, unsigned member, std::uint32_t flag) {
    if (set & member) flags |= flag;
  };
  add(cache, coAlwaysReload, rf::kReload);
  add(cache, coReloadIfNoExpireInformation, rf::kHyperlink);
  add(cache, coReloadUpdatedObjects, rf::kResynchronize);
  add(cache, coPragmaNoCache, rf::kPragmaNoCache);
  add(cache, coNoCacheWrite, rf::kNoCacheWrite);
  add(cache, coCreateTempFilesIfCantCache, rf::kNeedFile);
  add(cache, coUseCacheIfNetFail, rf::kCacheIfNetFail);
  add(internet, ioIgnoreCertificateInvalid, rf::kIgnoreCertCnInvalid);
  add(internet, ioIgnoreCertificateDateInvalid, rf::kIgnoreCertDateInvalid);
  add(internet, ioIgnoreRedirectToHTTP, rf::kIgnoreRedirectToHttp);
  add(internet, ioIgnoreRedirectToHTTPS, rf::kIgnoreRedirectToHttps);
  add(internet, ioKeepConnection, rf::kKeepConnection);
  add(internet, ioNoAuthentication, rf::kNoAuth);
  add(internet, ioNoAutoRedirect, rf::kNoAutoRedirect);
  add(internet, ioNoCookies, rf::kNoCookies);
  if (secure) flags |= rf::kSecure;
  return flags;
}

TTransferProgress ComputeProgress(std::uint64_t received, std::uint64_t total, std::uint32_t elapsedMs) {
  TTransferProgress p;
  p.bytesReceived = received;
  p.totalSize = total;
  p.elapsedSeconds = elapsedMs / 1000;
  if (total > 0) {
    p.percent = static_cast<int>(RoundHalfEven(static_cast<double>(received) * 100.0 / static_cast<double>(total)));
    if (received > 0) {
      const double whole = static_cast<double>(total) / static_cast<double>(received) * static_cast<double>(p.elapsedSeconds);
      p.estimatedSecondsLeft = std::max<std::int64_t>(0, RoundHalfEven(whole) - p.elapsedSeconds);
    }
  }
  const double kb = static_cast<double>(received) / 1024.0;
  p.rateKBps = p.elapsedSeconds > 0 ? kb / static_cast<double>(p.elapsedSeconds) : kb;
  return p;
}

// One transfer: what Start captured, the worker's state, and the flags both threads see.
struct THttpTransfer::Job {
  std::string url, target;
  std::string acceptTypes, agent, httpUser, httpPassword;
  THttpProxySettings proxy;
  THttpTimeoutSettings timeouts;
  std::uint32_t bufferSize = 4096;
  std::uint32_t flags = 0;
  bool hide = false;
  bool askPassword = false;
  std::uint64_t maxBytes = 0;
  bool tooLarge = false;

  std::atomic<bool> stop{false};
  std::atomic<bool> deletePartial{false};
  bool finished = false;  // guarded by the component's mutex

  int status = -1;
  bool carryOn = true;
  bool readFailed = false;
  std::uint64_t contentLength = 0;
  std::uint64_t received = 0;
  std::uint32_t startTick = 0;
  std::string contentType;
  std::string memory;
  std::unique_ptr<platform::IDownloadFile> file;
  std::optional<std::string> fileError;
};

THttpTransfer::THttpTransfer(platform::IInternet& internet, platform::IUiThread& ui, platform::ILocaleClock& clock)
    : internet_(internet), ui_(ui), clock_(clock) {}

THttpTransfer::~THttpTransfer() {
  destroying_ = true;
  if (current_) current_->stop = true;
  std::vector<std::shared_ptr<Job>> jobs;
  for (auto& worker : workers_) jobs.push_back(worker.job);
  for (auto& job : jobs) WaitForWorker(job, 0xFFFFFFFFu);
  for (auto& worker : workers_) {
    if (worker.thread.joinable()) worker.thread.join();
  }
}

bool THttpTransfer::IsRunning() const {
  std::lock_guard lock(mutex_);
  for (const auto& worker : workers_) {
    if (!worker.job->finished) return true;
  }
  return false;
}

bool THttpTransfer::Start(const std::string& url, const std::string& targetFile) {
  if (busy_ || destroying_) return false;
  ReapFinishedWorkers();
  auto job = std::make_shared<Job>();
  job->url = url;
  job->target = targetFile;
  job->acceptTypes = AcceptTypes;
  job->agent = Agent;
  job->httpUser = HTTPUsername;
  job->httpPassword = HTTPPassword;
  job->proxy = Proxy;
  job->timeouts = Timeouts;
  job->bufferSize = TransferBufferSize ? TransferBufferSize : 4096;
  job->flags = RequestFlags(CacheOptions, InternetOptions, false);
  job->hide = HideDownloadedFile;
  job->maxBytes = MaxBytes;
  job->askPassword = static_cast<bool>(OnPasswordRequest);
  busy_ = true;
  current_ = job;
  std::lock_guard lock(mutex_);
  workers_.push_back({std::thread([this, job] {
                        Work(*job);
                        Finish(job);
                        {
                          std::lock_guard lock(mutex_);
                          job->finished = true;
                        }
                        ended_.notify_all();
                      }),
                      job});
  return true;
}

void THttpTransfer::Stop(bool deletePartialFile) {
  if (!busy_ || !current_) return;
  auto job = std::move(current_);
  job->deletePartial = deletePartialFile;
  job->stop = true;
  busy_ = false;
  // From inside one of its own reports the worker cannot end before the handler returns.
  if (inReport_ != job.get()) WaitForWorker(job, kStopWaitMs);
}

void THttpTransfer::WaitForWorker(const std::shared_ptr<Job>& job, std::uint32_t limitMs) {
  const std::uint32_t started = clock_.TickCount();
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      if (job->finished) return;
      ended_.wait_for(lock, std::chrono::milliseconds(5), [&] { return job->finished; });
      if (job->finished) return;
    }
    // The worker may be waiting to hand a report over to this very thread.
    ui_.ProcessMessages();
    if (limitMs != 0xFFFFFFFFu && clock_.TickCount() - started >= limitMs) return;
  }
}

void THttpTransfer::ReapFinishedWorkers() {
  std::lock_guard lock(mutex_);
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (it->job->finished) {
      it->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

void THttpTransfer::Report(Job& job, const std::function<void()>& handler) {
  ui_.Invoke([&] {
    if (destroying_ || job.stop) return;
    Job* outer = std::exchange(inReport_, &job);
    struct Restore {
      Job*& slot;
      Job* value;
      ~Restore() { slot = value; }
    } restore{inReport_, outer};
    handler();
  });
}

void THttpTransfer::Work(Job& job) {
  job.startTick = clock_.TickCount();
  std::string url = job.url;
  if (url.find("://") == std::string::npos) url.insert(0, "http://");
  const auto parts = SplitUrl(url);
  if (!parts || job.stop) return;
  const std::string user = parts->user.empty() ? job.httpUser : parts->user;
  const std::string password = parts->password.empty() ? job.httpPassword : parts->password;

  platform::InternetSessionOptions options;
  options.agent = job.agent;
  if (job.proxy.AccessType == atDirect) options.access = platform::InternetAccess::Direct;
  if (job.proxy.AccessType == atUseProxy) {
    options.access = platform::InternetAccess::Proxy;
    options.proxy = job.proxy.ProxyServer + ":" + std::to_string(job.proxy.ProxyPort);
    options.proxyBypass = job.proxy.ProxyBypass;
  }
  auto session = internet_.OpenSession(options);
  if (!session || job.stop) return;
  auto connection = session->Connect(parts->host, parts->port, user, password);
  if (!connection || job.stop) return;
  auto request = connection->OpenRequest("GET", parts->path + parts->extra, job.acceptTypes,
                                         job.flags | (parts->scheme == "https" ? rf::kSecure : 0));
  if (!request) return;
  if (job.timeouts.ConnectTimeout || job.timeouts.ReceiveTimeout || job.timeouts.SendTimeout) {
    request->SetTimeouts({job.timeouts.ConnectTimeout, job.timeouts.ReceiveTimeout, job.timeouts.SendTimeout});
  }

  bool proxyRetried = false;
  for (;;) {
    if (job.stop) return;
    bool retry = false;
    job.status = -1;
    if (!request->Send()) return;
    int status = 0;
    if (!TryStrToInt(Trim(request->StatusText()), status)) status = 0;
    job.status = status;
    if (status == 401 && job.askPassword) {
      const std::string header = request->Header("WWW-Authenticate").value_or("");
      std::string realm;
      const std::size_t quote = header.find("=\"");
      if (quote != std::string::npos && header.size() > quote + 2) {
        realm = header.substr(quote + 2, header.size() - quote - 3);
      }
      std::string newUser = job.httpUser, newPassword = job.httpPassword;
      Report(job, [&] {
        if (OnPasswordRequest) OnPasswordRequest(realm, retry);
        newUser = HTTPUsername;
        newPassword = HTTPPassword;
      });
      request->SetCredentials(newUser, newPassword, false);
    }
    if (status == 407) {
      request->SetCredentials(job.proxy.ProxyUsername, job.proxy.ProxyPassword, true);
      // The configured proxy account is tried once; a proxy that still refuses ends it.
      if (!proxyRetried && !job.proxy.ProxyUsername.empty()) retry = proxyRetried = true;
    }
    if (!retry) break;
  }

  if (job.stop) return;
  THttpHeaders headers;
  headers.status = job.status;
  job.contentType = request->Header("Content-Type").value_or("");
  job.contentLength = ReadLength(request->Header("Content-Length"));
  headers.contentType = job.contentType;
  headers.contentLength = job.contentLength;
  headers.rawHeaders = request->RawHeaders();
  headers.contentLanguage = request->Header("Content-Language").value_or("");
  headers.contentEncoding = request->Header("Content-Encoding").value_or("");
  headers.location = request->Header("Location").value_or("");
  headers.eTag = request->Header("ETag").value_or("");
  const auto date = [&](const char* name) -> std::optional<platform::DateTime> {
    auto text = request->Header(name);
    if (!text) return std::nullopt;
    return ReadHttpDate(*text, clock_);
  };
  headers.date = date("Date");
  headers.lastModified = date("Last-Modified");
  headers.expires = date("Expires");
  if (auto text = request->Header("Last-Modified")) headers.lastModifiedUtc = ParseHttpDateUtc(*text);
  bool carryOn = true;
  Report(job, [&] {
    if (OnHeaders) OnHeaders(headers, carryOn);
  });
  job.carryOn = carryOn;
  if (!job.carryOn || job.stop) return;
  const auto beyondLimit = [&](std::uint64_t size) { return job.maxBytes != 0 && size > job.maxBytes; };
  if (beyondLimit(job.contentLength)) {
    job.tooLarge = true;
    return;
  }

  if (IsOkStatus(job.status) && !job.target.empty()) {
    auto created = internet_.CreateDownloadFile(job.target, job.hide);
    if (!created.file) {
      job.fileError = created.errorText;
      return;
    }
    job.file = std::move(created.file);
  } else if (job.contentLength) {
    job.memory.reserve(static_cast<std::size_t>(std::min(job.contentLength, kLargestReservation)));
  }

  for (;;) {
    if (job.stop) break;
    auto piece = request->Read(job.bufferSize);
    if (!piece.ok) job.readFailed = true;
    if (!piece.ok || piece.data.empty()) break;
    if (beyondLimit(job.received + piece.data.size())) {
      // A server that sends more than it announced, or announced nothing.
      job.tooLarge = true;
      break;
    }
    if (job.file) {
      if (!job.file->Write(piece.data)) {
        job.fileError = job.file->ErrorText();
        break;
      }
    } else {
      job.memory += piece.data;
    }
    job.received += piece.data.size();
    const std::uint64_t received = job.received, total = job.contentLength;
    Report(job, [&] {
      if (OnProgress) OnProgress(ComputeProgress(received, total, clock_.TickCount() - job.startTick));
    });
  }
  if (job.file && (job.stop || job.tooLarge)) {
    if (job.deletePartial || job.tooLarge) {
      job.file->Discard();
    } else {
      job.file->Close();
    }
    job.file.reset();
  } else if (job.file && !job.fileError && !job.file->Close()) {
    job.fileError = job.file->ErrorText();
  }
}

void THttpTransfer::Finish(const std::shared_ptr<Job>& job) {
  job->file.reset();
  ui_.Invoke([&] {
    if (destroying_ || job->stop) return;
    if (current_ == job) {
      current_.reset();
      busy_ = false;
    }
    // The outcome report may start the next transfer, so the component is free by now.
    const bool succeeded = IsOkStatus(job->status) && !job->readFailed &&
                           (job->contentLength == 0 || job->received == job->contentLength);
    if (!job->carryOn) {
      if (OnNotWanted) OnNotWanted();
    } else if (job->tooLarge) {
      if (OnTooLarge) OnTooLarge();
    } else if (job->fileError) {
      if (OnTargetFileError) OnTargetFileError(job->target, *job->fileError);
    } else if (succeeded) {
      if (OnComplete) OnComplete(job->contentType, job->memory, job->received);
    } else if (IsOkStatus(job->status)) {
      if (OnConnectionLost) OnConnectionLost();
    } else if (job->status == -1) {
      if (OnNoAnswer) OnNoAnswer();
    } else {
      if (OnHttpError) OnHttpError(job->status, job->memory);
    }
  });
  std::string().swap(job->memory);
}

}  // namespace dx
