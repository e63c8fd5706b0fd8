#include "platform/win32/Win32FrameCapture.h"

#include <windows.h>
#include <bcrypt.h>
#include <sddl.h>

#include <cstring>
#include <memory>

#include "platform/FrameSection.h"
#include "platform/win32/Scoped.h"

namespace dx::win32 {
namespace {

struct LocalFreeDeleter {
  void operator()(void* p) const { ::LocalFree(p); }
};

// This user's SID as text ("S-1-5-21-..."), empty when the token cannot tell.
std::wstring CurrentUserSid() {
  ScopedHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
  DWORD size = 0;
  ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  auto buffer = std::make_unique<unsigned char[]>(size);
  if (!::GetTokenInformation(token.get(), TokenUser, buffer.get(), size, &size)) return {};
  wchar_t* text = nullptr;
  if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.get())->User.Sid, &text)) return {};
  std::unique_ptr<void, LocalFreeDeleter> owned(text);
  return text;
}

std::string RandomHex(std::size_t bytes) {
  unsigned char random[32] = {};
  if (bytes > sizeof random || !BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, random, static_cast<ULONG>(bytes),
                                                                  BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
    return {};
  }
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < bytes; ++i) {
    text.push_back(digits[random[i] >> 4]);
    text.push_back(digits[random[i] & 15]);
  }
  return text;
}

class Win32FrameSection : public platform::IFrameSection {
 public:
  Win32FrameSection(std::string name, ScopedHandle mapping, ScopedView view)
      : name_(std::move(name)), mapping_(std::move(mapping)), view_(std::move(view)) {}

  const std::string& Name() const override { return name_; }

  platform::FrameStamps Read() override {
    platform::FrameStamps result;
    // The game could have written anything here; only the fields it owns are taken, and
    // only as far as the section reaches.
    platform::FrameSectionHeader header;
    std::memcpy(&header, view_.get(), sizeof header);
    if (header.magic != platform::kFrameSectionMagic || header.version != platform::kFrameSectionVersion ||
        header.capacity != platform::kFrameSectionCapacity || header.count > platform::kFrameSectionCapacity) {
      result.errorText = "the frame-time section was damaged";
      return result;
    }
    const auto* stamps = reinterpret_cast<const std::int64_t*>(static_cast<const unsigned char*>(view_.get()) +
                                                               sizeof(platform::FrameSectionHeader));
    result.stamps.assign(stamps, stamps + header.count);
    result.frequency = header.frequency;
    result.overflow = header.overflow != 0;
    result.redirected = header.redirected != 0;
    result.ok = true;
    return result;
  }

 private:
  std::string name_;
  ScopedHandle mapping_;
  ScopedView view_;
};

}  // namespace

platform::FrameSectionResult Win32FrameCapture::CreateSection() {
  platform::FrameSectionResult result;
  const std::string random = RandomHex(16);
  const std::wstring user = CurrentUserSid();
  if (random.empty() || user.empty()) {
    result.errorText = "no name or owner for a frame-time section";
    return result;
  }
  const std::string name = platform::kFrameSectionPrefix + random;

  // Protected from inheritance; full access for the system, the Administrators and this user.
  const std::wstring sddl = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;" + user + L")";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
    result.errorText = SystemErrorText(::GetLastError());
    return result;
  }
  std::unique_ptr<void, LocalFreeDeleter> ownedDescriptor(descriptor);
  SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};

  const std::uint64_t bytes = platform::FrameSectionBytes(platform::kFrameSectionCapacity);
  const std::wstring wideName(name.begin(), name.end());
  ScopedHandle mapping(::CreateFileMappingW(INVALID_HANDLE_VALUE, &security, PAGE_READWRITE,
                                            static_cast<DWORD>(bytes >> 32), static_cast<DWORD>(bytes),
                                            wideName.c_str()));
  if (!mapping) {
    result.errorText = SystemErrorText(::GetLastError());
    return result;
  }
  // A section of that name that was there before is someone else's.
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    result.errorText = "a frame-time section of that name exists already";
    return result;
  }
  ScopedView view(::MapViewOfFile(mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
  if (!view) {
    result.errorText = SystemErrorText(::GetLastError());
    return result;
  }
  platform::FrameSectionHeader header{};
  header.magic = platform::kFrameSectionMagic;
  header.version = platform::kFrameSectionVersion;
  header.capacity = platform::kFrameSectionCapacity;
  std::memcpy(view.get(), &header, sizeof header);
  result.section = std::make_unique<Win32FrameSection>(name, std::move(mapping), std::move(view));
  return result;
}

}  // namespace dx::win32
