// guidriver.exe: finds the windows and controls of another process and acts on them as a
// user would, for end-to-end tests. One command per invocation, or several separated by
// a lone ";". A command that produces a window handle remembers it as $_ (and under
// --as NAME as $NAME) for the commands after it:
//   guidriver wait-window --class TForm1 ; find --parent $_ --text Run ; click $_
// Handles are written and read in hexadecimal (0x1a2b). Exit code 0 when every command
// succeeded, 1 when one failed (nothing found, a time-out, a state not reached), 2 for a
// command that is wrong in itself. Messages go to standard error.
//
// Commands (MS: milliseconds; X,Y: a point in the window's client area, default its centre):
//   wait-window [--class C] [--title T] [--pid N] [--exe NAME] [--timeout MS] [--any]
//                                  a visible (--any: any) top-level window; prints its handle
//   wait-gone HWND [--timeout MS]  until the window no longer exists or is hidden
//   find --parent HWND [--class C] [--text T [--contains]] [--id N] [--index K] [--direct]
//        [--visible] [--timeout MS]  a child control at any depth (--direct: children only);
//                                  --index picks the K-th match (0-based); prints its handle
//   click HWND [--button left|right|middle] [--at X,Y] [--input]
//                                  a button's own click (BM_CLICK) or a press and release at
//                                  the point; --input moves the real cursor and uses SendInput
//   rclick HWND [--at X,Y] [--input]   click with the right button
//   press HWND / release HWND [--button B] [--at X,Y] [--input]   only the press or the release
//   tick HWND on|off               clicks a check box when its state differs, then checks it
//   select HWND (--index K | --text T)  picks a combo or list box item and tells the parent,
//                                  as a user's choice does (CBN_SELCHANGE / LBN_SELCHANGE)
//   type HWND TEXT [--replace] [--utf8-hex]   WM_CHAR per character; --replace selects all
//                                  first; --utf8-hex: TEXT is UTF-8 in hex digits, typed as
//                                  Unicode characters (what a keyboard of another script sends)
//   key HWND VK [--alt] [--ctrl] [--shift] [--input]   a key press: F4, RETURN, ESCAPE, TAB,
//                                  SPACE, a letter or digit, or a number (e.g. 0x70)
//   hover HWND [--at X,Y]          moves the real cursor over the control
//   leave HWND [--to SX,SY]        moves it away (default: outside the control's top-level window)
//   text HWND                      prints the window's text
//   state HWND                     prints key=value lines: class, id, text, enabled, visible,
//                                  rect, style, checked, and index/count/itemN or limit
//   wait-state HWND KEY=VALUE... [--timeout MS]   until the state shows every pair
//   rect HWND [--client]           prints "left top right bottom" (screen; --client: client area)
//   foreground                     prints the foreground window's handle and process id
//   close HWND                     asks the window to close (WM_CLOSE)
//   message-box [--pid N] [--exe NAME] [--timeout MS]
//                                  waits for a message box; prints hwnd=, title=, text=, buttons=
//   answer HWND ok|cancel|yes|no|abort|retry|ignore   clicks that button and waits for the box to go
//   list [--pid N] [--exe NAME] [--all]   top-level windows (--all: hidden ones too)
//   tree HWND                      the window's descendants, indented
//   screenshot FILE.bmp [--window HWND]   a 24-bit BMP of the window or the whole screen
//   sleep MS
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/guidriver/Windows.h"

namespace driver {
namespace {

const std::set<std::string> kFlags = {"--replace", "--input", "--direct", "--visible", "--any", "--all",
                                      "--client",  "--alt",   "--ctrl",   "--shift",   "--contains", "--utf8-hex"};

struct Command {
  std::string name;
  std::vector<std::string> words;
  std::map<std::string, std::string> options;

