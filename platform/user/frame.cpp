// The non-client area: borders, the caption with its title and close box,
// the menu bar, and a window's own scroll bars, drawn in Wine's default look.
#include "user.h"

#include <algorithm>

namespace headless {
namespace {

void Fill(HDC hdc, RECT r, COLORREF c) { FillOnScreen(hdc, r, ToPixel(c)); }

// A raised or sunken edge of one pixel: light on two sides, dark on the others.
void Edge(HDC hdc, RECT r, COLORREF topLeft, COLORREF bottomRight) {
    Fill(hdc, {r.left, r.top, r.right, r.top + 1}, topLeft);
    Fill(hdc, {r.left, r.top, r.left + 1, r.bottom}, topLeft);
    Fill(hdc, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    Fill(hdc, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

}  // namespace

void DrawScrollBar(HDC hdc, RECT r, bool vertical, const ScrollState &s, bool enabled) {
    Fill(hdc, r, SystemColor(COLOR_SCROLLBAR));
    int length = vertical ? r.bottom - r.top : r.right - r.left;
    int thickness = vertical ? r.right - r.left : r.bottom - r.top;
    int arrow = std::min(thickness, length / 2);
    RECT first = vertical ? RECT{r.left, r.top, r.right, r.top + arrow} : RECT{r.left, r.top, r.left + arrow, r.bottom};
    RECT second = vertical ? RECT{r.left, r.bottom - arrow, r.right, r.bottom}
                           : RECT{r.right - arrow, r.top, r.right, r.bottom};
    for (RECT a : {first, second}) {
        Fill(hdc, a, SystemColor(COLOR_BTNFACE));
        Edge(hdc, a, SystemColor(COLOR_BTNHIGHLIGHT), SystemColor(COLOR_BTNSHADOW));
        // The arrow's triangle, three rows of ink.
        int cx = (a.left + a.right) / 2, cy = (a.top + a.bottom) / 2;
        COLORREF ink = enabled ? SystemColor(COLOR_BTNTEXT) : SystemColor(COLOR_GRAYTEXT);
        bool towardsStart = a.left == first.left && a.top == first.top;
        for (int i = 0; i < 3; i++) {
            int d = towardsStart ? i : 2 - i;
            if (vertical) Fill(hdc, {cx - d, cy - 1 + i, cx + d + 1, cy + i}, ink);
            else Fill(hdc, {cx - 1 + i, cy - d, cx + i, cy + d + 1}, ink);
        }
    }
    int track = length - 2 * arrow;
    int range = s.maximum - s.minimum;
    if (!enabled || range <= 0 || track < arrow) return;
    int thumb = std::max(arrow / 2, std::min(arrow, track));
    int at = arrow + static_cast<int>(int64_t{track - thumb} * (s.position - s.minimum) / range);
    RECT box = vertical ? RECT{r.left, r.top + at, r.right, r.top + at + thumb}
                        : RECT{r.left + at, r.top, r.left + at + thumb, r.bottom};
    Fill(hdc, box, SystemColor(COLOR_BTNFACE));
    Edge(hdc, box, SystemColor(COLOR_BTNHIGHLIGHT), SystemColor(COLOR_BTNSHADOW));
}

void DrawNonClient(HWND hwnd) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) return;
    HDC hdc = GetWindowDC(hwnd);
    RECT whole{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    RECT client = ClientRectOnScreen(*w);
    OffsetRect(&client, -w->rect.left, -w->rect.top);
    bool thick = (w->style & WS_THICKFRAME) != 0;
    bool dialogFrame = (w->exStyle & WS_EX_DLGMODALFRAME) || (w->style & WS_DLGFRAME);
    RECT r = whole;
    if (thick || dialogFrame) {
        // An outer raised edge, then the face colour up to the client.
        Edge(hdc, r, SystemColor(COLOR_3DLIGHT), SystemColor(COLOR_3DDKSHADOW));
        InflateRect(&r, -1, -1);
        Edge(hdc, r, SystemColor(COLOR_BTNHIGHLIGHT), SystemColor(COLOR_BTNSHADOW));
        InflateRect(&r, -1, -1);
        int rest = thick ? GetSystemMetrics(SM_CXFRAME) - 2 : GetSystemMetrics(SM_CXDLGFRAME) - 2;
        for (int i = 0; i < rest; i++) {
            Edge(hdc, r, SystemColor(COLOR_BTNFACE), SystemColor(COLOR_BTNFACE));
            InflateRect(&r, -1, -1);
        }
    } else if (w->style & WS_BORDER) {
        Edge(hdc, r, SystemColor(COLOR_WINDOWFRAME), SystemColor(COLOR_WINDOWFRAME));
        InflateRect(&r, -1, -1);
    }
    if (w->exStyle & WS_EX_CLIENTEDGE) {
        Edge(hdc, r, SystemColor(COLOR_BTNSHADOW), SystemColor(COLOR_BTNHIGHLIGHT));
        InflateRect(&r, -1, -1);
        Edge(hdc, r, SystemColor(COLOR_3DDKSHADOW), SystemColor(COLOR_3DLIGHT));
        InflateRect(&r, -1, -1);
    }
    if ((w->style & WS_CAPTION) == WS_CAPTION) {
        int height = GetSystemMetrics(SM_CYCAPTION);
        bool active = GetActiveWindow() == hwnd;
        RECT bar{r.left, r.top, r.right, r.top + height - 1};
        Fill(hdc, bar, SystemColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
        Fill(hdc, {r.left, bar.bottom, r.right, bar.bottom + 1}, SystemColor(COLOR_BTNFACE));
        int right = bar.right;
        if (w->style & WS_SYSMENU) {
            // The close box: a button with an X.
            int size = height - 5;
            RECT box{bar.right - size - 2, bar.top + 2, bar.right - 2, bar.top + 2 + size};
            Fill(hdc, box, SystemColor(COLOR_BTNFACE));
            Edge(hdc, box, SystemColor(COLOR_BTNHIGHLIGHT), SystemColor(COLOR_3DDKSHADOW));
            for (int i = 3; i < size - 3; i++) {
                Fill(hdc, {box.left + i, box.top + i, box.left + i + 1, box.top + i + 1}, SystemColor(COLOR_BTNTEXT));
                Fill(hdc, {box.right - 1 - i, box.top + i, box.right - i, box.top + i + 1}, SystemColor(COLOR_BTNTEXT));
            }
            right = box.left - 2;
        }
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, active ? RGB(255, 255, 255) : SystemColor(COLOR_INACTIVECAPTIONTEXT));
        // As many whole characters of the title as fit before the close box.
        SIZE extent{};
        std::wstring title = Utf16(w->title);
        int length = static_cast<int>(title.size());
        while (length > 0 && GetTextExtentPoint32W(hdc, title.c_str(), length, &extent) &&
               bar.left + 4 + extent.cx > right)
            length--;
        // A surrogate pair is not cut in two.
        if (length > 0 && (title[static_cast<size_t>(length) - 1] & 0xFC00) == 0xD800) length--;
        GetTextExtentPoint32W(hdc, L"X", 1, &extent);
        TextOutW(hdc, bar.left + 4, bar.top + (height - 1 - extent.cy) / 2, title.c_str(), length);
    }
    RECT bar = MenuBarRect(*w);
    if (bar.bottom > bar.top) {
        OffsetRect(&bar, -w->rect.left, -w->rect.top);
        DrawMenuBarItems(hdc, bar, w->menu);
    }
    // The window's own scroll bars sit between the frame and the client.
    if (w->style & WS_VSCROLL) {
        RECT bar{client.right, client.top, client.right + GetSystemMetrics(SM_CXVSCROLL), client.bottom};
        if (ScrollState *s = WindowScrollBar(hwnd, SB_VERT))
            DrawScrollBar(hdc, bar, true, *s, s->maximum > s->minimum);
    }
    if (w->style & WS_HSCROLL) {
        RECT bar{client.left, client.bottom, client.right, client.bottom + GetSystemMetrics(SM_CYHSCROLL)};
        if (ScrollState *s = WindowScrollBar(hwnd, SB_HORZ))
            DrawScrollBar(hdc, bar, false, *s, s->maximum > s->minimum);
    }
    ReleaseDC(hwnd, hdc);
}

// Only the menu bar is told apart: the rest of the frame counts as client.
LRESULT NonClientHitTest(HWND hwnd, POINT pt) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) return HTCLIENT;
    RECT bar = MenuBarRect(*w);
    return PtInRect(&bar, pt) ? HTMENU : HTCLIENT;
}

}  // namespace headless
