// Dialogs from dialog templates, the program's resources or a caller's
// bytes in memory (DLGTEMPLATE or DLGTEMPLATEEX): the dialog class and its
// default procedure, modal and modeless creation in Windows' order (the
// dialog procedure hears WM_SETFONT first, and the controls exist before
// WM_INITDIALOG), the modal loop, the dialog keys, and dialog units.
#include "user.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>

namespace headless {
namespace {

const char kDialogClass[] = "#32770";
// The window extra bytes of the dialog class: DWLP_MSGRESULT, DWLP_DLGPROC, DWLP_USER.
constexpr int kDialogExtra = 3 * sizeof(LONG_PTR);

// What the dialog manager keeps of a dialog beside its window.
struct DialogInfo {
    HFONT font = nullptr;
    bool ownsFont = false;
    int baseX = 8, baseY = 16;  // dialog base units: pixels per 4 horizontal and 8 vertical units
    int defaultId = IDOK;
    bool ended = false;
    INT_PTR result = 0;
    HWND savedFocus = nullptr;
};

std::map<HWND, DialogInfo> &dialogs() {
    static std::map<HWND, DialogInfo> d;
    return d;
}

DialogInfo *InfoOf(HWND dialog) {
    auto it = dialogs().find(dialog);
    return it == dialogs().end() ? nullptr : &it->second;
}

// ---- templates, as the resource compiler writes them --------------------------

struct ItemTemplate {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::string className;
    std::string text;
    WORD textId = 0;  // an ordinal title (an icon or bitmap resource)
    std::vector<BYTE> data;
};

struct DialogTemplate {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string menu;  // "#id" for an ordinal; empty without one
    std::string className, title;
    bool hasFont = false;
    int pointSize = 0, weight = 400;
    bool italic = false;
    int charset = DEFAULT_CHARSET;
    std::string face;
    std::vector<ItemTemplate> items;
};

// Reads the little-endian words of a template; a read past its end fails the whole parse.
struct TemplateReader {
    const BYTE *data;
    size_t size, pos = 0;
    bool ok = true;

