#include "ui/centre.h"

void CentreWindow(HWND window, HWND over) {
    RECT r, o, area;
    if (!GetWindowRect(window, &r) || !GetWindowRect(over ? over : GetDesktopWindow(), &o)) return;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0))
        area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    int width = r.right - r.left, height = r.bottom - r.top;
    int x = o.left + (o.right - o.left - width) / 2;
    int y = o.top + (o.bottom - o.top - height) / 2;
    if (x < area.left) x = area.left;
    else if (x + width > area.right) x = area.right - width;
    if (y < area.top) y = area.top;
    else if (y + height > area.bottom) y = area.bottom - height;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}
