// The two windows that stay up while the program works without a message
// loop: saving a show or its music (template 107, with a bar), and reading
// a content's previews from the disc (template 2005).
#pragma once

#include <windows.h>

// Sent to the saving window: wParam is the step done, lParam the number of
// steps; the bar is drawn at once.
constexpr UINT WM_PROGRESS = 0x7FF1;

// Opens the window of templateId, centred on the desktop and painted at once,
// with text (UTF-8) as its line from the start, or its template's when null.
HWND OpenProgressWindow(HINSTANCE instance, HWND owner, int templateId, const char *text = nullptr);
// Replaces its line of text, shown at once.
void SetProgressText(HWND window, const char *text);
void CloseProgressWindow(HWND window);
