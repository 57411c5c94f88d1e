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
    if (found != made.end()) return found->second;
    LOGFONTW font = like;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfFaceName[0] = 0;  // any face of the character set
    HFONT created = CreateFontIndirectW(&font);
    made[key] = created;
    return created;
}

std::wstring TextsOf(HWND dialog) {
    std::wstring all;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        all += Wide(WindowText(child));
    return all;
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
    std::wstring texts = TextsOf(dialog);
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    HDC hdc = GetDC(dialog);
    if (!hdc) return;
    HGDIOBJ old = dialogFont ? SelectObject(hdc, dialogFont) : nullptr;
    HFONT font = FontWithGlyphsFor(hdc, texts);
    if (old) SelectObject(hdc, old);
    ReleaseDC(dialog, hdc);
    if (!font) return;
    SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}
