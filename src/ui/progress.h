// The two windows that stay up while the program works without a message
// loop: saving a show or its music (template 107, with a bar), and reading
// a content's previews from the disc (template 2005).
#pragma once

#include <windows.h>

// Sent to the saving window: wParam is the step done, lParam the number of
// steps; the bar is drawn at once.
constexpr UINT WM_PROGRESS = 0x7FF1;

// Opens the window of templateId, centred on the desktop and painted at once.
HWND OpenProgressWindow(HINSTANCE instance, HWND owner, int templateId);
// Replaces its line of text, shown at once.
void SetProgressText(HWND window, const char *text);
void CloseProgressWindow(HWND window);
// Dispatches what is queued for the window and its controls (its painting,
// its buttons). As any look at the queue does, this also answers what other
// threads send to the thread's windows, so the system never finds the
// program hung; nothing queued for its other windows runs meanwhile.
void TakeOwnMessages(HWND window);
