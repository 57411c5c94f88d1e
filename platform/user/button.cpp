// The Button control: push buttons (the default one framed in black) and
// automatic check boxes. A click, the space bar or BM_CLICK tells the parent
// BN_CLICKED; a check box turns its check over first.
#include "user.h"

#include <string>

namespace headless {
namespace {

struct ButtonState : ControlState {
    int check = BST_UNCHECKED;
    bool pushed = false;
    bool focused = false;
};

DWORD Type(HWND button) { return static_cast<DWORD>(GetWindowLongW(button, GWL_STYLE)) & BS_TYPEMASK; }
bool IsCheckBox(HWND button) { return Type(button) == BS_AUTOCHECKBOX || Type(button) == BS_CHECKBOX; }

void Fill(HDC hdc, RECT r, int color) { FillRect(hdc, &r, GetSysColorBrush(color)); }

void DrawPushButton(HWND button, HDC hdc, const ButtonState &state, RECT r, const WCHAR *text, int length) {
    Fill(hdc, r, COLOR_BTNFACE);
    if (Type(button) == BS_DEFPUSHBUTTON) {
        FrameRect(hdc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&r, -1, -1);
    }
    // Raised, or sunken while pushed.
    int light = state.pushed ? COLOR_3DDKSHADOW : COLOR_BTNHIGHLIGHT, dark = state.pushed ? COLOR_BTNHIGHLIGHT : COLOR_3DDKSHADOW;
    Fill(hdc, {r.left, r.top, r.right, r.top + 1}, light);
    Fill(hdc, {r.left, r.top, r.left + 1, r.bottom}, light);
    Fill(hdc, {r.left, r.bottom - 1, r.right, r.bottom}, dark);
    Fill(hdc, {r.right - 1, r.top, r.right, r.bottom}, dark);
    Fill(hdc, {r.left + 1, r.bottom - 2, r.right - 1, r.bottom - 1}, state.pushed ? COLOR_BTNFACE : COLOR_BTNSHADOW);
    Fill(hdc, {r.right - 2, r.top + 1, r.right - 1, r.bottom - 1}, state.pushed ? COLOR_BTNFACE : COLOR_BTNSHADOW);
    RECT label = r;
    if (state.pushed) OffsetRect(&label, 1, 1);
    DrawTextW(hdc, text, length, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (state.focused) {
        RECT focus = r;
        InflateRect(&focus, -4, -4);
        // A dotted frame, every other pixel.
        for (int x = focus.left; x < focus.right; x += 2) {
            SetPixel(hdc, x, focus.top, SystemColor(COLOR_BTNTEXT));
            SetPixel(hdc, x, focus.bottom - 1, SystemColor(COLOR_BTNTEXT));
        }
        for (int y = focus.top; y < focus.bottom; y += 2) {
            SetPixel(hdc, focus.left, y, SystemColor(COLOR_BTNTEXT));
            SetPixel(hdc, focus.right - 1, y, SystemColor(COLOR_BTNTEXT));
        }
    }
}

void DrawCheckBox(HWND button, HDC hdc, const ButtonState &state, RECT r, const WCHAR *text, int length) {
    FillRect(hdc, &r, ControlColors(button, hdc, WM_CTLCOLORSTATIC));
    const int box = 13;
    int top = r.top + (r.bottom - r.top - box) / 2;
    RECT square{r.left, top, r.left + box, top + box};
    Fill(hdc, square, IsWindowEnabled(button) ? COLOR_WINDOW : COLOR_BTNFACE);
    FrameRect(hdc, &square, GetSysColorBrush(COLOR_BTNSHADOW));
    if (state.check == BST_CHECKED) {
        // A tick: down from the left, then up to the right.
        for (int i = 0; i < 7; i++) {
            int x = square.left + 3 + i, y = i < 3 ? top + 5 + i : top + 9 - (i - 2);
            RECT stroke{x, y, x + 1, y + 3};
            Fill(hdc, stroke, COLOR_WINDOWTEXT);
        }
    }
    RECT label{r.left + box + 4, r.top, r.right, r.bottom};
    DrawTextW(hdc, text, length, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

void Draw(HWND button, HDC hdc, const ButtonState &state) {
    RECT r;
    GetClientRect(button, &r);
    if (HFONT font = ControlFont(button)) SelectObject(hdc, font);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, SystemColor(IsWindowEnabled(button) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    std::wstring title = Utf16(WindowTitle(button));
    const WCHAR *text = title.c_str();
    int length = static_cast<int>(title.size());
    switch (Type(button)) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON: DrawPushButton(button, hdc, state, r, text, length); break;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX: DrawCheckBox(button, hdc, state, r, text, length); break;
    default: ReportUnimplemented("a button of type " + std::to_string(Type(button)));
    }
}

ControlPainter Painter(const ButtonState &state) {
    return [&state](HWND button, HDC hdc) { Draw(button, hdc, state); };
}

void PaintNow(HWND button, const ButtonState &state) { RepaintControl(button, Painter(state)); }

void Click(HWND button, ButtonState &state) {
    if (Type(button) == BS_AUTOCHECKBOX) {
        state.check = state.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        PaintNow(button, state);
    }
    NotifyParent(button, BN_CLICKED);
}

bool Inside(HWND button, LPARAM lParam) {
    RECT r;
    GetClientRect(button, &r);
    return PtInRect(&r, POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))});
}

void SetPushed(HWND button, ButtonState &state, bool pushed) {
    if (state.pushed == pushed) return;
    state.pushed = pushed;
    PaintNow(button, state);
}

LRESULT CALLBACK ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) NewControlState<ButtonState>(button);
    ButtonState *state = ControlStateOf<ButtonState>(button);
    if (!state) return DefWindowProcW(button, message, wParam, lParam);
    ButtonState &s = *state;
    switch (message) {
    case WM_CREATE:
        return 0;
    case WM_NCDESTROY:
        FreeControlState(button);
        ForgetControl(button);
        break;
    case WM_PAINT:
        PaintControl(button, Painter(s));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetCapture(button);
        SetFocus(button);
        SetPushed(button, s, true);
        return 0;
    case WM_LBUTTONUP: {
        bool wasPushed = s.pushed;
        ReleaseCapture();
        SetPushed(button, s, false);
        if (wasPushed && Inside(button, lParam)) Click(button, s);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) SetPushed(button, s, true);
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE && s.pushed) {
            SetPushed(button, s, false);
            Click(button, s);
        }
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        s.focused = message == WM_SETFOCUS;
        PaintNow(button, s);
        return 0;
    case WM_ENABLE:
        PaintNow(button, s);
        return 0;
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(button, message, wParam, lParam);
        PaintNow(button, s);
        return result;
    }
    case WM_SETFONT:
        SetControlFont(button, reinterpret_cast<HFONT>(wParam));
        if (lParam) PaintNow(button, s);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(ControlFont(button));
    case WM_GETDLGCODE:
        return DLGC_BUTTON | (Type(button) == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON
                              : Type(button) == BS_PUSHBUTTON  ? DLGC_UNDEFPUSHBUTTON
                                                               : 0);
    case BM_GETCHECK:
        return IsCheckBox(button) ? s.check : BST_UNCHECKED;
    case BM_SETCHECK:
        if (IsCheckBox(button)) {
            s.check = wParam == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
            PaintNow(button, s);
        }
        return 0;
    case BM_GETSTATE:
        return s.check | (s.pushed ? BST_PUSHED : 0) | (s.focused ? BST_FOCUS : 0);
    case BM_CLICK:
        if (IsWindowEnabled(button)) Click(button, s);
        return 0;
    }
    return DefWindowProcW(button, message, wParam, lParam);
}

}  // namespace

void RegisterButtonClass() {
    RegisterSystemClass("Button", ButtonProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
}

}  // namespace headless
