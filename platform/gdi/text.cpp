// Text output in the DC's font: TextOutW, GetTextExtentPoint32W and
// GetTextMetricsW. The reference point is the top-left of the text cell
// (TA_TOP | TA_LEFT), and text is UTF-16.
#include "gdi.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>

namespace headless {
namespace {

bool BadText(const DeviceContext *dc, LPCWSTR text, int length) { return !dc || length < 0 || (!text && length > 0); }

int64_t TotalAdvance(const std::vector<Glyph> &glyphs) {
    int64_t width = 0;
    for (const Glyph &g : glyphs) width += g.advance;
    return width;
}

LONG Clamp(int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

// Sets the ink pixels of one glyph whose pen sits at (penX, baseline) on the
// screen, inside clip only.
void DrawGlyph(const Glyph &g, int64_t penX, int64_t baseline, const RECT &clip, uint32_t pixel) {
    Screen &s = screen();
    int64_t left = penX + g.left, top = baseline - g.ascent;
    int64_t x0 = std::max<int64_t>(left, clip.left), x1 = std::min<int64_t>(left + g.width, clip.right);
    int64_t y0 = std::max<int64_t>(top, clip.top), y1 = std::min<int64_t>(top + g.height, clip.bottom);
    for (int64_t y = y0; y < y1; y++)
        for (int64_t x = x0; x < x1; x++)
            if (GlyphInk(g, static_cast<int>(x - left), static_cast<int>(y - top)))
                s.At(static_cast<long>(x), static_cast<long>(y)) = pixel;
}

RECT Intersect(const RECT &a, const RECT &b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

}  // namespace

bool DrawTextRun(HDC hdc, int x, int y, const WCHAR *text, int length, const RECT *clipRect) {
    DeviceContext *dc = FindDc(hdc);
    if (BadText(dc, text, length)) return false;
    if (length == 0) return true;
    const TextFont &font = FontFor(dc->font);
    const TEXTMETRICW &tm = FontMetrics(font);
    std::vector<Glyph> glyphs = TextGlyphs(font, text, length, LacksJapanese(dc->font));
    if (dc->bkMode == OPAQUE) {
        RECT cell{x, y, Clamp(int64_t{x} + TotalAdvance(glyphs)), Clamp(int64_t{y} + tm.tmHeight)};
        FillOnScreen(hdc, clipRect ? Intersect(cell, *clipRect) : cell, ToPixel(dc->bkColor));
    }
    POINT origin;
    RECT clip;
    if (!DcGeometry(hdc, origin, clip)) return false;
    if (clipRect) {
        RECT onScreen{Clamp(int64_t{clipRect->left} + origin.x), Clamp(int64_t{clipRect->top} + origin.y),
                      Clamp(int64_t{clipRect->right} + origin.x), Clamp(int64_t{clipRect->bottom} + origin.y)};
        clip = Intersect(clip, onScreen);
    }
    uint32_t ink = ToPixel(dc->textColor);
    int64_t pen = int64_t{origin.x} + x, baseline = int64_t{origin.y} + y + tm.tmAscent;
    for (const Glyph &g : glyphs) {
        DrawGlyph(g, pen, baseline, clip, ink);
        pen += g.advance;
    }
    return true;
}

}  // namespace headless

using namespace headless;

BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int length, LPSIZE size) {
    DeviceContext *dc = FindDc(hdc);
    if (BadText(dc, text, length) || !size) return FALSE;
    // No characters measure nothing, not even a line's height.
    if (length == 0) {
        *size = SIZE{0, 0};
        return TRUE;
    }
    const TextFont &font = FontFor(dc->font);
    *size = SIZE{Clamp(TotalAdvance(TextGlyphs(font, text, length, LacksJapanese(dc->font)))), FontMetrics(font).tmHeight};
    return TRUE;
}

BOOL WINAPI TextOutW(HDC hdc, int x, int y, LPCWSTR text, int length) {
    return DrawTextRun(hdc, x, y, text, length, nullptr);
}

BOOL WINAPI GetTextMetricsW(HDC hdc, LPTEXTMETRICW metrics) {
    DeviceContext *dc = FindDc(hdc);
    if (!dc || !metrics) return FALSE;
    *metrics = FontMetrics(FontFor(dc->font));
    return TRUE;
}