    bool Have(size_t n) {
        if (!ok || pos > size || size - pos < n) ok = false;
        return ok;
    }
    WORD Word() {
        if (!Have(2)) return 0;
        WORD v = static_cast<WORD>(data[pos] | data[pos + 1] << 8);
        pos += 2;
        return v;
    }
    DWORD Dword() {
        DWORD lo = Word();
        return lo | static_cast<DWORD>(Word()) << 16;
    }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte() { return Have(1) ? data[pos++] : 0; }
    std::u16string String() {
        std::u16string s;
        for (WORD c; ok && (c = Word()) != 0;) s.push_back(static_cast<char16_t>(c));
        return s;
    }
    // A name or, after 0xFFFF, an ordinal.
    std::string NameOrOrdinal(WORD *ordinal = nullptr) {
        if (!Have(2)) return {};
        WORD first = static_cast<WORD>(data[pos] | data[pos + 1] << 8);
        if (first == 0xFFFF) {
            pos += 2;
            WORD value = Word();
            if (ordinal) *ordinal = value;
            return "#" + std::to_string(value);
        }
        return Utf8(String());
    }
    void AlignDword() { pos = (pos + 3) & ~size_t{3}; }
};

// The predefined control classes of a template, by their ordinals.
std::string ControlClass(const std::string &name) {
    static const std::pair<const char *, const char *> atoms[] = {
        {"#128", "Button"}, {"#129", "Edit"}, {"#130", "Static"}, {"#131", "ListBox"}, {"#132", "ScrollBar"},
        {"#133", "ComboBox"}};
    for (auto [atom, cls] : atoms)
        if (name == atom) return cls;
    return name;
}

bool ParseTemplate(const BYTE *data, size_t size, DialogTemplate &t) {
    TemplateReader r{data, size};
    bool extended = size >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
    if (extended) {
        r.Word(), r.Word(), r.Dword();  // version, signature, help id
        t.exStyle = r.Dword();
        t.style = r.Dword();
    } else {
        t.style = r.Dword();
        t.exStyle = r.Dword();
    }
    WORD count = r.Word();
    t.x = r.Short(), t.y = r.Short(), t.cx = r.Short(), t.cy = r.Short();
    t.menu = r.NameOrOrdinal();
    t.className = r.NameOrOrdinal();
    t.title = Utf8(r.String());
    if (t.style & DS_SETFONT) {
        t.hasFont = true;
        t.pointSize = r.Word();
        if (extended) {
            t.weight = r.Word();
            t.italic = r.Byte() != 0;
            t.charset = r.Byte();
        }
        t.face = Utf8(r.String());
    }
    for (WORD i = 0; i < count && r.ok; i++) {
        r.AlignDword();
        ItemTemplate item;
        if (extended) {
            r.Dword();  // help id
            item.exStyle = r.Dword();
            item.style = r.Dword();
        } else {
            item.style = r.Dword();
            item.exStyle = r.Dword();
        }
        item.x = r.Short(), item.y = r.Short(), item.cx = r.Short(), item.cy = r.Short();
        item.id = extended ? static_cast<int>(r.Dword()) : static_cast<short>(r.Word());
        item.className = ControlClass(r.NameOrOrdinal());
        item.text = r.NameOrOrdinal(&item.textId);
        if (item.textId) item.text.clear();
        WORD extra = r.Word();
        if (r.Have(extra)) item.data.assign(data + r.pos, data + r.pos + extra);
        r.pos += extra;
        t.items.push_back(std::move(item));
    }
    if (r.ok) return true;
    // A reader that ran out of template: FIXME-style report, no dialog.
    ReportUnimplemented("a dialog template that ends before its last control");
    return false;
}

// ---- focus and the dialog keys ---------------------------------------------

// By the control's own style: the dialog itself may not be shown yet.
bool IsTabStop(HWND hwnd) {
    DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    return (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

// The dialog's controls in creation (tab) order.
std::vector<HWND> Controls(HWND dialog) {
    std::vector<HWND> list;
    for (Window *w : AllWindows())
        if ((w->style & WS_CHILD) && w->parent == dialog) list.push_back(w->handle);
    return list;
}

HWND FirstTabStop(HWND dialog) {
    for (HWND c : Controls(dialog))
        if (IsTabStop(c)) return c;
    return nullptr;
}

bool IsButtonOfType(HWND hwnd, DWORD type) {
    Window *w = FindWindowRecord(hwnd);
    return w && SameName(w->cls->name, "Button") && (GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) == type;
}

// Sends the dialog the command a button click would.
void PressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button && !IsWindowEnabled(button)) return;
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

LRESULT DialogCode(HWND control, const MSG *msg) {
    return SendMessageW(control, WM_GETDLGCODE, msg ? msg->wParam : 0, reinterpret_cast<LPARAM>(msg));
}

// ---- the dialog procedure's result ------------------------------------------

// Messages whose result the dialog procedure returns itself instead of in DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_INITDIALOG:
        return true;
    }
    return false;
}

LRESULT DefaultDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogInfo *info = InfoOf(dialog);
    switch (message) {
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(dialog, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_SETFONT:
        if (info) info->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return info ? reinterpret_cast<LRESULT>(info->font) : 0;
    case DM_GETDEFID:
        return info ? MAKELONG(info->defaultId, DC_HASDEFID) : 0;
    case DM_SETDEFID:
        if (info) info->defaultId = static_cast<int>(wParam);
        return TRUE;
    case WM_CLOSE:
        // Closing is pressing the cancel button, when it can be pressed.
        PressButton(dialog, IDCANCEL);
        return 0;
    case WM_ACTIVATE:
        if (info && LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(dialog, focus)) info->savedFocus = focus;
        }
        return 0;
    case WM_SETFOCUS: {
        HWND target = info && info->savedFocus && IsWindow(info->savedFocus) ? info->savedFocus : FirstTabStop(dialog);
        if (target) SetFocus(target);
        return 0;
    }
    case WM_NEXTDLGCTL: {
        HWND target = lParam ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(dialog, GetFocus(), wParam != 0);
        if (target) SetFocus(target);
        return 0;
    }
    }
    return DefWindowProcW(dialog, message, wParam, lParam);
}

