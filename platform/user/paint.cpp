// The window half of device contexts: the DCs handed out for windows, kept
// placed where their windows are, painting, and the fills user32 has.
#include "user.h"

#include <algorithm>
#include <climits>
#include <map>

namespace headless {
namespace {

struct HandedOut {
    HWND hwnd = nullptr;       // null: the whole screen
    bool owned = false;        // a CS_OWNDC window's own DC, never released
    bool wholeWindow = false;  // GetWindowDC: the frame too, from the window's corner
};

struct Dcs {
    std::map<HDC, HandedOut> handedOut;
    std::map<HWND, HDC> ownDcs;
};

Dcs &dcs() {
    static Dcs d;
    return d;
}

const bool registered = (OnReset([] { dcs() = Dcs{}; }), true);

void Place(DeviceContext &dc, const HandedOut &d) {
    DcPlacement &place = dc.placement;
    if (!d.hwnd) {
        place = DcPlacement{};
        return;
    }
    Window *w = FindWindowRecord(d.hwnd);
    if (!w) {
        place = DcPlacement{DcPlacement::Nowhere, {}, {}};
        return;
    }
    RECT client = d.wholeWindow ? w->rect : ClientRectOnScreen(*w);
    place.kind = DcPlacement::Placed;
    place.origin = {client.left, client.top};
    place.visible = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    // A window draws inside its client area (or itself, for a window DC) and inside every parent's client area.
    for (Window *p = w; p; p = (p->style & WS_CHILD) ? FindWindowRecord(p->parent) : nullptr) {
        NarrowRect(place.visible, p == w ? client : ClientRectOnScreen(*p));
        if (!(p->style & WS_CHILD)) break;
    }
}

HDC HandOut(HWND hwnd, bool owned, bool wholeWindow) {
    HDC hdc = NewDc();
    HandedOut d{hwnd, owned, wholeWindow};
    dcs().handedOut[hdc] = d;
    Place(*FindDc(hdc), d);
    return hdc;
}

}  // namespace

void PlaceWindowDcs() {
    auto &list = dcs().handedOut;
    for (auto it = list.begin(); it != list.end();) {
        DeviceContext *dc = FindDc(it->first);
        if (!dc) {
            it = list.erase(it);
            continue;
        }
        Place(*dc, it->second);
        ++it;
    }
}

}  // namespace headless

using namespace headless;

HDC WINAPI GetDC(HWND hwnd) {
    if (hwnd && hwnd != DesktopHandle()) {
        Window *w = FindWindowRecord(hwnd);
        if (!w) return nullptr;
        if (w->cls->wc.style & CS_OWNDC) {
            auto it = dcs().ownDcs.find(hwnd);
            if (it != dcs().ownDcs.end() && FindDc(it->second)) return it->second;
            return dcs().ownDcs[hwnd] = HandOut(hwnd, true, false);
        }
        return HandOut(hwnd, false, false);
    }
    return HandOut(nullptr, false, false);
}

HDC WINAPI GetWindowDC(HWND hwnd) {
    if (!FindWindowRecord(hwnd)) return GetDC(nullptr);
    return HandOut(hwnd, false, true);
}

int WINAPI ReleaseDC(HWND, HDC hdc) {
    auto it = dcs().handedOut.find(hdc);
    if (it == dcs().handedOut.end() || !FindDc(hdc)) return 0;
    if (!it->second.owned) {
        FreeDc(hdc);
        dcs().handedOut.erase(it);
    }
    return 1;
}

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
    Window *w = FindWindowRecord(hwnd);
    if (!w || !ps) return nullptr;
    HDC hdc = GetDC(hwnd);
    *ps = PAINTSTRUCT{};
    ps->hdc = hdc;
    GetClientRect(hwnd, &ps->rcPaint);
    w->needsPaint = false;
    // The frame first, as Windows sends WM_NCPAINT before the client is painted.
    if (w->needsFrame) {
        w->needsFrame = false;
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        if (!(w = FindWindowRecord(hwnd))) return hdc;
    }
    if (w->needsErase) {
        w->needsErase = false;
        ps->fErase = !SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
    }
    return hdc;
}

BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT *ps) {
    if (ps) ReleaseDC(hwnd, ps->hdc);
    return TRUE;
}

int WINAPI FillRect(HDC hdc, const RECT *rect, HBRUSH brush) {
    if (!rect || !FindDc(hdc)) return 0;
    uintptr_t h = reinterpret_cast<uintptr_t>(brush);
    // A brush may also be given as a system colour index + 1.
    if (h >= 1 && h <= COLOR_3DLIGHT + 1) {
        FillOnScreen(hdc, *rect, ToPixel(SystemColor(static_cast<int>(h - 1))));
        return 1;
    }
    return FillWithBrush(hdc, *rect, brush) ? 1 : 0;
}

// A one-pixel frame in the brush's colour, inside the rectangle.
BOOL WINAPI FrameRect(HDC hdc, const RECT *rect, HBRUSH brush) {
    if (!rect || rect->right <= rect->left || rect->bottom <= rect->top) return FALSE;
    RECT top{rect->left, rect->top, rect->right, rect->top + 1}, bottom{rect->left, rect->bottom - 1, rect->right, rect->bottom};
    RECT left{rect->left, rect->top, rect->left + 1, rect->bottom}, right{rect->right - 1, rect->top, rect->right, rect->bottom};
    return FillRect(hdc, &top, brush) && FillRect(hdc, &bottom, brush) && FillRect(hdc, &left, brush) &&
           FillRect(hdc, &right, brush);
}
