#pragma once
// Lines for the person who started the program from a shell: the standard output it
// inherited (a file, a pipe, or wine's terminal), and the console of the command prompt
// it was started from where Windows gives a GUI program none.
#include <windows.h>

#include <string>

#include "platform/win32/Scoped.h"

namespace dx::win32 {

class ConsoleOutput {
 public:
  ConsoleOutput();
  ConsoleOutput(const ConsoleOutput&) = delete;
  ConsoleOutput& operator=(const ConsoleOutput&) = delete;
  // False when the line reaches nobody.
  bool Available() const { return inherited_ != nullptr || console_; }
  void Line(const std::string& text);

 private:
  HANDLE inherited_ = nullptr;  // the process's own standard output: not closed here
  ScopedFile console_;
};

}  // namespace dx::win32