LRESULT DefaultDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

LRESULT CALLBACK DialogWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultDialogProc(dialog, message, wParam, lParam);
}

}  // namespace

void RegisterDialogClass() {
    RegisterSystemClass(kDialogClass, DialogWindowProc, CS_DBLCLKS, kDialogExtra);
    OnReset([] { dialogs().clear(); });
}

namespace {


// ---- making a dialog ------------------------------------------------------------

// The font and base units a template asks for; the system font's without one.
void ChooseFont(const DialogTemplate &t, DialogInfo &info) {
    if (!t.hasFont) return;
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(t.pointSize, screen().dpi, 72);
    lf.lfWeight = t.weight;
    lf.lfItalic = t.italic;
    lf.lfCharSet = static_cast<BYTE>(t.charset);
    // A shell font template's "MS Shell Dlg" is the newer dialog face.
    bool shell = (t.style & DS_SHELLFONT) == DS_SHELLFONT && SameName(t.face, "MS Shell Dlg");
    CopyOut(shell ? "MS Shell Dlg 2" : t.face, lf.lfFaceName, LF_FACESIZE, true);
    info.font = CreateFontIndirectW(&lf);
    if (!info.font) return;
    info.ownsFont = true;
    HDC hdc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(hdc, info.font);
    TEXTMETRICW tm{};
    SIZE size{};
    const WCHAR letters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    if (GetTextMetricsW(hdc, &tm) && GetTextExtentPoint32W(hdc, letters, 52, &size)) {
        // Windows' average character width: half the width of the 52 letters over 26, rounded.
        info.baseX = (size.cx / 26 + 1) / 2;
        info.baseY = tm.tmHeight;
    }
    SelectObject(hdc, old);
    ReleaseDC(nullptr, hdc);
}

// A template in memory carries no size: it is read as far as it goes.
constexpr size_t kUnboundedTemplate = SIZE_MAX / 2;

// A dialog from the template's bytes (a resource's, or the caller's own).
HWND CreateFromTemplate(HINSTANCE instance, const BYTE *bytes, size_t size, HWND owner, DLGPROC proc, LPARAM param) {
    DialogTemplate t;
    if (!bytes || !ParseTemplate(bytes, size, t)) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    DialogInfo info;
    ChooseFont(t, info);
    // A menu the template names is the dialog's menu bar, above the client area.
    HMENU menu = t.menu.empty() ? nullptr : LoadMenuW(instance, Utf16(t.menu).c_str());

    // The size in pixels of the client area the units give, then the frame around it.
    RECT r{0, 0, MulDiv(t.cx, info.baseX, 4), MulDiv(t.cy, info.baseY, 8)};
    DWORD exStyle = t.exStyle | WS_EX_CONTROLPARENT;
    if (t.style & DS_MODALFRAME) exStyle |= WS_EX_DLGMODALFRAME;
    AdjustWindowRectEx(&r, t.style, menu != nullptr, exStyle);
    POINT at{MulDiv(t.x, info.baseX, 4), MulDiv(t.y, info.baseY, 8)};
    if (owner && !(t.style & DS_ABSALIGN)) ClientToScreen(owner, &at);
    int width = r.right - r.left, height = r.bottom - r.top;
    if (t.style & DS_CENTER) {
        at.x = (screen().width - width) / 2;
        at.y = (screen().height - height) / 2;
    }
    std::wstring cls = Utf16(t.className.empty() ? kDialogClass : t.className);
    HWND dialog = CreateWindowExW(exStyle, cls.c_str(), Utf16(t.title).c_str(), t.style & ~WS_VISIBLE, at.x, at.y,
                                  width, height, owner, menu, instance, reinterpret_cast<LPVOID>(param));
    if (!dialog) {
        if (info.ownsFont) DeleteObject(info.font);
        if (menu) DestroyMenu(menu);
        return nullptr;
    }
    dialogs()[dialog] = info;
    SetWindowLongPtrW(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
    if (info.font) SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(info.font), 0);

    for (const ItemTemplate &item : t.items) {
        if (!IsWindow(dialog)) return nullptr;
        HWND control = CreateWindowExW(
            item.exStyle | WS_EX_NOPARENTNOTIFY, Utf16(item.className).c_str(), Utf16(item.text).c_str(), item.style | WS_CHILD,
            MulDiv(item.x, info.baseX, 4), MulDiv(item.y, info.baseY, 8), MulDiv(item.cx, info.baseX, 4),
            MulDiv(item.cy, info.baseY, 8), dialog, reinterpret_cast<HMENU>(static_cast<intptr_t>(item.id)), instance,
            item.data.empty() ? nullptr : const_cast<BYTE *>(item.data.data()));
        if (!control) {
            ReportUnimplemented("a dialog control of class " + item.className);
            continue;
        }
        if (info.font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(info.font), 0);
        if (IsButtonOfType(control, BS_DEFPUSHBUTTON)) InfoOf(dialog)->defaultId = item.id;
    }
    if (!IsWindow(dialog)) return nullptr;
    HWND first = FirstTabStop(dialog);
    if (SendMessageW(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && IsWindow(dialog)) {
        HWND focus = FirstTabStop(dialog);
        if (focus) SetFocus(focus);
    }
    if (!IsWindow(dialog)) return nullptr;
    DialogInfo *after = InfoOf(dialog);
    if ((t.style & WS_VISIBLE) && !(after && after->ended)) {
        ShowWindow(dialog, SW_SHOWNORMAL);
        UpdateWindow(dialog);
    }
    return dialog;
}

}  // namespace
}  // namespace headless

