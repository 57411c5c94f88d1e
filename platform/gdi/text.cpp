// Text output in the DC's font: TextOutA and GetTextExtentPoint32A. The
// reference point is the top-left of the text cell (TA_TOP | TA_LEFT), and
// text is code page 932, so a lead byte and its trail byte make one character.
#include "../internal.h"

#include <algorithm>
#include <climits>

namespace layer {
namespace {

bool BadText(const DeviceContext *dc, LPCSTR text, int length) { return !dc || length < 0 || (!text && length > 0); }

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
                s.pixels[static_cast<size_t>(y) * s.width + static_cast<size_t>(x)] = pixel;
}

}  // namespace
}  // namespace layer

using namespace layer;

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR text, int length, LPSIZE size) {
    DeviceContext *dc = FindDc(hdc);
    if (BadText(dc, text, length) || !size) return FALSE;
    // No characters measure nothing, not even a line's height.
    if (length == 0) {
        *size = SIZE{0, 0};
        return TRUE;
    }
    const TextFont &font = FontFor(dc->font);
    *size = SIZE{Clamp(TotalAdvance(TextGlyphs(font, text, length))), FontHeight(font)};
    return TRUE;
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR text, int length) {
    DeviceContext *dc = FindDc(hdc);
    if (BadText(dc, text, length)) return FALSE;
    if (length == 0) return TRUE;
    const TextFont &font = FontFor(dc->font);
    std::vector<Glyph> glyphs = TextGlyphs(font, text, length);
    if (dc->bkMode == OPAQUE) {
        RECT cell{x, y, Clamp(int64_t{x} + TotalAdvance(glyphs)), Clamp(int64_t{y} + FontHeight(font))};
        FillOnScreen(hdc, cell, ToPixel(dc->bkColor));
    }
    POINT origin;
    RECT clip;
    if (!DcGeometry(hdc, origin, clip)) return FALSE;
    uint32_t ink = ToPixel(dc->textColor);
    int64_t pen = int64_t{origin.x} + x, baseline = int64_t{origin.y} + y + FontAscent(font);
    for (const Glyph &g : glyphs) {
        DrawGlyph(g, pen, baseline, clip, ink);
        pen += g.advance;
    }
    return TRUE;
}
