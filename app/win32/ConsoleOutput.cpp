#include "app/win32/ConsoleOutput.h"

namespace dx::win32 {

namespace {

void WriteAll(HANDLE handle, const std::string& bytes) {
  DWORD written = 0;
  std::size_t done = 0;
  while (done < bytes.size() &&
         ::WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) &&
         written > 0) {
    done += written;
  }
}

}  // namespace

ConsoleOutput::ConsoleOutput() {
  HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  const bool usable = out != nullptr && out != INVALID_HANDLE_VALUE && ::GetFileType(out) != FILE_TYPE_UNKNOWN;
  if (usable) inherited_ = out;
  // Where the inherited output already is the console, a second copy would print twice.
  if (usable && ::GetFileType(out) == FILE_TYPE_CHAR) return;
  if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
    console_.reset(::CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 0, nullptr));
  }
}

void ConsoleOutput::Line(const std::string& text) {
  const std::string line = text + "\r\n";
  if (inherited_) WriteAll(inherited_, line);
  if (console_) WriteAll(console_.get(), line);
}

}  // namespace dx::win32
