// DextrelFrames32.dll / DextrelFrames64.dll: loaded by the game as its r_glDriver, it stamps
// every SwapBuffers of the game into the section Dextrel created for the run.
//
// Everything that may fail happens once, in DllMain, and uses only kernel32 functions that
// are safe under the loader lock. The per-frame path reads the performance counter, writes
// one stamp and calls on: no allocation, lock, file or other system call.
#include <windows.h>

#include <cstdint>

#include "platform/FrameSection.h"

extern "C" __declspec(dllimport) BOOL WINAPI wglSwapBuffers(HDC dc);

namespace {

using SwapBuffersFunction = BOOL(WINAPI*)(HDC);

dx::platform::FrameSectionHeader* section = nullptr;
std::int64_t* stamps = nullptr;
std::uint64_t capacity = 0;  // ours, from the view's real size: the section's own field is not trusted
SwapBuffersFunction originalSwapBuffers = nullptr;

inline void Stamp() {
  if (!section) return;
  const std::uint64_t count = section->count;
  if (count >= capacity) {
    section->overflow = 1;
    return;
  }
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  stamps[count] = now.QuadPart;
  section->count = count + 1;
}

bool SameAsciiText(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char x = *a, y = *b;
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
    if (!x) return true;
  }
}

// Maps the run's section when the variable names one of Dextrel's; false otherwise.
bool OpenSection() {
  wchar_t name[128];
  const DWORD length = ::GetEnvironmentVariableW(L"DEXTREL_FRAMES_SECTION", name, 128);
  if (length == 0 || length >= 128) return false;
  const char* prefix = dx::platform::kFrameSectionPrefix;
  for (DWORD i = 0; prefix[i]; ++i) {
    if (i >= length || name[i] != static_cast<wchar_t>(prefix[i])) return false;
  }
  HANDLE mapping = ::OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
  if (!mapping) return false;
  void* view = ::MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0);
  // The view keeps the section alive.
  ::CloseHandle(mapping);
  if (!view) return false;
  MEMORY_BASIC_INFORMATION region;
  auto* header = static_cast<dx::platform::FrameSectionHeader*>(view);
  if (::VirtualQuery(view, &region, sizeof region) < sizeof region || region.RegionSize < sizeof *header ||
      header->magic != dx::platform::kFrameSectionMagic || header->version != dx::platform::kFrameSectionVersion) {
    ::UnmapViewOfFile(view);
    return false;
  }
  const std::uint64_t room = (region.RegionSize - sizeof *header) / sizeof(std::int64_t);
  capacity = header->capacity < room ? header->capacity : room;
  stamps = reinterpret_cast<std::int64_t*>(header + 1);
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  header->frequency = frequency.QuadPart;
  section = header;
  return true;
}

// The main module's import slot of gdi32's SwapBuffers, or null.
SwapBuffersFunction* SwapBuffersSlot() {
  auto* base = reinterpret_cast<unsigned char*>(::GetModuleHandleW(nullptr));
  if (!base) return nullptr;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE) return nullptr;
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return nullptr;
  // For a table without names (bound by a linker that drops them) the slot is found by the
  // address it holds.
  HMODULE gdi32 = ::GetModuleHandleW(L"gdi32.dll");
  const FARPROC known = gdi32 ? ::GetProcAddress(gdi32, "SwapBuffers") : nullptr;
  for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
       ++entry) {
    if (!SameAsciiText(reinterpret_cast<const char*>(base + entry->Name), "gdi32.dll")) continue;
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
    const auto* names =
        entry->OriginalFirstThunk ? reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk) : nullptr;
    for (std::size_t i = 0; slots[i].u1.Function; ++i) {
      bool match = false;
      if (names && !IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal)) {
        const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData);
        match = SameAsciiText(reinterpret_cast<const char*>(byName->Name), "SwapBuffers");
      } else {
        match = known && slots[i].u1.Function == reinterpret_cast<ULONG_PTR>(known);
      }
      if (match) return reinterpret_cast<SwapBuffersFunction*>(&slots[i].u1.Function);
    }
  }
  return nullptr;
}

BOOL WINAPI StampedSwapBuffers(HDC dc) {
  Stamp();
  return originalSwapBuffers(dc);
}

bool Redirect(SwapBuffersFunction* slot) {
  DWORD protection = 0;
  if (!::VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) return false;
  originalSwapBuffers = *slot;
  *slot = StampedSwapBuffers;
  ::VirtualProtect(slot, sizeof *slot, protection, &protection);
  return true;
}

void Attach(HINSTANCE self) {
  if (!OpenSection()) return;
  // The game's import table will lead here for the rest of the process: the engine's
  // FreeLibrary must not take the code away.
  HMODULE pinned = nullptr;
  if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(self), &pinned)) {
    return;
  }
  SwapBuffersFunction* slot = SwapBuffersSlot();
  if (slot && Redirect(slot)) section->redirected = 1;
}

}  // namespace

// For a game that takes its OpenGL entry points from the library it loaded; every other
// one is forwarded to the system's opengl32 by the module definition.
extern "C" BOOL WINAPI StampedWglSwapBuffers(HDC dc) {
  Stamp();
  return ::wglSwapBuffers(dc);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) Attach(self);
  return TRUE;
}