  bool Has(const std::string& option) const { return options.count(option) > 0; }
  std::string Option(const std::string& option, const std::string& fallback = {}) const {
    const auto found = options.find(option);
    return found == options.end() ? fallback : found->second;
  }
  DWORD Timeout(DWORD fallback) const {
    return Has("--timeout") ? static_cast<DWORD>(ParseNumber(Option("--timeout"))) : fallback;
  }
  const std::string& Word(std::size_t index, const char* what) const {
    if (index >= words.size()) throw UsageError(name + ": missing " + what);
    return words[index];
  }
};

std::map<std::string, std::string> variables;

void Print(const std::string& line) {
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void Remember(const Command& command, HWND hwnd) {
  variables["_"] = HandleText(hwnd);
  if (command.Has("--as")) variables[command.Option("--as")] = HandleText(hwnd);
}

std::string Expand(const std::string& word) {
  if (word.size() < 2 || word[0] != '$') return word;
  const auto found = variables.find(word.substr(1));
  if (found == variables.end()) throw UsageError("no value for " + word);
  return found->second;
}

Command Parse(const std::vector<std::string>& tokens) {
  Command command;
  command.name = tokens.at(0);
  for (std::size_t i = 1; i < tokens.size(); ++i) {
    const std::string& token = tokens[i];
    if (token.size() > 2 && token.compare(0, 2, "--") == 0) {
      if (kFlags.count(token)) {
        command.options[token] = "1";
      } else if (i + 1 < tokens.size()) {
        command.options[token] = Expand(tokens[++i]);
      } else {
        throw UsageError(command.name + ": " + token + " needs a value");
      }
    } else {
      command.words.push_back(Expand(token));
    }
  }
  return command;
}

POINT ParsePoint(const std::string& text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string::npos) throw UsageError("not a point X,Y: '" + text + "'");
  return {ParseNumber(text.substr(0, comma)), ParseNumber(text.substr(comma + 1))};
}

POINT ClientPoint(const Command& command, HWND hwnd) {
  if (command.Has("--at")) return ParsePoint(command.Option("--at"));
  RECT client{};
  ::GetClientRect(hwnd, &client);
  return {client.right / 2, client.bottom / 2};
}

// Waits for a condition, checking every 50 ms.
template <typename Check>
bool Poll(DWORD timeoutMs, Check check) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (check()) return true;
    if (::GetTickCount() - start >= timeoutMs) return false;
    ::Sleep(50);
  }
}

void MoveCursor(POINT screen) {
  ::SetCursorPos(screen.x, screen.y);
  // An input event as well, so the window under the cursor hears of the move.
  const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN), top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = std::max(1, ::GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1);
  const int height = std::max(1, ::GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>((screen.x - left) * 65535LL / width);
  input.mi.dy = static_cast<LONG>((screen.y - top) * 65535LL / height);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  ::SendInput(1, &input, sizeof input);
}

struct ButtonMessages {
  UINT down, up;
  WPARAM state;
  DWORD inputDown, inputUp;
};

ButtonMessages ButtonOf(const Command& command) {
  const std::string button = command.name == "rclick" ? "right" : command.Option("--button", "left");
  if (button == "left") return {WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
  if (button == "right") return {WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP};
  if (button == "middle")
    return {WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP};
  throw UsageError("no mouse button '" + button + "'");
}

// A press, a release or both, posted at the client point or made with the real mouse.
void Mouse(const Command& command, HWND hwnd, bool down, bool up) {
  const ButtonMessages button = ButtonOf(command);
  POINT point = ClientPoint(command, hwnd);
  if (command.Has("--input")) {
    POINT screen = point;
    ::ClientToScreen(hwnd, &screen);
    MoveCursor(screen);
    ::Sleep(30);
    INPUT input{};
    input.type = INPUT_MOUSE;
    if (down) {
      input.mi.dwFlags = button.inputDown;
      ::SendInput(1, &input, sizeof input);
    }
    if (up) {
      input.mi.dwFlags = button.inputUp;
      ::SendInput(1, &input, sizeof input);
    }
  } else {
    const LPARAM at = MAKELPARAM(point.x, point.y);
    ::PostMessageA(hwnd, WM_MOUSEMOVE, 0, at);
    if (down) ::PostMessageA(hwnd, button.down, button.state, at);
    if (up) ::PostMessageA(hwnd, button.up, 0, at);
  }
  Sync(hwnd);
}

void Click(const Command& command, HWND hwnd) {
  const bool plainButton = SameText(BaseClassOf(hwnd), "Button") && !command.Has("--at") && !command.Has("--input") &&
                           command.Option("--button", "left") == "left" && command.name == "click";
  if (plainButton) {
    // Posted: a click that opens a modal box must not hold the driver.
    ::PostMessageA(hwnd, BM_CLICK, 0, 0);
    Sync(hwnd);
  } else {
    Mouse(command, hwnd, true, true);
  }
}

LRESULT Ask(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 3000, &result))
    throw Failure("window " + HandleText(hwnd) + " does not answer");
  return static_cast<LRESULT>(result);
}

