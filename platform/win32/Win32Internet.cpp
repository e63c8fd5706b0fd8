#include "platform/win32/Win32Internet.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

#include "platform/win32/Scoped.h"

namespace dx::win32 {

void InternetHandleTraits::Close(Handle h) { ::InternetCloseHandle(h); }

namespace {

using SharedInternet = std::shared_ptr<ScopedInternet>;

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

class Request : public platform::IInternetRequest {
 public:
  Request(SharedInternet connection, HINTERNET request) : connection_(std::move(connection)), request_(request) {}

  void SetTimeouts(const platform::InternetTimeouts& t) override {
    const auto set = [&](DWORD option, std::uint32_t value) {
      if (value == 0) return;
      DWORD ms = value;
      if (!::InternetSetOptionA(request_.get(), option, &ms, sizeof ms)) error_ = ::GetLastError();
    };
    set(INTERNET_OPTION_CONNECT_TIMEOUT, t.connectMs);
    set(INTERNET_OPTION_RECEIVE_TIMEOUT, t.receiveMs);
    set(INTERNET_OPTION_SEND_TIMEOUT, t.sendMs);
  }
  bool Send() override {
    if (::HttpSendRequestA(request_.get(), nullptr, 0, nullptr, 0)) return true;
    error_ = ::GetLastError();
    return false;
  }
  std::string StatusText() override { return Query(HTTP_QUERY_STATUS_CODE, {}).value_or(""); }
  std::optional<std::string> Header(const std::string& name) override { return Query(HTTP_QUERY_CUSTOM, name); }
  std::string RawHeaders() override { return Query(HTTP_QUERY_RAW_HEADERS_CRLF, {}).value_or(""); }
  bool SetCredentials(const std::string& user, const std::string& password, bool forProxy) override {
    const DWORD userOption = forProxy ? INTERNET_OPTION_PROXY_USERNAME : INTERNET_OPTION_USERNAME;
    const DWORD passwordOption = forProxy ? INTERNET_OPTION_PROXY_PASSWORD : INTERNET_OPTION_PASSWORD;
    const bool ok = ::InternetSetOptionA(request_.get(), userOption, const_cast<char*>(user.c_str()),
                                         static_cast<DWORD>(user.size())) &&
                    ::InternetSetOptionA(request_.get(), passwordOption, const_cast<char*>(password.c_str()),
                                         static_cast<DWORD>(password.size()));
    if (!ok) error_ = ::GetLastError();
    return ok;
  }
  platform::InternetReadResult Read(std::size_t maxBytes) override {
    platform::InternetReadResult result;
    result.data.resize(maxBytes);
    DWORD got = 0;
    if (!::InternetReadFile(request_.get(), result.data.data(), static_cast<DWORD>(maxBytes), &got)) {
      error_ = ::GetLastError();
      result.data.clear();
      return result;
    }
    result.ok = true;
    result.data.resize(got);
    return result;
  }
  std::uint32_t LastError() override { return error_; }

 private:
  // The header's value; a name is asked for through HTTP_QUERY_CUSTOM.
  std::optional<std::string> Query(DWORD level, const std::string& name) {
    std::vector<char> buffer(4096);
    for (;;) {
      if (!name.empty()) {
        if (name.size() + 1 > buffer.size()) buffer.resize(name.size() + 1);
        std::copy(name.begin(), name.end(), buffer.begin());
        buffer[name.size()] = '\0';
      }
      DWORD size = static_cast<DWORD>(buffer.size());
      DWORD index = 0;
      if (::HttpQueryInfoA(request_.get(), level, buffer.data(), &size, &index)) return std::string(buffer.data(), size);
      const DWORD error = ::GetLastError();
      if (error != ERROR_INSUFFICIENT_BUFFER || size <= buffer.size()) {
        if (error != ERROR_HTTP_HEADER_NOT_FOUND) error_ = error;
        return std::nullopt;
      }
      buffer.resize(size + 1);
    }
  }

  SharedInternet connection_;  // kept open while the request lives
  ScopedInternet request_;
  DWORD error_ = 0;
};

class Connection : public platform::IInternetConnection {
 public:
  explicit Connection(SharedInternet connection) : connection_(std::move(connection)) {}
  std::unique_ptr<platform::IInternetRequest> OpenRequest(const std::string& verb, const std::string& object,
                                                          const std::string& acceptTypes,
                                                          std::uint32_t flags) override {
    const char* accept[] = {acceptTypes.c_str(), nullptr};
    HINTERNET request = ::HttpOpenRequestA(connection_->get(), verb.c_str(), object.c_str(), nullptr, nullptr,
                                           acceptTypes.empty() ? nullptr : accept, flags, 0);
    if (!request) return nullptr;
    return std::make_unique<Request>(connection_, request);
  }

