#include "text/glyphs.h"

#include "text/text.h"

#include <map>
#include <string>
#include <vector>

namespace {

bool DrawsAll(HDC hdc, std::wstring_view text) {
    if (text.empty()) return true;
    std::vector<WORD> glyphs(text.size());
    if (GetGlyphIndicesW(hdc, text.data(), static_cast<int>(text.size()), glyphs.data(),
                         GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
        return true;  // cannot tell: leave the font as it is
    for (size_t i = 0; i < text.size(); i++) {
        // Blanks and controls have no glyph of their own to miss.
        if (text[i] <= L' ') continue;
        if (glyphs[i] == 0xFFFF) return false;
    }
    return true;
}

// One font per height and weight, made once.
HFONT JapaneseFontLike(const LOGFONTW &like) {
    static std::map<std::pair<LONG, LONG>, HFONT> made;
    auto key = std::make_pair(like.lfHeight, like.lfWeight);
    auto found = made.find(key);
    // A handle the system no longer knows (the test layer's reset) is made again.
    LOGFONTW kept{};
    if (found != made.end() && GetObjectW(found->second, sizeof kept, &kept)) return found->second;
    LOGFONTW font = like;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfFaceName[0] = 0;  // any face of the character set
    HFONT created = CreateFontIndirectW(&font);
    made[key] = created;
    return created;
}

// What a control shows: its text, and the items of a list or a combo box
// that keeps them as strings.
std::wstring ShownBy(HWND control) {
    std::wstring shown = Wide(WindowText(control));
    WCHAR kind[16] = L"";
    GetClassNameW(control, kind, 16);
    bool list = lstrcmpiW(kind, L"ListBox") == 0, combo = lstrcmpiW(kind, L"ComboBox") == 0;
    if (!list && !combo) return shown;
    LONG style = GetWindowLongW(control, GWL_STYLE);
    bool ownerDrawn = list ? (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) && !(style & LBS_HASSTRINGS)
                           : (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) && !(style & CBS_HASSTRINGS);
    if (ownerDrawn) return shown;
    auto count = static_cast<int>(SendMessageW(control, list ? LB_GETCOUNT : CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; i++) shown += Wide(ListItemText(control, i, combo));
    return shown;
}

}  // namespace

HFONT FontWithGlyphsFor(HDC hdc, std::wstring_view text) {
    if (DrawsAll(hdc, text)) return nullptr;
    LOGFONTW current{};
    if (!GetObjectW(GetCurrentObject(hdc, OBJ_FONT), sizeof current, &current)) return nullptr;
    HFONT font = JapaneseFontLike(current);
    if (!font) return nullptr;
    HGDIOBJ old = SelectObject(hdc, font);
    bool draws = DrawsAll(hdc, text);
    SelectObject(hdc, old);
    return draws ? font : nullptr;
}

void UseFontWithGlyphs(HWND dialog) {
    HDC hdc = GetDC(dialog);
    if (!hdc) return;
    auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    HGDIOBJ original = GetCurrentObject(hdc, OBJ_FONT);
    // Control by control: an English dialog keeps its own font for its own
    // texts and takes another only where the user's names need it.
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        SelectObject(hdc, font ? font : dialogFont ? dialogFont : original);
        if (HFONT with = FontWithGlyphsFor(hdc, ShownBy(child)))
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(with), TRUE);
    }
    SelectObject(hdc, original);
    ReleaseDC(dialog, hdc);
}
