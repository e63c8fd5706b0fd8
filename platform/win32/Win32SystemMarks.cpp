#include "platform/win32/Win32SystemMarks.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "platform/win32/Scoped.h"

namespace dx::win32 {
namespace {

constexpr const wchar_t* kNamespace = L"Dextrel";
// Owned by the Administrators, for the Administrators and the system only.
constexpr const wchar_t* kAdministratorsOnly = L"O:BAD:P(A;;GA;;;BA)(A;;GA;;;SY)";

class HeldMutex : public platform::IHeldMark {
 public:
  HeldMutex(ScopedHandle mutex, ScopedPrivateNamespace space) : space_(std::move(space)), mutex_(std::move(mutex)) {}
  ~HeldMutex() override { ::ReleaseMutex(mutex_.get()); }

 private:
  ScopedPrivateNamespace space_;  // closed after the mutex
  ScopedHandle mutex_;
};

std::wstring Wide(const std::string& text) {
  std::wstring out;
  for (unsigned char c : text) out += static_cast<wchar_t>(c);
  return out;
}

platform::MarkAttempt Failed(DWORD code) { return {nullptr, true, SystemErrorText(code)}; }

bool OwnedByAdministrators(HANDLE object) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const ScopedLocalMemory held(descriptor);
  return owner && (::IsWellKnownSid(owner, WinBuiltinAdministratorsSid) || ::IsWellKnownSid(owner, WinLocalSystemSid));
}

platform::MarkAttempt Hold(ScopedHandle mutex, ScopedPrivateNamespace space) {
  // Abandoned: its holder died, which the journal it left tells the rest of.
  const DWORD waited = ::WaitForSingleObject(mutex.get(), 0);
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
    return {std::make_unique<HeldMutex>(std::move(mutex), std::move(space)), false, {}};
  }
  if (waited == WAIT_TIMEOUT) return {};
  return Failed(::GetLastError());
}

}  // namespace

platform::MarkAttempt Win32SystemMarks::TryTake(const std::string& name) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdministratorsOnly, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
    return Failed(::GetLastError());
  }
  const ScopedLocalMemory heldDescriptor(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};

  // Only the W forms: a system without private namespaces may lack the A ones entirely.
  ScopedBoundary boundary(::CreateBoundaryDescriptorW(kNamespace, 0));
  if (boundary) {
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    HANDLE bounded = boundary.get();
    if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) ||
        !::AddSIDToBoundaryDescriptor(&bounded, administrators)) {
      return Failed(::GetLastError());
    }
    boundary.release();
    boundary.reset(bounded);
    ScopedPrivateNamespace space(::CreatePrivateNamespaceW(&attributes, boundary.get(), kNamespace));
    if (!space && ::GetLastError() == ERROR_ALREADY_EXISTS) {
      space.reset(::OpenPrivateNamespaceW(boundary.get(), kNamespace));
    }
    if (!space) return Failed(::GetLastError());
    ScopedHandle mutex(::CreateMutexW(&attributes, FALSE, (std::wstring(kNamespace) + L"\\" + Wide(name)).c_str()));
    if (!mutex) return Failed(::GetLastError());
    return Hold(std::move(mutex), std::move(space));
  }

  // No private namespaces here (wine): the machine-wide name, refused when anyone but the
  // Administrators made it, since its maker could hold it or let it go at will.
  ScopedHandle mutex(::CreateMutexW(&attributes, FALSE, (L"Global\\" + Wide(name)).c_str()));
  if (!mutex) return Failed(::GetLastError());
  if (::GetLastError() == ERROR_ALREADY_EXISTS && !OwnedByAdministrators(mutex.get())) {
    return {nullptr, true, "An object of the same name was made by another user."};
  }
  return Hold(std::move(mutex), {});
}

}  // namespace dx::win32
