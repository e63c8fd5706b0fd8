#pragma once
// The program-wide handler for errors no handler catches: the message dispatch calls
// every handler through it, so the error ends that handler only, the user sees its
// text and the program goes on.
#include <exception>
#include <functional>
#include <string>

namespace dx::win32 {

using UnexpectedErrorReporter = std::function<void(const std::string& message)>;

// The default shows the text in an error box. Tests put a recorder in its place.
void SetUnexpectedErrorReporter(UnexpectedErrorReporter reporter);
void ReportUnexpectedError(const std::string& message);
// The text the user is shown for a caught exception.
std::string UnexpectedErrorText(const std::exception_ptr& error);

// Runs call; an exception escaping it is reported. Returns false when one did.
template <typename Call>
bool RunGuarded(Call&& call) noexcept {
  try {
    call();
    return true;
  } catch (...) {
    try {
      ReportUnexpectedError(UnexpectedErrorText(std::current_exception()));
    } catch (...) {
      // A reporter that fails must not take the message loop down with it.
    }
    return false;
  }
}

}  // namespace dx::win32
