#pragma once
// HTTP through the system's internet functions (WinInet on Windows): a session, a
// connection to one host, one request on it. Also the file a download is written into,
// so the body goes to disk piece by piece.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace dx::platform {

enum class InternetAccess { Preconfig, Direct, Proxy };

struct InternetSessionOptions {
  std::string agent;
  InternetAccess access = InternetAccess::Preconfig;
  std::string proxy;        // "server:port" for InternetAccess::Proxy
  std::string proxyBypass;  // empty: none
};

// The system's request flags (the values of WinInet's INTERNET_FLAG_*).
namespace request_flag {
inline constexpr std::uint32_t kReload = 0x80000000u;
inline constexpr std::uint32_t kHyperlink = 0x00000400u;
inline constexpr std::uint32_t kResynchronize = 0x00000800u;
inline constexpr std::uint32_t kPragmaNoCache = 0x00000100u;
inline constexpr std::uint32_t kNoCacheWrite = 0x04000000u;
inline constexpr std::uint32_t kNeedFile = 0x00000010u;
inline constexpr std::uint32_t kCacheIfNetFail = 0x00010000u;
inline constexpr std::uint32_t kIgnoreCertCnInvalid = 0x00001000u;
inline constexpr std::uint32_t kIgnoreCertDateInvalid = 0x00002000u;
inline constexpr std::uint32_t kIgnoreRedirectToHttp = 0x00008000u;
inline constexpr std::uint32_t kIgnoreRedirectToHttps = 0x00004000u;
inline constexpr std::uint32_t kKeepConnection = 0x00400000u;
inline constexpr std::uint32_t kNoAuth = 0x00040000u;
inline constexpr std::uint32_t kNoAutoRedirect = 0x00200000u;
inline constexpr std::uint32_t kNoCookies = 0x00080000u;
inline constexpr std::uint32_t kSecure = 0x00800000u;
}  // namespace request_flag

// Time-outs in milliseconds; 0 leaves the system's value.
struct InternetTimeouts {
  std::uint32_t connectMs = 0;
  std::uint32_t receiveMs = 0;
  std::uint32_t sendMs = 0;
};

struct InternetReadResult {
  bool ok = false;
  std::string data;  // empty with ok: the end of the body
};

class IInternetRequest {
 public:
  virtual ~IInternetRequest() = default;
  virtual void SetTimeouts(const InternetTimeouts& timeouts) = 0;
  // Sends the request without extra headers or body.
  virtual bool Send() = 0;
  // The status code as the server wrote it ("200"); empty before a status line was read.
  virtual std::string StatusText() = 0;
  // A response header by name ("Content-Length", "Last-Modified"); nothing when absent.
  virtual std::optional<std::string> Header(const std::string& name) = 0;
  // All response headers with their line ends.
  virtual std::string RawHeaders() = 0;
  // User name and password for the server, or for the proxy, for the next send.
  virtual bool SetCredentials(const std::string& user, const std::string& password, bool forProxy) = 0;
  virtual InternetReadResult Read(std::size_t maxBytes) = 0;
  // The system's last error code for this request.
  virtual std::uint32_t LastError() = 0;
};

class IInternetConnection {
 public:
  virtual ~IInternetConnection() = default;
  // flags: request_flag bits. acceptTypes is the one accepted-type entry.
  virtual std::unique_ptr<IInternetRequest> OpenRequest(const std::string& verb, const std::string& object,
                                                        const std::string& acceptTypes, std::uint32_t flags) = 0;
};

class IInternetSession {
 public:
  virtual ~IInternetSession() = default;
  // An HTTP connection to host:port; null when it fails.
  virtual std::unique_ptr<IInternetConnection> Connect(const std::string& host, std::uint16_t port,
                                                       const std::string& user, const std::string& password) = 0;
};

// A file being written by a download. Destruction closes it.
class IDownloadFile {
 public:
  virtual ~IDownloadFile() = default;
  virtual bool Write(std::string_view data) = 0;
  virtual bool Close() = 0;
  // Closes the file and deletes it.
  virtual void Discard() = 0;
  // The system's text for the last failed write or close.
  virtual std::string ErrorText() = 0;
};

struct DownloadFileResult {
  std::unique_ptr<IDownloadFile> file;  // null when it could not be created
  std::string errorText;                // the system's text then
};

class IInternet {
 public:
  virtual ~IInternet() = default;
  // Null when the session cannot be opened.
  virtual std::unique_ptr<IInternetSession> OpenSession(const InternetSessionOptions& options) = 0;
  // Creates path new (replacing a file of that name); hidden and temporary on request.
  virtual DownloadFileResult CreateDownloadFile(const std::string& path, bool hiddenTemporary) = 0;
};

}  // namespace dx::platform