void Tick(const Command& command, HWND hwnd) {
  const std::string& wanted = command.Word(1, "on or off");
  if (wanted != "on" && wanted != "off") throw UsageError("tick: on or off, not '" + wanted + "'");
  const LRESULT target = wanted == "on" ? BST_CHECKED : BST_UNCHECKED;
  if (Ask(hwnd, BM_GETCHECK) == target) return;
  Command click = command;
  click.name = "click";
  click.options.clear();
  Click(click, hwnd);
  if (!Poll(2000, [&] { return Ask(hwnd, BM_GETCHECK) == target; }))
    throw Failure("tick: " + HandleText(hwnd) + " did not turn " + wanted);
}

void Select(const Command& command, HWND hwnd) {
  const std::string base = BaseClassOf(hwnd);
  const bool combo = SameText(base, "ComboBox");
  if (!combo && !SameText(base, "ListBox")) throw Failure("select: " + HandleText(hwnd) + " is a " + base);
  const auto items = ItemsOf(hwnd, combo);
  long index = -1;
  if (command.Has("--index")) {
    index = ParseNumber(command.Option("--index"));
    if (index < 0 || index >= static_cast<long>(items.size()))
      throw Failure("select: no item " + std::to_string(index) + " (" + std::to_string(items.size()) + " items)");
  } else if (command.Has("--text")) {
    for (std::size_t i = 0; i < items.size() && index < 0; ++i) {
      if (items[i] == command.Option("--text")) index = static_cast<long>(i);
    }
    if (index < 0) throw Failure("select: no item '" + command.Option("--text") + "'");
  } else {
    throw UsageError("select: --index or --text");
  }
  Ask(hwnd, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index));
  const WORD code = combo ? CBN_SELCHANGE : LBN_SELCHANGE;
  ::PostMessageA(::GetParent(hwnd), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
  Sync(hwnd);
}

void Type(const Command& command, HWND hwnd) {
  const std::string& text = command.Word(1, "the text");
  if (command.Has("--replace")) {
    if (SameText(BaseClassOf(hwnd), "ComboBox")) {
      Ask(hwnd, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    } else {
      Ask(hwnd, EM_SETSEL, 0, -1);
    }
  }
  if (command.Has("--utf8-hex")) {
    std::string utf8;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
      utf8.push_back(static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16)));
    }
    std::wstring wide(utf8.size() + 1, L'\0');
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                             static_cast<int>(wide.size()));
    for (int i = 0; i < length; ++i) ::PostMessageW(hwnd, WM_CHAR, static_cast<WPARAM>(wide[i]), 1);
  } else {
    for (char c : text) ::PostMessageA(hwnd, WM_CHAR, static_cast<unsigned char>(c), 1);
  }
  Sync(hwnd);
}

WORD VirtualKey(const std::string& name) {
  static const std::map<std::string, WORD> names = {
      {"RETURN", VK_RETURN}, {"ENTER", VK_RETURN}, {"ESCAPE", VK_ESCAPE}, {"ESC", VK_ESCAPE}, {"TAB", VK_TAB},
      {"SPACE", VK_SPACE},   {"BACK", VK_BACK},    {"DELETE", VK_DELETE}, {"LEFT", VK_LEFT},  {"RIGHT", VK_RIGHT},
      {"UP", VK_UP},         {"DOWN", VK_DOWN},    {"HOME", VK_HOME},     {"END", VK_END},    {"MENU", VK_MENU}};
  std::string upper;
  for (char c : name) upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  if (const auto found = names.find(upper); found != names.end()) return found->second;
  if (upper.size() >= 2 && upper[0] == 'F' && std::isdigit(static_cast<unsigned char>(upper[1]))) {
    const long n = std::atol(upper.c_str() + 1);
    if (n >= 1 && n <= 24) return static_cast<WORD>(VK_F1 + n - 1);
  }
  if (upper.size() == 1 && std::isalnum(static_cast<unsigned char>(upper[0]))) return static_cast<WORD>(upper[0]);
  return static_cast<WORD>(ParseNumber(name));
}

