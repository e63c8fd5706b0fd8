// Fetches one URL through THttpTransfer and WinInet and prints what it was told, for
// the end-to-end tests and the transfer benchmark. With --bare it times a plain
// InternetOpenUrl read loop instead, as the benchmark's reference; with --floor the same
// loop on a worker that sends every piece synchronously to a window of the main thread,
// the least any design that hands each piece over that way can cost.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "extras/HttpTransfer.h"
#include "platform/win32/Win32Internet.h"
#include "platform/win32/Win32LocaleClock.h"
#include "platform/win32/Win32UiThread.h"
#include "platform/win32/Window.h"

namespace {

// The bare read loop; every piece read goes to onPiece. Prints the outcome.
int ReadLoop(const std::string& url, const std::function<void(DWORD)>& onPiece) {
  const DWORD started = ::GetTickCount();
  HINTERNET session = ::InternetOpenA("probe", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET request = session ? ::InternetOpenUrlA(session, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0) : nullptr;
  if (!request) {
    std::printf("outcome=no answer\n");
    return 1;
  }
  char buffer[4096];
  DWORD got = 0;
  unsigned long long total = 0;
  while (::InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0) {
    total += got;
    onPiece(got);
  }
  ::InternetCloseHandle(request);
  ::InternetCloseHandle(session);
  std::printf("outcome=complete\nbytes=%llu\nms=%lu\n", total, ::GetTickCount() - started);
  return 0;
}

int Bare(const std::string& url) {
  return ReadLoop(url, [](DWORD) {});
}

class PieceWindow : public dx::win32::Window {
 public:
  static constexpr UINT kPiece = WM_APP + 7;
  static constexpr UINT kDone = WM_APP + 8;
  PieceWindow() { CreateWindowFor({"DextrelProbePieces"}, 0, "", 0, 0, 0, 0, 0, HWND_MESSAGE); }
  unsigned long long received = 0;
  bool done = false;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kPiece) {
      received += wParam;
      return 0;
    }
    if (message == kDone) {
      done = true;
      return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
  }
};

int Floor(const std::string& url) {
  PieceWindow window;
  int result = 1;
  std::thread worker([&] {
    result = ReadLoop(url, [&](DWORD got) { ::SendMessageA(window.hwnd(), PieceWindow::kPiece, got, 0); });
    ::PostMessageA(window.hwnd(), PieceWindow::kDone, 0, 0);
  });
  MSG msg;
  while (!window.done && ::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  worker.join();
  std::printf("handed=%llu\n", window.received);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  std::string url, file;
  dx::win32::Win32Internet internet;
  dx::win32::Win32UiThread ui;
  dx::win32::Win32LocaleClock clock;
  dx::THttpTransfer transfer(internet, ui, clock);
  bool quiet = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto next = [&] { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
    if (arg == "--bare") return Bare(next());
    if (arg == "--floor") return Floor(next());
    if (arg == "--file") {
      file = next();
    } else if (arg == "--direct") {
      transfer.Proxy.AccessType = dx::atDirect;
    } else if (arg == "--proxy") {
      const std::string proxy = next();
      transfer.Proxy.AccessType = dx::atUseProxy;
      transfer.Proxy.ProxyServer = proxy.substr(0, proxy.find(':'));
      transfer.Proxy.ProxyPort = std::atoi(proxy.substr(proxy.find(':') + 1).c_str());
    } else if (arg == "--bypass") {
      transfer.Proxy.ProxyBypass = next();
    } else if (arg == "--proxy-user") {
      transfer.Proxy.ProxyUsername = next();
    } else if (arg == "--proxy-password") {
      transfer.Proxy.ProxyPassword = next();
    } else if (arg == "--hide") {
      transfer.HideDownloadedFile = true;
    } else if (arg == "--timeout") {
      const auto ms = static_cast<std::uint32_t>(std::atoi(next().c_str()));
      transfer.Timeouts = {ms, ms, ms};
    } else if (arg == "--quiet") {
      quiet = true;
    } else {
      url = arg;
    }
  }

  std::string outcome;
  int status = -1;
  unsigned long long bytes = 0;
  int progressReports = 0, lastPercent = -1;
  bool fromUiThread = true;
  const DWORD uiThread = ::GetCurrentThreadId();
  // The outcome wakes the message loop below, which otherwise waits for posted messages.
  const auto finish = [&](std::string text) {
    outcome = std::move(text);
    ::PostThreadMessageA(uiThread, WM_NULL, 0, 0);
  };
  std::string lastModified = "none";
  transfer.OnHeaders = [&](const dx::THttpHeaders& h, bool&) {
    status = h.status;
    fromUiThread = fromUiThread && ::GetCurrentThreadId() == uiThread;
    if (h.lastModifiedUtc) {
      char text[32];
      std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", h.lastModifiedUtc->year,
                    h.lastModifiedUtc->month, h.lastModifiedUtc->day, h.lastModifiedUtc->hour,
                    h.lastModifiedUtc->minute, h.lastModifiedUtc->second);
      lastModified = text;
    }
  };
  transfer.OnProgress = [&](const dx::TTransferProgress& p) {
    ++progressReports;
    lastPercent = p.percent;
    bytes = p.bytesReceived;
    fromUiThread = fromUiThread && ::GetCurrentThreadId() == uiThread;
  };
  transfer.OnComplete = [&](const std::string&, const std::string& data, std::uint64_t n) {
    finish("complete");
    bytes = n;
    if (!quiet && file.empty()) std::printf("body=%.*s\n", static_cast<int>(std::min<size_t>(data.size(), 64)), data.c_str());
  };
  transfer.OnConnectionLost = [&] { finish("lost"); };
  transfer.OnNoAnswer = [&] { finish("no answer"); };
  transfer.OnHttpError = [&](int s, const std::string&) { finish("http " + std::to_string(s)); };
  transfer.OnNotWanted = [&] { finish("not wanted"); };
  transfer.OnTargetFileError = [&](const std::string&, const std::string& text) { finish("file error " + text); };

  const DWORD started = ::GetTickCount();
  if (!transfer.Start(url, file)) return 2;
  // A message loop like the program's: sent calls are handled inside GetMessage.
  MSG msg;
  while (outcome.empty() && ::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  const DWORD elapsed = ::GetTickCount() - started;
  std::printf("outcome=%s\nstatus=%d\nbytes=%llu\nprogress=%d\npercent=%d\nuithread=%d\nlastmodified=%s\nms=%lu\n",
              outcome.c_str(), status, bytes, progressReports, lastPercent, fromUiThread ? 1 : 0,
              lastModified.c_str(), elapsed);
  if (!file.empty()) {
    const DWORD attributes = ::GetFileAttributesA(file.c_str());
    std::printf("file=%s\nattributes=%lx\n", attributes == INVALID_FILE_ATTRIBUTES ? "missing"
                             : (attributes & FILE_ATTRIBUTE_HIDDEN) ? "hidden"
                                                                     : "plain",
                attributes);
  }
  std::fflush(stdout);
  return 0;
}
