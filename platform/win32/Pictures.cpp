#include "platform/win32/Pictures.h"

#include <objidl.h>
#include <shlwapi.h>
// GDI+'s headers use min and max unqualified.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "platform/win32/Scoped.h"

#include <mutex>

namespace dx::win32 {
namespace {

// GDI+ stays up for the life of the process once a picture needed it.
void EnsureGdiplus() {
  static std::once_flag once;
  std::call_once(once, [] {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
  });
}

Picture FromHandle(HBITMAP bitmap) {
  Picture picture;
  if (!bitmap) return picture;
  picture.bitmap.reset(bitmap);
  BITMAP info{};
  ::GetObjectA(bitmap, sizeof info, &info);
  picture.width = info.bmWidth;
  picture.height = info.bmHeight;
  return picture;
}

}  // namespace

Picture LoadPicture(int resourceId) {
  HMODULE module = ::GetModuleHandleA(nullptr);
  HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10));
  if (!found) return {};
  const void* bytes = ::LockResource(::LoadResource(module, found));
  const DWORD size = ::SizeofResource(module, found);
  if (!bytes || !size) return {};
  EnsureGdiplus();
  ComPtr<IStream> stream;
  *stream.put() = ::SHCreateMemStream(static_cast<const BYTE*>(bytes), size);
  if (!stream) return {};
  Gdiplus::Bitmap* decoded = Gdiplus::Bitmap::FromStream(stream.get());
  if (!decoded) return {};
  HBITMAP bitmap = nullptr;
  if (decoded->GetLastStatus() == Gdiplus::Ok) decoded->GetHBITMAP(Gdiplus::Color(0, 0, 0), &bitmap);
  delete decoded;
  return FromHandle(bitmap);
}

void DrawPicture(HDC dc, const Picture& picture, int x, int y) {
  if (!picture) return;
  ScopedCreatedDc memory(::CreateCompatibleDC(dc));
  const ScopedSelection selected(memory.get(), picture.get());
  ::BitBlt(dc, x, y, picture.width, picture.height, memory.get(), 0, 0, SRCCOPY);
}

}  // namespace dx::win32
