#pragma once
// Small pieces every window of the program uses: its font, tooltips, the hand cursor,
// picture buttons and the modal loop.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/win32/Pictures.h"

namespace dx::win32::ui {

// MS Sans Serif, 8 points (bold when asked); owned by the process.
HFONT DefaultFont(bool bold = false);
HFONT FontOfHeight(int pixels, bool bold = false);

// A child control with the default font.
HWND CreateControl(const char* cls, const char* text, DWORD style, int x, int y, int width, int height, HWND parent,
                   int id, DWORD exStyle = 0);

// A tooltip shown over control (one tooltip window per parent window).
void AddTooltip(HWND control, const std::string& text);
// The hand cursor over control.
void UseHandCursor(HWND control);

// A button drawn from pictures: up, down (pressed) and, optionally, a disabled look
// (the up picture dimmed). Clicks reach the parent as BN_CLICKED.
HWND CreatePictureButton(HWND parent, int id, int x, int y, int width, int height);
// For WM_DRAWITEM of a picture button.
void DrawPictureButton(const DRAWITEMSTRUCT& item, const Picture* up, const Picture* down);

// Disables owner, runs messages until done() holds, enables owner again.
void RunModalLoop(HWND owner, const std::function<bool()>& done);

// Centres window over owner (or the screen without one), keeping it on the work area.
void CentreOver(HWND window, HWND owner);

}  // namespace dx::win32::ui
