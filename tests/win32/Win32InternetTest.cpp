#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include "extras/HttpTransfer.h"
#include "platform/win32/Win32Internet.h"
#include "platform/win32/Win32UiThread.h"
#include "tests/win32/TestSupport.h"

namespace dx {
namespace {
namespace rf = platform::request_flag;

static_assert(rf::kReload == INTERNET_FLAG_RELOAD && rf::kHyperlink == INTERNET_FLAG_HYPERLINK &&
              rf::kResynchronize == INTERNET_FLAG_RESYNCHRONIZE && rf::kPragmaNoCache == INTERNET_FLAG_PRAGMA_NOCACHE &&
              rf::kNoCacheWrite == INTERNET_FLAG_NO_CACHE_WRITE && rf::kNeedFile == INTERNET_FLAG_NEED_FILE &&
              rf::kCacheIfNetFail == INTERNET_FLAG_CACHE_IF_NET_FAIL &&
              rf::kIgnoreCertCnInvalid == INTERNET_FLAG_IGNORE_CERT_CN_INVALID &&
              rf::kIgnoreCertDateInvalid == INTERNET_FLAG_IGNORE_CERT_DATE_INVALID &&
              rf::kIgnoreRedirectToHttp == INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP &&
              rf::kIgnoreRedirectToHttps == INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS &&
              rf::kKeepConnection == INTERNET_FLAG_KEEP_CONNECTION && rf::kNoAuth == INTERNET_FLAG_NO_AUTH &&
              rf::kNoAutoRedirect == INTERNET_FLAG_NO_AUTO_REDIRECT && rf::kNoCookies == INTERNET_FLAG_NO_COOKIES &&
              rf::kSecure == INTERNET_FLAG_SECURE,
              "the request flags are WinInet's");

void PumpUntil(win32::Win32UiThread& ui, const std::function<bool()>& done) {
  const DWORD started = ::GetTickCount();
  while (!done() && ::GetTickCount() - started < 10000) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    ui.ProcessMessages();
  }
}

TEST(Win32InternetTest, DownloadFilesReplaceHiddenOnesAndCanBeDiscarded) {
  test::TempFolder folder;
  const std::string path = folder.path() + "prog.exe.uTMP";
  win32::Win32Internet internet;
  auto created = internet.CreateDownloadFile(path, true);
  ASSERT_TRUE(created.file) << created.errorText;
  EXPECT_TRUE(created.file->Write("first"));
  EXPECT_TRUE(created.file->Close());
  EXPECT_TRUE(::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);

  created = internet.CreateDownloadFile(path, false);
  ASSERT_TRUE(created.file) << created.errorText;
  EXPECT_TRUE(created.file->Write("second"));
  created.file.reset();
  EXPECT_EQ(test::ReadWholeFile(path), "second");
  EXPECT_FALSE(::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);

  created = internet.CreateDownloadFile(path, true);
  ASSERT_TRUE(created.file);
  created.file->Write("partial");
  created.file->Discard();
  EXPECT_EQ(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);

  created = internet.CreateDownloadFile(folder.path() + "missing\\x.uTMP", true);
  EXPECT_FALSE(created.file);
  EXPECT_FALSE(created.errorText.empty());
}

TEST(Win32InternetTest, ARefusedLoopbackPortIsNoAnswer) {
  win32::Win32Internet internet;
  win32::Win32UiThread ui;
  struct Clock : platform::ILocaleClock {
    char DecimalSeparator() override { return '.'; }
    platform::DateTime Now() override { return {}; }
    platform::DateTime UtcNow() override { return {}; }
    std::string FormatShortDate(const platform::DateTime&) override { return {}; }
    std::string FormatLongTime(const platform::DateTime&) override { return {}; }
    platform::DateTime UtcToLocal(const platform::DateTime& t) override { return t; }
    std::uint32_t TickCount() override { return ::GetTickCount(); }
  } clock;
  THttpTransfer transfer(internet, ui, clock);
  transfer.Proxy.AccessType = atDirect;
  std::string outcome;
  transfer.OnNoAnswer = [&] { outcome = "no answer"; };
  transfer.OnComplete = [&](const std::string&, const std::string&, std::uint64_t) { outcome = "complete"; };
  transfer.OnHttpError = [&](int, const std::string&) { outcome = "http"; };
  // Port 9 (discard) is not served on this loopback.
  ASSERT_TRUE(transfer.Start("http://127.0.0.1:9/info.inf"));
  PumpUntil(ui, [&] { return !outcome.empty(); });
  EXPECT_EQ(outcome, "no answer");
}

}  // namespace
}  // namespace dx
