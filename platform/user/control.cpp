// What the standard controls share: their font, their colours as the parent
// chooses them, and notifications to the parent.
#include "user.h"

#include <map>

namespace headless {
namespace {

std::map<HWND, HFONT> &fonts() {
    static std::map<HWND, HFONT> f;
    return f;
}

const bool registered = (OnReset([] { fonts().clear(); }), true);

}  // namespace

HFONT ControlFont(HWND control) {
    auto it = fonts().find(control);
    return it == fonts().end() ? nullptr : it->second;
}

void SetControlFont(HWND control, HFONT font) { fonts()[control] = font; }

void ForgetControl(HWND control) { fonts().erase(control); }

HBRUSH ControlColors(HWND control, HDC hdc, UINT message) {
    HWND parent = GetParent(control);
    LRESULT brush = parent ? SendMessageW(parent, message, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(control))
                           : DefWindowProcW(control, message, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(control));
    return brush ? reinterpret_cast<HBRUSH>(brush)
                 : reinterpret_cast<HBRUSH>(DefWindowProcW(control, message, reinterpret_cast<WPARAM>(hdc),
                                                           reinterpret_cast<LPARAM>(control)));
}

void NotifyParent(HWND control, int code) {
    HWND parent = GetParent(control);
    if (parent)
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}

HDC ControlDc(HWND control) {
    HDC hdc = GetDC(control);
    if (HFONT font = ControlFont(control)) SelectObject(hdc, font);
    return hdc;
}

void PaintControl(HWND control, const ControlPainter &draw) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(control, &ps);
    draw(control, hdc);
    EndPaint(control, &ps);
}

void RepaintControl(HWND control, const ControlPainter &draw) {
    if (!IsWindowVisible(control)) return;
    HDC hdc = GetDC(control);
    draw(control, hdc);
    ReleaseDC(control, hdc);
}

}  // namespace headless