 private:
  SharedInternet connection_;
};

class Session : public platform::IInternetSession {
 public:
  explicit Session(HINTERNET session) : session_(std::make_shared<ScopedInternet>(session)) {}
  std::unique_ptr<platform::IInternetConnection> Connect(const std::string& host, std::uint16_t port,
                                                         const std::string& user,
                                                         const std::string& password) override {
    HINTERNET connection = ::InternetConnectA(session_->get(), host.c_str(), port, OrNull(user), OrNull(password),
                                              INTERNET_SERVICE_HTTP, 0, 0);
    if (!connection) return nullptr;
    // The connection keeps its session alive, so handles close child first.
    auto owner = std::shared_ptr<ScopedInternet>(new ScopedInternet(connection),
                                                 [session = session_](ScopedInternet* p) { delete p; });
    return std::make_unique<Connection>(std::move(owner));
  }

 private:
  SharedInternet session_;
};

class DownloadFile : public platform::IDownloadFile {
 public:
  DownloadFile(std::string path, HANDLE file) : path_(std::move(path)), file_(file) { pending_.reserve(kBatch); }
  ~DownloadFile() override { Flush(); }
  // Pieces are written in batches: under wine every WriteFile costs about as much as a
  // read, and the transfer reads in 4096-byte pieces.
  bool Write(std::string_view data) override {
    pending_.append(data);
    return pending_.size() < kBatch || Flush();
  }
  bool Close() override {
    if (!file_) return true;
    const bool flushed = Flush();
    const bool ok = ::CloseHandle(file_.release()) != 0;
    if (!ok && flushed) error_ = ::GetLastError();
    return ok && flushed;
  }
  void Discard() override {
    pending_.clear();
    file_.reset();
    ::SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(path_.c_str());
  }
  std::string ErrorText() override { return SystemErrorText(error_); }

 private:
  static constexpr std::size_t kBatch = 64 * 1024;

  bool Flush() {
    std::string_view data = pending_;
    bool ok = true;
    while (file_ && !data.empty()) {
      DWORD wrote = 0;
      if (!::WriteFile(file_.get(), data.data(), static_cast<DWORD>(data.size()), &wrote, nullptr) || wrote == 0) {
        error_ = ::GetLastError();
        ok = false;
        break;
      }
      data.remove_prefix(wrote);
    }
    pending_.clear();
    return ok;
  }

  std::string path_;
  ScopedFile file_;
  std::string pending_;
  DWORD error_ = 0;
};

}  // namespace

std::unique_ptr<platform::IInternetSession> Win32Internet::OpenSession(const platform::InternetSessionOptions& o) {
  DWORD access = INTERNET_OPEN_TYPE_PRECONFIG;
  if (o.access == platform::InternetAccess::Direct) access = INTERNET_OPEN_TYPE_DIRECT;
  if (o.access == platform::InternetAccess::Proxy) access = INTERNET_OPEN_TYPE_PROXY;
  const bool proxy = access == INTERNET_OPEN_TYPE_PROXY;
  HINTERNET session = ::InternetOpenA(o.agent.c_str(), access, proxy ? o.proxy.c_str() : nullptr,
                                      proxy ? OrNull(o.proxyBypass) : nullptr, 0);
  if (!session) return nullptr;
  return std::make_unique<Session>(session);
}

platform::DownloadFileResult Win32Internet::CreateDownloadFile(const std::string& path, bool hiddenTemporary) {
  const DWORD attributes = hiddenTemporary ? FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY : FILE_ATTRIBUTE_NORMAL;
  // The file is made anew: an old one of that name (hidden, read-only) goes first, so
  // none of its attributes survive.
  const DWORD existing = ::GetFileAttributesA(path.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && !(existing & FILE_ATTRIBUTE_DIRECTORY)) {
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(path.c_str());
  }
  // Deleting stays possible while the file is written, so an abort can clear it away.
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                              attributes, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {nullptr, SystemErrorText(::GetLastError())};
  return {std::make_unique<DownloadFile>(path, file), {}};
}

}  // namespace dx::win32
