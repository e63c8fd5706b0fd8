#include "platform/win32/UnexpectedError.h"

#include <windows.h>

#include <mutex>
#include <new>

namespace dx::win32 {
namespace {

std::mutex reporterLock;

UnexpectedErrorReporter& Reporter() {
  static UnexpectedErrorReporter reporter = [](const std::string& message) {
    ::MessageBoxA(::GetActiveWindow(), message.c_str(), "Dextrel", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  };
  return reporter;
}

}  // namespace

void SetUnexpectedErrorReporter(UnexpectedErrorReporter reporter) {
  std::lock_guard<std::mutex> lock(reporterLock);
  Reporter() = std::move(reporter);
}

void ReportUnexpectedError(const std::string& message) {
  UnexpectedErrorReporter reporter;
  {
    std::lock_guard<std::mutex> lock(reporterLock);
    reporter = Reporter();
  }
  if (reporter) reporter(message);
}

std::string UnexpectedErrorText(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    return "Out of memory";
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "An unexpected error occurred.";
  }
}

}  // namespace dx::win32