void Key(const Command& command, HWND hwnd) {
  const WORD vk = VirtualKey(command.Word(1, "the key"));
  const bool alt = command.Has("--alt");
  if (command.Has("--input")) {
    HWND top = ::GetAncestor(hwnd, GA_ROOT);
    ::SetForegroundWindow(top);
    std::vector<WORD> keys;
    if (command.Has("--ctrl")) keys.push_back(VK_CONTROL);
    if (command.Has("--shift")) keys.push_back(VK_SHIFT);
    if (alt) keys.push_back(VK_MENU);
    keys.push_back(vk);
    std::vector<INPUT> inputs;
    for (WORD k : keys) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = k;
      inputs.push_back(input);
    }
    for (auto k = keys.rbegin(); k != keys.rend(); ++k) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = *k;
      input.ki.dwFlags = KEYEVENTF_KEYUP;
      inputs.push_back(input);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  } else {
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
    const LPARAM context = alt ? (1 << 29) : 0;
    ::PostMessageA(hwnd, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 1 | scan | context);
    ::PostMessageA(hwnd, alt ? WM_SYSKEYUP : WM_KEYUP, vk, 1 | scan | context | (1 << 30) | (1u << 31));
  }
  Sync(hwnd);
}

void Hover(const Command& command, HWND hwnd) {
  const POINT client = ClientPoint(command, hwnd);
  POINT screen = client;
  ::ClientToScreen(hwnd, &screen);
  MoveCursor(screen);
  // The input's own move may still wait in the program's queue behind posted messages,
  // such as a click the next command posts; a posted move is in line before that click.
  ::PostMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
  ::Sleep(100);
  Sync(hwnd);
}

void Leave(const Command& command, HWND hwnd) {
  POINT away{};
  if (command.Has("--to")) {
    away = ParsePoint(command.Option("--to"));
  } else {
    RECT top{};
    ::GetWindowRect(::GetAncestor(hwnd, GA_ROOT), &top);
    const int right = ::GetSystemMetrics(SM_XVIRTUALSCREEN) + ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int bottom = ::GetSystemMetrics(SM_YVIRTUALSCREEN) + ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (top.right + 10 < right) {
      away = {top.right + 10, (top.top + top.bottom) / 2};
    } else if (top.bottom + 10 < bottom) {
      away = {(top.left + top.right) / 2, top.bottom + 10};
    } else {
      RECT control{};
      ::GetWindowRect(hwnd, &control);
      away = {control.left - 10, control.top - 10};
    }
  }
  MoveCursor(away);
  // Mouse-leave tracking notices the move on its own timer.
  ::Sleep(300);
  Sync(hwnd);
}

std::vector<HWND> FindTop(const Command& command) {
  TopFilter filter;
  filter.windowClass = command.Option("--class");
  filter.titleGiven = command.Has("--title");
  filter.title = command.Option("--title");
  filter.processId = command.Has("--pid") ? static_cast<DWORD>(ParseNumber(command.Option("--pid"))) : 0;
  filter.exe = command.Option("--exe");
  filter.visibleOnly = !command.Has("--any") && !command.Has("--all");
  return TopWindows(filter);
}

std::string Describe(const Command& command) {
  std::string text;
  for (const auto& [option, value] : command.options) text += " " + option + (value == "1" && kFlags.count(option) ? "" : " '" + value + "'");
  return text;
}

void MessageBoxCommand(const Command& command) {
  Command search = command;
  search.options["--class"] = "#32770";
  std::vector<HWND> boxes;
  if (!Poll(command.Timeout(10000), [&] { return !(boxes = FindTop(search)).empty(); }))
    throw Failure("message-box: no message box" + Describe(command));
  HWND box = boxes.front();
  Print("hwnd=" + HandleText(box));
  char title[1024] = {};
  ::GetWindowTextA(box, title, sizeof title);
  Print(std::string("title=") + title);
  std::string text, buttons;
  bool textById = false;
  for (HWND child : ChildWindows(box, ChildFilter{})) {
    const std::string base = BaseClassOf(child);
    // The box's text is the static with id 0xFFFF; else the longest static text.
    if (SameText(base, "Static")) {
      const std::string caption = TextOf(child);
      if (::GetDlgCtrlID(child) == 0xFFFF) {
        text = caption;
        textById = true;
      } else if (!textById && caption.size() > text.size()) {
        text = caption;
      }
    }
    if (SameText(base, "Button") && ::IsWindowVisible(child)) {
      std::string caption;
      for (char c : TextOf(child)) {
        if (c != '&') caption.push_back(c);
      }
      buttons += (buttons.empty() ? "" : ",") + caption;
    }
  }
  Print("text=" + text);
  Print("buttons=" + buttons);
  Remember(command, box);
}

