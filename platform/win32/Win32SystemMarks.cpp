#include "platform/win32/Win32SystemMarks.h"

#include <windows.h>

#include "platform/win32/Scoped.h"

namespace dx::win32 {
namespace {

class HeldMutex : public platform::IHeldMark {
 public:
  explicit HeldMutex(ScopedHandle mutex) : mutex_(std::move(mutex)) {}
  ~HeldMutex() override { ::ReleaseMutex(mutex_.get()); }

 private:
  ScopedHandle mutex_;
};

class NoMark : public platform::IHeldMark {};

}  // namespace

std::unique_ptr<platform::IHeldMark> Win32SystemMarks::TryTake(const std::string& name) {
  // Another user's mutex of that name may refuse this one access: the session's own
  // namespace still keeps copies of this user apart.
  for (const char* space : {"Global\\", "Local\\"}) {
    ScopedHandle mutex(::CreateMutexA(nullptr, FALSE, (space + name).c_str()));
    if (!mutex) {
      if (::GetLastError() == ERROR_ACCESS_DENIED) continue;
      break;
    }
    // Abandoned: its holder died in the middle of a benchmark, which is over now.
    const DWORD waited = ::WaitForSingleObject(mutex.get(), 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return std::make_unique<HeldMutex>(std::move(mutex));
    return nullptr;
  }
  return std::make_unique<NoMark>();
}

}  // namespace dx::win32