namespace headless {
namespace {

LRESULT DefaultDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(dialog, DWLP_DLGPROC));
    if (proc) {
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
        INT_PTR handled = proc(dialog, message, wParam, lParam);
        if (!IsWindow(dialog)) return handled;
        if (handled) return ReturnsDirectly(message) ? handled : GetWindowLongPtrW(dialog, DWLP_MSGRESULT);
    }
    if (!IsWindow(dialog)) return 0;
    LRESULT result = DefaultDialogMessage(dialog, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        if (DialogInfo *info = InfoOf(dialog); info && info->ownsFont) DeleteObject(info->font);
        dialogs().erase(dialog);
    }
    return result;
}

INT_PTR RunModal(HINSTANCE instance, const BYTE *bytes, size_t size, HWND owner, DLGPROC proc, LPARAM param) {
    // The owner is the top-level window: it takes no input while the dialog runs.
    while (owner && (GetWindowLongW(owner, GWL_STYLE) & WS_CHILD)) owner = GetParent(owner);
    bool disabledOwner = owner && IsWindowEnabled(owner);
    if (disabledOwner) EnableWindow(owner, FALSE);
    HWND dialog = CreateFromTemplate(instance, bytes, size, owner, proc, param);
    if (!dialog) {
        if (disabledOwner) EnableWindow(owner, TRUE);
        return -1;
    }
    MSG msg;
    bool quit = false, shown = false;
    for (;;) {
        DialogInfo *info = InfoOf(dialog);
        if (!info || info->ended) break;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // A dialog created hidden shows the first time its queue runs dry.
            if (!shown && !IsWindowVisible(dialog)) ShowWindow(dialog, SW_SHOWNORMAL);
            shown = true;
            if (!GetMessageW(&msg, nullptr, 0, 0)) {
                quit = true;
                break;
            }
        }
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    DialogInfo *info = InfoOf(dialog);
    INT_PTR result = info ? info->result : -1;
    if (disabledOwner) EnableWindow(owner, TRUE);
    if (IsWindow(dialog)) DestroyWindow(dialog);
    if (owner && IsWindow(owner) && GetForegroundWindow() != owner && IsWindowVisible(owner)) SetForegroundWindow(owner);
    // WM_QUIT ends the dialog and goes on to the loop outside it.
    if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
    return result;
}

}  // namespace
}  // namespace headless

using namespace headless;

LRESULT WINAPI DefDlgProcW(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultDialogProc(dialog, message, wParam, lParam);
}

namespace {

// The dialog resource of that name, in the language the loader picks.
const Resource *DialogResource(LPCWSTR templateName) {
    return FindResourceRecord(ResourceId::From(templateName), ResourceId{5, {}});  // RT_DIALOG
}

}  // namespace

