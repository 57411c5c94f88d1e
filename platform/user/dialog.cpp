// Modal dialogs from the program's dialog templates.
#include "../internal.h"

#include <cstdio>
#include <cstdlib>

using namespace layer;

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND, DLGPROC, LPARAM) {
    if (!FindResourceA(instance, templateName, RT_DIALOG)) return -1;  // as Windows: no template, no dialog
    // The program carries no dialog template yet; the dialog builder comes with the first one.
    std::fprintf(stderr, "portable layer: dialogs from templates are not available yet\n");
    std::abort();
}

BOOL WINAPI EndDialog(HWND, INT_PTR) { return FALSE; }
