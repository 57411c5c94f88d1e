// The Static control: a label (left, centred or right, wrapped or not) or a
// black frame or rectangle. A label repaints at once when its text changes,
// so a window that runs no message loop still shows the new text.
#include "user.h"

namespace headless {
namespace {

DWORD Type(HWND control) { return static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)) & SS_TYPEMASK; }

void Draw(HWND control, HDC hdc) {
    RECT r;
    GetClientRect(control, &r);
    DWORD style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
    switch (Type(control)) {
    case SS_BLACKFRAME:
        FrameRect(hdc, &r, GetSysColorBrush(COLOR_3DDKSHADOW));
        return;
    case SS_BLACKRECT:
        FillRect(hdc, &r, GetSysColorBrush(COLOR_3DDKSHADOW));
        return;
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_LEFTNOWORDWRAP:
    case SS_SIMPLE:
        break;
    default:
        ReportUnimplemented("a static control of type " + std::to_string(Type(control)));
        return;
    }
    HBRUSH brush = ControlColors(control, hdc, WM_CTLCOLORSTATIC);
    FillRect(hdc, &r, brush);
    if (HFONT font = ControlFont(control)) SelectObject(hdc, font);
    if (!IsWindowEnabled(control)) SetTextColor(hdc, SystemColor(COLOR_GRAYTEXT));
    SetBkMode(hdc, TRANSPARENT);
    UINT format = Type(control) == SS_CENTER ? DT_CENTER | DT_WORDBREAK
                  : Type(control) == SS_RIGHT ? DT_RIGHT | DT_WORDBREAK
                  : Type(control) == SS_LEFT  ? DT_LEFT | DT_WORDBREAK
                                              : DT_LEFT | DT_SINGLELINE;
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
    DrawTextW(hdc, Utf16(WindowTitle(control)).c_str(), -1, &r, format | DT_EXPANDTABS);
}

void PaintNow(HWND control) { RepaintControl(control, Draw); }

LRESULT CALLBACK StaticProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        PaintControl(control, Draw);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the painting fills its own background
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(control, message, wParam, lParam);
        PaintNow(control);
        return result;
    }
    case WM_SETFONT:
        SetControlFont(control, reinterpret_cast<HFONT>(wParam));
        if (lParam) PaintNow(control);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(ControlFont(control));
    case WM_ENABLE:
        PaintNow(control);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_NCDESTROY:
        ForgetControl(control);
        break;
    }
    return DefWindowProcW(control, message, wParam, lParam);
}

}  // namespace

void RegisterStaticClass() {
    RegisterSystemClass("Static", StaticProc, CS_DBLCLKS);
}

}  // namespace headless
