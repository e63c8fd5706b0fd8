#pragma once
// An internet of canned answers: each URL ("http://host[:port]/object") maps to a status,
// headers and a body that is read back in the sizes the client asks for. Downloaded files
// go into a MemoryFileSystem when one is given, else into downloadFiles.
#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Internet.h"
#include "tests/doubles/MemoryFileSystem.h"

namespace dx::test {

class FakeInternet : public platform::IInternet {
 public:
  struct Answer {
    std::uint32_t status = 200;
    std::map<std::string, std::string> headers;
    std::string body;
    bool sendFails = false;
    std::size_t breakAfter = std::string::npos;  // the connection is lost after this many bytes
    // Once credentials were set on the request, the next send answers this status (0: unchanged).
    std::uint32_t statusWithCredentials = 0;
  };
  struct RequestLog {
    std::string url;
    std::uint32_t flags;
    std::string verb, acceptTypes;
    platform::InternetTimeouts timeouts;
    int sends = 0;
  };
  struct ConnectLog {
    std::string host;
    std::uint16_t port;
    std::string user, password;
  };
  struct CredentialLog {
    std::string user, password;
    bool forProxy;
  };

  std::map<std::string, Answer> answers;
  std::vector<platform::InternetSessionOptions> sessions;
  std::vector<ConnectLog> connections;
  std::vector<RequestLog> requests;
  std::vector<CredentialLog> credentials;
  std::vector<std::size_t> readSizes;
  bool sessionFails = false;
  bool connectFails = false;
  // Runs on the transfer's thread before every read (a test may hold the transfer there).
  std::function<void()> beforeRead;

  MemoryFileSystem* fileSystem = nullptr;
  std::map<std::string, std::string> downloadFiles;
  std::map<std::string, bool> downloadHidden;

  std::unique_ptr<platform::IInternetSession> OpenSession(const platform::InternetSessionOptions& options) override {
    std::lock_guard lock(mutex_);
    sessions.push_back(options);
    if (sessionFails) return nullptr;
    return std::make_unique<Session>(*this);
  }
  platform::DownloadFileResult CreateDownloadFile(const std::string& path, bool hiddenTemporary) override {
    std::lock_guard lock(mutex_);
    if (fileSystem) {
      auto written = fileSystem->WriteFile(path, {});
      if (!written.ok) return {nullptr, written.errorText.empty() ? "Access is denied." : written.errorText};
      if (hiddenTemporary) fileSystem->SetAttributes(path, 0x2 | 0x100);
    }
    downloadFiles[path].clear();
    downloadHidden[path] = hiddenTemporary;
    return {std::make_unique<File>(*this, path), {}};
  }

  std::size_t RequestCount() {
    std::lock_guard lock(mutex_);
    return requests.size();
  }

 private:
  class File : public platform::IDownloadFile {
   public:
    File(FakeInternet& owner, std::string path) : owner_(owner), path_(std::move(path)) {}
    bool Write(std::string_view data) override {
      std::lock_guard lock(owner_.mutex_);
      std::string& contents = owner_.downloadFiles[path_];
      contents.append(data);
      if (owner_.fileSystem) {
        const auto attributes = owner_.fileSystem->GetAttributes(path_);
        if (!owner_.fileSystem->WriteFile(path_, contents).ok) return false;
        owner_.fileSystem->SetAttributes(path_, attributes);
      }
      return true;
    }
    bool Close() override { return true; }
    void Discard() override {
      std::lock_guard lock(owner_.mutex_);
      owner_.downloadFiles.erase(path_);
      if (owner_.fileSystem) owner_.fileSystem->RemoveFile(path_);
    }
    std::string ErrorText() override { return "There is not enough space on the disk."; }

   private:
    FakeInternet& owner_;
    std::string path_;
  };

