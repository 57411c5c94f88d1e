// What the gdi part of the portable layer shares with the parts above it:
// the headless screen, device contexts, palettes and fonts. gdi knows
// nothing of windows; the window manager tells a DC where it lies.
#pragma once

#include "../kernel/kernel.h"

namespace headless {

// ---- the screen -------------------------------------------------------------

// The screen is one or more monitors side by side in screen coordinates,
// the primary at (0, 0); the virtual screen is the rectangle round them all
// (its origin may be negative), and its pixels are kept whole, gaps between
// monitors of different sizes included.
struct Screen {
    int width = 640;               // the primary monitor's size
    int height = 480;
    int depth = 24;                // 8 makes the device report a palette
    int dpi = 96;                  // dots per inch, of every monitor
    std::vector<RECT> monitors{RECT{0, 0, 640, 480}};  // the primary first
    RECT bounds{0, 0, 640, 480};                       // the virtual screen
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, row by row from the virtual screen's top-left corner

    long Stride() const { return bounds.right - bounds.left; }
    // A pixel at (x, y) in screen coordinates, which must lie within bounds.
    uint32_t &At(long x, long y) {
        return pixels[static_cast<size_t>(y - bounds.top) * static_cast<size_t>(Stride()) + static_cast<size_t>(x - bounds.left)];
    }
    bool OnMonitor(long x, long y) const;
    // What a person sees there: black in the gaps no monitor shows.
    uint32_t Shown(long x, long y);
};
Screen &screen();
void ResizeScreen(int width, int height, int depth);
// Several monitors (screen coordinates, the primary first at (0, 0)); false
// when they do not make a screen.
bool SetMonitors(const std::vector<RECT> &monitors, int depth);
// A screen as QMSAVER_SCREEN gives it (see the README): "800x600x8",
// "1024x768+1280x1024", "1280x1024+*1024x768", "1024x768/800x600" ...
bool ParseScreenLayout(const std::string &text, std::vector<RECT> &monitors, int &depth);

// ---- device contexts ----------------------------------------------------------

// Where a DC lies on the screen. A DC on the whole screen needs nothing
// more; the window manager places a window's DC and moves it with the window.
struct DcPlacement {
    enum Kind { WholeScreen, Placed, Nowhere } kind = WholeScreen;  // Nowhere: its window is gone
    POINT origin{};   // where the DC's (0, 0) lies on the screen
    RECT visible{};   // the part of the screen it may touch
};

struct DeviceContext {
    DcPlacement placement;
    HGDIOBJ brush = nullptr, pen = nullptr, font = nullptr, palette = nullptr;
    COLORREF textColor = 0, bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    int stretchMode = BLACKONWHITE;
    bool clipped = false;  // IntersectClipRect narrowed it to clip (DC coordinates)
    RECT clip{};
};
// A DC on the whole screen with the default objects selected, and its end.
HDC NewDc();
void FreeDc(HDC hdc);
DeviceContext *FindDc(HDC hdc);
// Sets one of a DC's attributes and hands back what it was (failed for a bad DC).
template <typename T>
T ExchangeDcAttribute(HDC hdc, T DeviceContext::*field, T value, T failed) {
    DeviceContext *dc = FindDc(hdc);
    if (!dc) return failed;
    T previous = dc->*field;
    dc->*field = value;
    return previous;
}
// Where a DC draws on the screen: its origin, and the rectangle it may touch.
bool DcGeometry(HDC hdc, POINT &origin, RECT &clip);
// Narrows clip to its part inside r (empty, not inverted, when they miss).
void NarrowRect(RECT &clip, const RECT &r);
// Fills a rectangle given in the DC's coordinates, clipped.
void FillOnScreen(HDC hdc, RECT r, uint32_t pixel);
// Fills with a brush object; false when brush is not one.
bool FillWithBrush(HDC hdc, const RECT &r, HGDIOBJ brush);
uint32_t ToPixel(COLORREF c);

// ---- palettes and pictures ------------------------------------------------------

// The colour an 8-bit screen shows at a palette index.
COLORREF SystemPaletteColor(int index);
// Called after each StretchDIBits that drew; the headless run writes its
// frame once the program is idle again (WritePendingFrame).
void OnPictureDrawn();
void WritePendingFrame();
// Palette objects live in the palette module; DeleteObject hands them over.
bool IsPaletteObject(HGDIOBJ object);
bool DeletePaletteObject(HGDIOBJ object);

// ---- fonts and text (gdi/font.cpp, gdi/text.cpp) ----------------------------------

// One character's picture: a 1-bit bitmap, leftmost pixel in the top bit of
// each row's first byte, placed from the pen's position on the baseline.
struct Glyph {
    int advance = 0;  // how far the pen moves
    int left = 0;     // first ink column, from the pen
    int ascent = 0;   // ink rows above the baseline
    int width = 0, height = 0;
    int stride = 0;                 // bytes per row
    const uint8_t *rows = nullptr;  // null: a blank cell
};
bool GlyphInk(const Glyph &g, int x, int y);

// A font as the layer draws it: its faces at one size, loaded once per
// process and kept, with the glyphs it has drawn, across resets.
struct TextFont;
// The font a font object draws with (the system font for the stock
// SYSTEM_FONT, for a face the layer does not have, and for anything else).
const TextFont &FontFor(HGDIOBJ font);
// What GetTextMetricsW says of a font.
const TEXTMETRICW &FontMetrics(const TextFont &font);
// UTF-16 text as its glyphs, one per character (a surrogate pair is one).
// A font that lacks the Japanese characters (Layer::HideJapaneseGlyphs)
// draws them with its missing glyph. The glyphs stay valid for the life of
// the process.
std::vector<Glyph> TextGlyphs(const TextFont &font, const WCHAR *text, int length, bool lacksJapanese = false);
// Whether a font object stands for one without Japanese glyphs: the default
// faces and any font not asked for with SHIFTJIS_CHARSET, while a test hides them.
bool LacksJapanese(HGDIOBJ font);
void HideJapaneseGlyphs(bool hide);
// The LOGFONT a font object was made from; null for the system font and for
// anything that is not a font (gdi/dc.cpp keeps the objects).
const LOGFONTW *FontObjectLogFont(HGDIOBJ object);
bool IsStockObject(HGDIOBJ object);
// Text in the DC's font and colours with its top-left at (x, y), as TextOutW
// draws it; with clip (DC coordinates) also kept inside that rectangle, as
// ExtTextOut's ETO_CLIPPED does.
bool DrawTextRun(HDC hdc, int x, int y, const WCHAR *text, int length, const RECT *clip);

}  // namespace headless
