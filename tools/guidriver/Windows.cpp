#include "tools/guidriver/Windows.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/win32/Scoped.h"

namespace driver {
namespace {

const UINT kTimeoutMs = 3000;

LRESULT Ask(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kTimeoutMs, &result)) {
    throw Failure("window " + HandleText(hwnd) + " does not answer (hung or gone)");
  }
  return static_cast<LRESULT>(result);
}

// Strings cross the process boundary as UTF-16 (ANSI replies come back unconverted in
// wine); the driver speaks the system code page.
std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr, nullptr);
  return text;
}

LRESULT AskWide(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kTimeoutMs, &result)) {
    throw Failure("window " + HandleText(hwnd) + " does not answer (hung or gone)");
  }
  return static_cast<LRESULT>(result);
}

// A text whose length one message gives and another fills in.
std::string WideReply(HWND hwnd, UINT lengthMessage, UINT textMessage, WPARAM wParam, bool bufferSizeInWParam) {
  const LRESULT length = AskWide(hwnd, lengthMessage, bufferSizeInWParam ? 0 : wParam, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT got = AskWide(hwnd, textMessage, bufferSizeInWParam ? text.size() : wParam,
                              reinterpret_cast<LPARAM>(text.data()));
  text.resize(got > 0 ? std::min(static_cast<std::size_t>(got), text.size()) : 0);
  return Narrow(text.c_str());
}

std::string Rect(const RECT& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
         std::to_string(r.bottom);
}

}  // namespace

std::string HandleText(HWND hwnd) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)));
  return text;
}

HWND ParseHandle(const std::string& text) {
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text.c_str(), &end, 16);
  if (text.empty() || *end != '\0' || value == 0) throw UsageError("not a window handle: '" + text + "'");
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
}

HWND LiveHandle(const std::string& text) {
  HWND hwnd = ParseHandle(text);
  if (!::IsWindow(hwnd)) throw Failure("no window " + text);
  return hwnd;
}

long ParseNumber(const std::string& text) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 0);
  if (text.empty() || *end != '\0') throw UsageError("not a number: '" + text + "'");
  return value;
}

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::string ClassOf(HWND hwnd) {
  char name[256] = {};
  ::GetClassNameA(hwnd, name, sizeof name);
  return name;
}

std::string BaseClassOf(HWND hwnd) {
  char name[256] = {};
  ::RealGetWindowClassA(hwnd, name, sizeof name);
  return name;
}

std::string TextOf(HWND hwnd) { return WideReply(hwnd, WM_GETTEXTLENGTH, WM_GETTEXT, 0, true); }

DWORD ProcessOf(HWND hwnd) {
  DWORD id = 0;
  ::GetWindowThreadProcessId(hwnd, &id);
  return id;
}