HWND WINAPI CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND owner, DLGPROC proc, LPARAM param) {
    const Resource *res = DialogResource(templateName);
    return CreateFromTemplate(instance, res ? res->data : nullptr, res ? res->size : 0, owner, proc, param);
}

INT_PTR WINAPI DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND owner, DLGPROC proc, LPARAM param) {
    const Resource *res = DialogResource(templateName);
    return RunModal(instance, res ? res->data : nullptr, res ? res->size : 0, owner, proc, param);
}

HWND WINAPI CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND owner, DLGPROC proc,
                                       LPARAM param) {
    return CreateFromTemplate(instance, reinterpret_cast<const BYTE *>(dialogTemplate), kUnboundedTemplate, owner,
                              proc, param);
}

INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND owner, DLGPROC proc,
                                       LPARAM param) {
    return RunModal(instance, reinterpret_cast<const BYTE *>(dialogTemplate), kUnboundedTemplate, owner, proc, param);
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    DialogInfo *info = InfoOf(dialog);
    if (!info) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    info->result = result;
    info->ended = true;
    // The owner gets its input back and the dialog goes out of sight at once.
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (owner) EnableWindow(owner, TRUE);
    ShowWindow(dialog, SW_HIDE);
    PostMessageW(dialog, WM_NULL, 0, 0);
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
    for (Window *w : AllWindows())
        if ((w->style & WS_CHILD) && w->parent == dialog && w->id == id) return w->handle;
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hwnd) { return static_cast<int>(GetWindowLongPtrW(hwnd, GWLP_ID)); }

BOOL WINAPI SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
    HWND control = GetDlgItem(dialog, id);
    return control ? SetWindowTextW(control, text) : FALSE;
}

LRESULT WINAPI SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND control = GetDlgItem(dialog, id);
    return control ? SendMessageW(control, message, wParam, lParam) : 0;
}

HWND WINAPI GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
    std::vector<HWND> list = Controls(dialog);
    if (list.empty()) return nullptr;
    if (previous) std::reverse(list.begin(), list.end());
    auto start = std::find(list.begin(), list.end(), control);
    size_t from = start == list.end() ? list.size() - 1 : static_cast<size_t>(start - list.begin());
    for (size_t n = 1; n <= list.size(); n++) {
        HWND c = list[(from + n) % list.size()];
        if (IsTabStop(c)) return c;
    }
    return control;
}

BOOL WINAPI MapDialogRect(HWND dialog, LPRECT rect) {
    DialogInfo *info = InfoOf(dialog);
    if (!info || !rect) return FALSE;
    rect->left = MulDiv(rect->left, info->baseX, 4);
    rect->right = MulDiv(rect->right, info->baseX, 4);
    rect->top = MulDiv(rect->top, info->baseY, 8);
    rect->bottom = MulDiv(rect->bottom, info->baseY, 8);
    return TRUE;
}

BOOL WINAPI IsDialogMessageW(HWND dialog, LPMSG msg) {
    if (!msg || !InfoOf(dialog) || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd))) return FALSE;
    if (msg->message == WM_KEYDOWN) {
        HWND focus = GetFocus();
        LRESULT code = focus ? DialogCode(focus, msg) : 0;
        switch (msg->wParam) {
        case VK_TAB:
            if (code & (DLGC_WANTTAB | DLGC_WANTMESSAGE)) break;
            SendMessageW(dialog, WM_NEXTDLGCTL, (GetKeyState(VK_SHIFT) & 0x8000) != 0, 0);
            return TRUE;
        case VK_RETURN: {
            if (code & DLGC_WANTMESSAGE) break;
            // A focused push button is what Enter presses; else the default one.
            int id = LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0));
            if (focus && (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) id = GetDlgCtrlID(focus);
            PressButton(dialog, id);
            return TRUE;
        }
        case VK_ESCAPE:
            if (code & DLGC_WANTMESSAGE) break;
            PressButton(dialog, IDCANCEL);
            return TRUE;
        }
    }
    TranslateMessage(msg);
    DispatchMessageW(msg);
    return TRUE;
}
