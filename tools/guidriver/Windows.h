#pragma once
// Reading and finding the windows of other processes for the GUI driver.
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace driver {

// What went wrong, for the user of the driver: exit code 1.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// The command itself is wrong: exit code 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string HandleText(HWND hwnd);
HWND ParseHandle(const std::string& text);
// A handle that still names a window; Failure otherwise.
HWND LiveHandle(const std::string& text);
long ParseNumber(const std::string& text);

bool SameText(const std::string& a, const std::string& b);
std::string ClassOf(HWND hwnd);
// The system class a control is built on (a superclassed "Button" gives "Button").
std::string BaseClassOf(HWND hwnd);
// The text through WM_GETTEXT, which a control of another process answers itself.
std::string TextOf(HWND hwnd);
DWORD ProcessOf(HWND hwnd);
// File name of the process's executable, without its folder; empty when unknown.
std::string ExeNameOf(DWORD processId);

// Items of a combo or list box.
std::vector<std::string> ItemsOf(HWND hwnd, bool combo);

struct TopFilter {
  std::string windowClass;  // empty: any
  std::string title;        // exact; empty: any
  bool titleGiven = false;
  DWORD processId = 0;      // 0: any
  std::string exe;          // empty: any
  bool visibleOnly = true;
};
std::vector<HWND> TopWindows(const TopFilter& filter);

struct ChildFilter {
  std::string windowClass;
  std::string text;
  bool textGiven = false;
  bool contains = false;  // text is a part of the control's text
  long id = -1;
  bool direct = false;    // only the parent's own children
  bool visibleOnly = false;
};
std::vector<HWND> ChildWindows(HWND parent, const ChildFilter& filter);

// key=value lines describing a window: what a test asserts on.
std::vector<std::string> StateOf(HWND hwnd);

// Lets the window's thread handle what was posted to it before.
void Sync(HWND hwnd);

void Screenshot(const std::string& file, HWND window);

}  // namespace driver