std::string ExeNameOf(DWORD processId) {
  const dx::win32::ScopedHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  char path[MAX_PATH] = {};
  DWORD size = sizeof path;
  if (!::QueryFullProcessImageNameA(process.get(), 0, path, &size)) return {};
  std::string name(path, size);
  const std::size_t slash = name.find_last_of("\\/");
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::vector<std::string> ItemsOf(HWND hwnd, bool combo) {
  std::vector<std::string> items;
  const LRESULT count = Ask(hwnd, combo ? CB_GETCOUNT : LB_GETCOUNT);
  for (LRESULT i = 0; i < count; ++i) {
    items.push_back(combo ? WideReply(hwnd, CB_GETLBTEXTLEN, CB_GETLBTEXT, static_cast<WPARAM>(i), false)
                          : WideReply(hwnd, LB_GETTEXTLEN, LB_GETTEXT, static_cast<WPARAM>(i), false));
  }
  return items;
}

std::vector<HWND> TopWindows(const TopFilter& filter) {
  struct Search {
    const TopFilter* filter;
    std::vector<HWND> found;
  } search{&filter, {}};
  ::EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        const TopFilter& f = *s->filter;
        if (f.visibleOnly && !::IsWindowVisible(hwnd)) return TRUE;
        if (!f.windowClass.empty() && !SameText(ClassOf(hwnd), f.windowClass)) return TRUE;
        const DWORD pid = ProcessOf(hwnd);
        if (f.processId && pid != f.processId) return TRUE;
        if (!f.exe.empty() && !SameText(ExeNameOf(pid), f.exe)) return TRUE;
        if (f.titleGiven) {
          char title[1024] = {};
          ::GetWindowTextA(hwnd, title, sizeof title);  // a top-level caption is kept by the system
          if (f.title != title) return TRUE;
        }
        s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> ChildWindows(HWND parent, const ChildFilter& filter) {
  struct Search {
    HWND parent;
    const ChildFilter* filter;
    std::vector<HWND> found;
  } search{parent, &filter, {}};
  ::EnumChildWindows(
      parent,
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        const ChildFilter& f = *s->filter;
        if (f.direct && ::GetParent(hwnd) != s->parent) return TRUE;
        if (f.visibleOnly && !::IsWindowVisible(hwnd)) return TRUE;
        if (!f.windowClass.empty() && !SameText(ClassOf(hwnd), f.windowClass)) return TRUE;
        if (f.id >= 0 && ::GetDlgCtrlID(hwnd) != f.id) return TRUE;
        if (f.textGiven) {
          std::string text;
          try {
            text = TextOf(hwnd);
          } catch (const Failure&) {
            return TRUE;
          }
          if (f.contains ? text.find(f.text) == std::string::npos : text != f.text) return TRUE;
        }
        s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<std::string> StateOf(HWND hwnd) {
  std::vector<std::string> lines;
  const std::string base = BaseClassOf(hwnd);
  RECT rect{};
  ::GetWindowRect(hwnd, &rect);
  lines.push_back("hwnd=" + HandleText(hwnd));
  lines.push_back("class=" + ClassOf(hwnd));
  lines.push_back("base=" + base);
  lines.push_back("pid=" + std::to_string(ProcessOf(hwnd)));
  lines.push_back("id=" + std::to_string(::GetDlgCtrlID(hwnd)));
  lines.push_back("text=" + TextOf(hwnd));
  lines.push_back(std::string("enabled=") + (::IsWindowEnabled(hwnd) ? "1" : "0"));
  lines.push_back(std::string("visible=") + (::IsWindowVisible(hwnd) ? "1" : "0"));
  lines.push_back("rect=" + Rect(rect));
  char style[32];
  std::snprintf(style, sizeof style, "0x%08lx", static_cast<unsigned long>(::GetWindowLongA(hwnd, GWL_STYLE)));
  lines.push_back(std::string("style=") + style);
  // Custom controls may answer the check message too; a plain window says 0.
  lines.push_back("checked=" + std::to_string(Ask(hwnd, BM_GETCHECK)));
  const bool combo = SameText(base, "ComboBox");
  if (combo || SameText(base, "ListBox")) {
    lines.push_back("index=" + std::to_string(Ask(hwnd, combo ? CB_GETCURSEL : LB_GETCURSEL)));
    const auto items = ItemsOf(hwnd, combo);
    lines.push_back("count=" + std::to_string(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) lines.push_back("item" + std::to_string(i) + "=" + items[i]);
  }
  if (SameText(base, "Edit")) {
    lines.push_back("limit=" + std::to_string(Ask(hwnd, EM_GETLIMITTEXT)));
    lines.push_back(std::string("readonly=") + ((::GetWindowLongA(hwnd, GWL_STYLE) & ES_READONLY) ? "1" : "0"));
  }
  return lines;
}

void Sync(HWND hwnd) {
  // A message sent after the posted ones is handled once the thread is back in its
  // loop; twice, because the first may overtake the posted input.
  for (int i = 0; i < 2; ++i) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    ::Sleep(20);
  }
}

void Screenshot(const std::string& file, HWND window) {
  RECT area{};
  if (window) {
    ::GetWindowRect(window, &area);
  } else {
    area.left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    area.top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    area.right = area.left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    area.bottom = area.top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
  }
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) throw Failure("nothing to capture: empty area");
  const dx::win32::ScopedWindowDc screen(nullptr);
  const dx::win32::ScopedCreatedDc memory(::CreateCompatibleDC(screen.get()));
  const dx::win32::ScopedGdiObject bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
  {
    const dx::win32::ScopedSelection selected(memory.get(), bitmap.get());
    ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY | CAPTUREBLT);
  }

  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // bottom-up, as BMP files keep their rows
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const int stride = (width * 3 + 3) & ~3;
  std::string pixels(static_cast<std::size_t>(stride) * height, '\0');
  const int rows = ::GetDIBits(memory.get(), static_cast<HBITMAP>(bitmap.get()), 0, height, pixels.data(),
                               reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  if (rows != height) throw Failure("the screen could not be read");

  BITMAPFILEHEADER fileHeader{};
  fileHeader.bfType = 0x4D42;
  fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
  fileHeader.bfSize = fileHeader.bfOffBits + static_cast<DWORD>(pixels.size());
  header.biSizeImage = static_cast<DWORD>(pixels.size());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  if (!out.flush()) throw Failure("cannot write " + file);
}

}  // namespace driver
