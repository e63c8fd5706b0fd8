#pragma once
// HTTP through WinInet, and the download files it writes.
#include "platform/Internet.h"

namespace dx::win32 {

class Win32Internet : public platform::IInternet {
 public:
  std::unique_ptr<platform::IInternetSession> OpenSession(const platform::InternetSessionOptions& options) override;
  platform::DownloadFileResult CreateDownloadFile(const std::string& path, bool hiddenTemporary) override;
};

}  // namespace dx::win32
