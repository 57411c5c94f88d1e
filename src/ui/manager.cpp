// The configuration dialog. Its lists of shows are not built yet: the
// dialog opens from template 2003 once the resource script has it.
#include "ui/manager.h"

#include "resources/resource.h"

BOOL RegisterDialogClasses(HINSTANCE) { return TRUE; }

INT_PTR RunConfiguration(HINSTANCE instance, HWND owner) {
    RegisterDialogClasses(instance);
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MANAGER), owner, ManagerDialogProc, 0);
}

INT_PTR CALLBACK ManagerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}
