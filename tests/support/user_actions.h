// Acting on the program's dialogs as a user does: clicks, list and combo
// choices, menu commands, double clicks, and steps run on a modal dialog
// from inside its own loop. Plain functions over the Win32 calls, so the
// tests and the demo's tools use them alike on both platforms.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

// Runs fn from the message loop a little after the loop starts: a test can
// then act on a window while the program's own loop is running.
void AfterLoopStarts(std::function<void()> fn);
// Runs steps on the dialog that fn opens modally, from inside the dialog's
// own loop; a dialog the steps leave up is ended with -1 afterwards.
void InNextDialog(const std::function<void()> &fn, const std::function<void(HWND)> &steps);
// Up and not ended: EndDialog hides a dialog at once, its window goes only
// when its loop sees the end.
bool StillOpen(HWND dialog);

void Click(HWND dialog, int id);
// A menu command as the menu bar sends it.
void Menu(HWND dialog, int id);
// Selects an item of a list box; with notify, the dialog hears of it as
// when the user clicks it.
void SelectItem(HWND dialog, int listId, int index, bool notify = false);
void DoubleClickItem(HWND dialog, int listId, int index);
// The items of a list box on the screen now: [first, end).
std::pair<int, int> VisibleItems(HWND list);
// Chooses an item of a drop-down list, which tells its dialog.
void ChooseComboItem(HWND dialog, int comboId, int index);
