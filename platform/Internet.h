#pragma once
// HTTP through the system's internet functions (WinInet on Windows).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace dx::platform {

enum class InternetAccess { Preconfig, Direct, Proxy };

struct InternetSessionOptions {
  std::string agent;
  InternetAccess access = InternetAccess::Preconfig;
  std::string proxy;        // "server:port" for InternetAccess::Proxy
  std::string proxyBypass;  // empty: none
  std::uint32_t connectTimeoutMs = 0;
  std::uint32_t receiveTimeoutMs = 0;
};

struct InternetReadResult {
  bool ok = false;
  std::string data;  // empty with ok: the end of the body
};

class IInternetRequest {
 public:
  virtual ~IInternetRequest() = default;
  virtual bool Send(const std::string& headers) = 0;
  virtual std::uint32_t StatusCode() = 0;
  // A response header by name ("Content-Length", "Last-Modified"); nothing when absent.
  virtual std::optional<std::string> Header(const std::string& name) = 0;
  virtual bool SetCredentials(const std::string& user, const std::string& password, bool forProxy) = 0;
  virtual InternetReadResult Read(std::size_t maxBytes) = 0;
  // The system's last error code for this request.
  virtual std::uint32_t LastError() = 0;
};

class IInternetSession {
 public:
  virtual ~IInternetSession() = default;
  // flags: the system's request flags (INTERNET_FLAG_*).
  virtual std::unique_ptr<IInternetRequest> OpenRequest(const std::string& url, std::uint32_t flags) = 0;
};

class IInternet {
 public:
  virtual ~IInternet() = default;
  virtual std::unique_ptr<IInternetSession> OpenSession(const InternetSessionOptions& options) = 0;
  // The system's own answer to "is this machine offline?".
  virtual bool IsOffline() = 0;
};

}  // namespace dx::platform
