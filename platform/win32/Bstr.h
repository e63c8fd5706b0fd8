#pragma once
// An owned BSTR, for the COM calls that take text.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

namespace dx::win32 {

class ScopedBstr {
 public:
  explicit ScopedBstr(const std::wstring& text)
      : text_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  // From the program's own (ANSI) text.
  explicit ScopedBstr(const std::string& text) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::vector<wchar_t> wide(static_cast<std::size_t>(length) + 1, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), wide.data(), length);
    text_ = ::SysAllocStringLen(wide.data(), static_cast<UINT>(length));
  }
  ~ScopedBstr() { ::SysFreeString(text_); }
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  BSTR get() const { return text_; }

 private:
  BSTR text_ = nullptr;
};

}  // namespace dx::win32