void Answer(const Command& command, HWND box) {
  static const std::map<std::string, int> ids = {{"ok", IDOK},       {"cancel", IDCANCEL}, {"yes", IDYES},
                                                 {"no", IDNO},       {"abort", IDABORT},   {"retry", IDRETRY},
                                                 {"ignore", IDIGNORE}};
  const std::string& which = command.Word(1, "the button");
  const auto id = ids.find(which);
  if (id == ids.end()) throw UsageError("answer: no button '" + which + "'");
  HWND button = ::GetDlgItem(box, id->second);
  if (!button || !::IsWindowVisible(button)) throw Failure("answer: the box has no " + which + " button");
  ::PostMessageA(button, BM_CLICK, 0, 0);
  if (!Poll(command.Timeout(5000), [&] { return !::IsWindow(box) || !::IsWindowVisible(box); }))
    throw Failure("answer: the box is still there");
}

void Tree(HWND parent, int depth) {
  ChildFilter direct;
  direct.direct = true;
  for (HWND child : ChildWindows(parent, direct)) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    std::string text;
    try {
      text = TextOf(child);
    } catch (const Failure&) {
      text.assign(1, '?');  // not = "?": GCC 12 reads that as an overlapping copy (-Wrestrict)
    }
    Print(std::string(static_cast<std::size_t>(depth) * 2, ' ') + HandleText(child) + " " + ClassOf(child) +
          " id=" + std::to_string(::GetDlgCtrlID(child)) + " text=\"" + text + "\" visible=" +
          (::IsWindowVisible(child) ? "1" : "0") + " enabled=" + (::IsWindowEnabled(child) ? "1" : "0") + " rect=" +
          std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
          std::to_string(rect.bottom));
    Tree(child, depth + 1);
  }
}