  class Request : public platform::IInternetRequest {
   public:
    Request(FakeInternet& owner, const Answer* answer, std::size_t log) : owner_(owner), answer_(answer), log_(log) {}
    void SetTimeouts(const platform::InternetTimeouts& timeouts) override {
      std::lock_guard lock(owner_.mutex_);
      owner_.requests[log_].timeouts = timeouts;
    }
    bool Send() override {
      std::lock_guard lock(owner_.mutex_);
      ++owner_.requests[log_].sends;
      if (!answer_ || answer_->sendFails) return false;
      sent_ = true;
      status_ = answer_->status;
      if (credentialsSet_ && answer_->statusWithCredentials) status_ = answer_->statusWithCredentials;
      offset_ = 0;
      return true;
    }
    std::string StatusText() override { return sent_ ? std::to_string(status_) : std::string(); }
    std::optional<std::string> Header(const std::string& name) override {
      if (!sent_) return std::nullopt;
      for (const auto& [key, value] : answer_->headers) {
        if (EqualsAscii(key, name)) return value;
      }
      return std::nullopt;
    }
    std::string RawHeaders() override {
      if (!sent_) return {};
      std::string raw = "HTTP/1.1 " + std::to_string(status_) + "\r\n";
      for (const auto& [key, value] : answer_->headers) raw += key + ": " + value + "\r\n";
      return raw + "\r\n";
    }
    bool SetCredentials(const std::string& user, const std::string& password, bool forProxy) override {
      std::lock_guard lock(owner_.mutex_);
      owner_.credentials.push_back({user, password, forProxy});
      credentialsSet_ = true;
      return true;
    }
    platform::InternetReadResult Read(std::size_t maxBytes) override {
      if (owner_.beforeRead) owner_.beforeRead();
      std::lock_guard lock(owner_.mutex_);
      owner_.readSizes.push_back(maxBytes);
      if (!sent_) return {false, {}};
      const std::string& body = status_ == answer_->status ? answer_->body : std::string();
      const std::size_t end = std::min(body.size(), answer_->breakAfter);
      if (offset_ >= end) return {offset_ >= body.size(), {}};
      const std::size_t n = std::min(maxBytes, end - offset_);
      std::string chunk = body.substr(offset_, n);
      offset_ += n;
      return {true, chunk};
    }
    std::uint32_t LastError() override { return answer_ ? 0 : 12007; }  // name not resolved

   private:
    static bool EqualsAscii(const std::string& a, const std::string& b) {
      return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
             });
    }
    FakeInternet& owner_;
    const Answer* answer_;
    std::size_t log_;
    bool sent_ = false;
    bool credentialsSet_ = false;
    std::uint32_t status_ = 0;
    std::size_t offset_ = 0;
  };

  class Connection : public platform::IInternetConnection {
   public:
    Connection(FakeInternet& owner, std::string host, std::uint16_t port)
        : owner_(owner), host_(std::move(host)), port_(port) {}
    std::unique_ptr<platform::IInternetRequest> OpenRequest(const std::string& verb, const std::string& object,
                                                            const std::string& acceptTypes,
                                                            std::uint32_t flags) override {
      std::lock_guard lock(owner_.mutex_);
      const bool secure = flags & platform::request_flag::kSecure;
      std::string url = (secure ? "https://" : "http://") + host_;
      if (port_ != (secure ? 443 : 80)) url += ":" + std::to_string(port_);
      url += object;
      owner_.requests.push_back({url, flags, verb, acceptTypes, {}, 0});
      auto it = owner_.answers.find(url);
      return std::make_unique<Request>(owner_, it == owner_.answers.end() ? nullptr : &it->second,
                                       owner_.requests.size() - 1);
    }

   private:
    FakeInternet& owner_;
    std::string host_;
    std::uint16_t port_;
  };

  class Session : public platform::IInternetSession {
   public:
    explicit Session(FakeInternet& owner) : owner_(owner) {}
    std::unique_ptr<platform::IInternetConnection> Connect(const std::string& host, std::uint16_t port,
                                                           const std::string& user,
                                                           const std::string& password) override {
      std::lock_guard lock(owner_.mutex_);
      owner_.connections.push_back({host, port, user, password});
      if (owner_.connectFails) return nullptr;
      return std::make_unique<Connection>(owner_, host, port);
    }

   private:
    FakeInternet& owner_;
  };

  std::mutex mutex_;
};

}  // namespace dx::test