void Run(const Command& c) {
  const std::string& n = c.name;
  if (n == "wait-window") {
    std::vector<HWND> found;
    if (!Poll(c.Timeout(10000), [&] { return !(found = FindTop(c)).empty(); }))
      throw Failure("wait-window: no window" + Describe(c));
    Print(HandleText(found.front()));
    Remember(c, found.front());
  } else if (n == "wait-gone") {
    HWND hwnd = ParseHandle(c.Word(0, "the window"));
    if (!Poll(c.Timeout(10000), [&] { return !::IsWindow(hwnd) || !::IsWindowVisible(hwnd); }))
      throw Failure("wait-gone: " + HandleText(hwnd) + " is still there");
  } else if (n == "find") {
    if (!c.Has("--parent")) throw UsageError("find: --parent HWND");
    HWND parent = LiveHandle(c.Option("--parent"));
    ChildFilter filter;
    filter.windowClass = c.Option("--class");
    filter.textGiven = c.Has("--text");
    filter.text = c.Option("--text");
    filter.contains = c.Has("--contains");
    filter.id = c.Has("--id") ? ParseNumber(c.Option("--id")) : -1;
    filter.direct = c.Has("--direct");
    filter.visibleOnly = c.Has("--visible");
    const long index = c.Has("--index") ? ParseNumber(c.Option("--index")) : 0;
    std::vector<HWND> found;
    if (!Poll(c.Timeout(2000), [&] {
          found = ChildWindows(parent, filter);
          return index >= 0 && index < static_cast<long>(found.size());
        })) {
      throw Failure("find: no control" + Describe(c) + " (" + std::to_string(found.size()) + " matches)");
    }
    Print(HandleText(found[static_cast<std::size_t>(index)]));
    Remember(c, found[static_cast<std::size_t>(index)]);
  } else if (n == "click" || n == "rclick") {
    Click(c, LiveHandle(c.Word(0, "the window")));
  } else if (n == "press" || n == "release") {
    Mouse(c, LiveHandle(c.Word(0, "the window")), n == "press", n == "release");
  } else if (n == "tick") {
    Tick(c, LiveHandle(c.Word(0, "the window")));
  } else if (n == "select") {
    Select(c, LiveHandle(c.Word(0, "the window")));
  } else if (n == "type") {
    Type(c, LiveHandle(c.Word(0, "the window")));
  } else if (n == "key") {
    Key(c, LiveHandle(c.Word(0, "the window")));
  } else if (n == "hover") {
    Hover(c, LiveHandle(c.Word(0, "the window")));
  } else if (n == "leave") {
    Leave(c, LiveHandle(c.Word(0, "the window")));
  } else if (n == "text") {
    Print(TextOf(LiveHandle(c.Word(0, "the window"))));
  } else if (n == "state") {
    for (const std::string& line : StateOf(LiveHandle(c.Word(0, "the window")))) Print(line);
  } else if (n == "wait-state") {
    HWND hwnd = LiveHandle(c.Word(0, "the window"));
    if (c.words.size() < 2) throw UsageError("wait-state: KEY=VALUE");
    std::vector<std::string> state;
    const bool reached = Poll(c.Timeout(5000), [&] {
      if (!::IsWindow(hwnd)) return false;
      state = StateOf(hwnd);
      for (std::size_t i = 1; i < c.words.size(); ++i) {
        bool seen = false;
        for (const std::string& line : state) seen = seen || line == c.words[i];
        if (!seen) return false;
      }
      return true;
    });
    if (!reached) {
      std::string shown;
      for (const std::string& line : state) shown += "\n  " + line;
      throw Failure("wait-state: not reached; the state is" + shown);
    }
  } else if (n == "rect") {
    HWND hwnd = LiveHandle(c.Word(0, "the window"));
    RECT rect{};
    if (c.Has("--client")) {
      ::GetClientRect(hwnd, &rect);
    } else {
      ::GetWindowRect(hwnd, &rect);
    }
    Print(std::to_string(rect.left) + " " + std::to_string(rect.top) + " " + std::to_string(rect.right) + " " +
          std::to_string(rect.bottom));
  } else if (n == "foreground") {
    HWND hwnd = ::GetForegroundWindow();
    if (!hwnd) throw Failure("foreground: no foreground window");
    Print(HandleText(hwnd) + " " + std::to_string(ProcessOf(hwnd)));
    Remember(c, hwnd);
  } else if (n == "close") {
    ::PostMessageA(LiveHandle(c.Word(0, "the window")), WM_CLOSE, 0, 0);
  } else if (n == "message-box") {
    MessageBoxCommand(c);
  } else if (n == "answer") {
    Answer(c, LiveHandle(c.Word(0, "the message box")));
  } else if (n == "list") {
    for (HWND hwnd : FindTop(c)) {
      RECT rect{};
      ::GetWindowRect(hwnd, &rect);
      char title[512] = {};
      ::GetWindowTextA(hwnd, title, sizeof title);
      const DWORD pid = ProcessOf(hwnd);
      Print(HandleText(hwnd) + " pid=" + std::to_string(pid) + " exe=" + ExeNameOf(pid) + " class=" + ClassOf(hwnd) +
            " title=\"" + title + "\" visible=" + (::IsWindowVisible(hwnd) ? "1" : "0") + " rect=" +
            std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
            std::to_string(rect.bottom));
    }
  } else if (n == "tree") {
    Tree(LiveHandle(c.Word(0, "the window")), 0);
  } else if (n == "screenshot") {
    Screenshot(c.Word(0, "the file"), c.Has("--window") ? LiveHandle(c.Option("--window")) : nullptr);
  } else if (n == "sleep") {
    ::Sleep(static_cast<DWORD>(ParseNumber(c.Word(0, "the time"))));
  } else {
    throw UsageError("unknown command '" + n + "' (see the comment at the top of tools/guidriver/main.cpp)");
  }
}

}  // namespace
}  // namespace driver

int main(int argc, char** argv) {
  std::vector<std::vector<std::string>> commands(1);
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == ";") {
      commands.emplace_back();
    } else {
      commands.back().push_back(argv[i]);
    }
  }
  // Plain LF lines, whatever reads them.
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 2) {
    std::fputs("usage: guidriver COMMAND [ARGS] [; COMMAND [ARGS]]...\n", stderr);
    return 2;
  }
  for (const auto& tokens : commands) {
    if (tokens.empty()) continue;
    try {
      driver::Run(driver::Parse(tokens));
    } catch (const driver::UsageError& error) {
      std::fprintf(stderr, "guidriver: %s\n", error.what());
      return 2;
    } catch (const std::exception& error) {
      std::fprintf(stderr, "guidriver: %s\n", error.what());
      return 1;
    }
  }
  return 0;
}
