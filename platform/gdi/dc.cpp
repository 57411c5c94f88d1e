// Device contexts on the headless screen, GDI objects, and the simple
// fills: PatBlt, Rectangle, pixels.
#include "gdi.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace headless {
namespace {

enum class ObjectKind { Brush, Pen, Font, Palette, Bitmap };

struct Object {
    ObjectKind kind;
    COLORREF color = 0;
    bool stock = false;
    bool null = false;
};

struct Gdi {
    std::map<uintptr_t, Object> objects;
    std::map<uintptr_t, DeviceContext> dcs;
    std::map<uintptr_t, LOGFONTW> logFonts;  // what each font but the system font was made from
    uintptr_t nextObject = 0x50000, nextDc = 0x60000;
};

constexpr uintptr_t kStockBase = 0x40000;

Gdi &gdi() {
    static Gdi g;
    return g;
}

void AddStock(int index, ObjectKind kind, COLORREF color, bool null = false) {
    gdi().objects[kStockBase + index] = Object{kind, color, true, null};
}

void Init() {
    gdi() = Gdi{};
    AddStock(WHITE_BRUSH, ObjectKind::Brush, RGB(255, 255, 255));
    AddStock(LTGRAY_BRUSH, ObjectKind::Brush, RGB(192, 192, 192));
    AddStock(GRAY_BRUSH, ObjectKind::Brush, RGB(128, 128, 128));
    AddStock(DKGRAY_BRUSH, ObjectKind::Brush, RGB(64, 64, 64));
    AddStock(BLACK_BRUSH, ObjectKind::Brush, RGB(0, 0, 0));
    AddStock(NULL_BRUSH, ObjectKind::Brush, 0, true);
    AddStock(WHITE_PEN, ObjectKind::Pen, RGB(255, 255, 255));
    AddStock(BLACK_PEN, ObjectKind::Pen, RGB(0, 0, 0));
    AddStock(NULL_PEN, ObjectKind::Pen, 0, true);
    AddStock(SYSTEM_FONT, ObjectKind::Font, 0);
    // The dialogs' font of a Japanese Windows: MS UI Gothic at 9 points.
    AddStock(DEFAULT_GUI_FONT, ObjectKind::Font, 0);
    LOGFONTW gui{};
    gui.lfHeight = -12;
    gui.lfWeight = FW_NORMAL;
    gui.lfCharSet = SHIFTJIS_CHARSET;
    CopyOut("MS UI Gothic", gui.lfFaceName, LF_FACESIZE, true);
    gdi().logFonts[kStockBase + DEFAULT_GUI_FONT] = gui;
    AddStock(DEFAULT_PALETTE, ObjectKind::Palette, 0);
}

const bool registered = (Init(), OnReset(Init), true);

}  // namespace

HDC NewDc() {
    uintptr_t h = gdi().nextDc;
    gdi().nextDc += 4;
    DeviceContext dc;
    dc.brush = GetStockObject(WHITE_BRUSH);
    dc.pen = GetStockObject(BLACK_PEN);
    dc.font = GetStockObject(SYSTEM_FONT);
    dc.palette = GetStockObject(DEFAULT_PALETTE);
    gdi().dcs[h] = dc;
    return reinterpret_cast<HDC>(h);
}

void FreeDc(HDC hdc) { gdi().dcs.erase(reinterpret_cast<uintptr_t>(hdc)); }

DeviceContext *FindDc(HDC hdc) {
    auto it = gdi().dcs.find(reinterpret_cast<uintptr_t>(hdc));
    return it == gdi().dcs.end() ? nullptr : &it->second;
}

void NarrowRect(RECT &clip, const RECT &r) {
    clip.left = std::max(clip.left, r.left);
    clip.top = std::max(clip.top, r.top);
    clip.right = std::min(clip.right, r.right);
    clip.bottom = std::min(clip.bottom, r.bottom);
    if (clip.right < clip.left) clip.right = clip.left;
    if (clip.bottom < clip.top) clip.bottom = clip.top;
}

// Where a DC draws on the screen: its origin, and the rectangle it may touch.
bool DcGeometry(HDC hdc, POINT &origin, RECT &clip) {
    DeviceContext *dc = FindDc(hdc);
    if (!dc) return false;
    clip = screen().bounds;
    origin = {0, 0};
    auto narrow = [&](const RECT &r) { NarrowRect(clip, r); };
    const DcPlacement &place = dc->placement;
    if (place.kind == DcPlacement::WholeScreen) {
        if (dc->clipped) narrow(dc->clip);
        return true;
    }
    if (place.kind == DcPlacement::Nowhere) {
        clip = {0, 0, 0, 0};
        return true;
    }
    origin = place.origin;
    if (dc->clipped)
        narrow(RECT{dc->clip.left + origin.x, dc->clip.top + origin.y, dc->clip.right + origin.x, dc->clip.bottom + origin.y});
    narrow(place.visible);
    return true;
}

const LOGFONTW *FontObjectLogFont(HGDIOBJ object) {
    auto it = gdi().logFonts.find(reinterpret_cast<uintptr_t>(object));
    return it == gdi().logFonts.end() ? nullptr : &it->second;
}

bool FillWithBrush(HDC hdc, const RECT &r, HGDIOBJ brush) {
    auto it = gdi().objects.find(reinterpret_cast<uintptr_t>(brush));
    if (it == gdi().objects.end() || it->second.kind != ObjectKind::Brush) return false;
    if (!it->second.null) FillOnScreen(hdc, r, ToPixel(it->second.color));
    return true;
}

uint32_t ToPixel(COLORREF c) { return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c); }

// Fills a rectangle given in the DC's coordinates, clipped.
void FillOnScreen(HDC hdc, RECT r, uint32_t pixel) {
    POINT o;
    RECT clip;
    if (!DcGeometry(hdc, o, clip)) return;
    Screen &s = screen();
    long left = std::max<long>(clip.left, static_cast<long>(r.left) + o.x);
    long right = std::min<long>(clip.right, static_cast<long>(r.right) + o.x);
    long top = std::max<long>(clip.top, static_cast<long>(r.top) + o.y);
    long bottom = std::min<long>(clip.bottom, static_cast<long>(r.bottom) + o.y);
    if (right <= left) return;
    for (long y = top; y < bottom; y++) std::fill_n(&s.At(left, y), right - left, pixel);
}

}  // namespace headless

using namespace headless;

// Drawing here is never batched.
BOOL WINAPI GdiFlush() { return TRUE; }

HGDIOBJ WINAPI GetStockObject(int index) {
    auto it = gdi().objects.find(kStockBase + index);
    return it == gdi().objects.end() ? nullptr : reinterpret_cast<HGDIOBJ>(kStockBase + index);
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
    if (IsPaletteObject(object)) return DeletePaletteObject(object);
    auto it = gdi().objects.find(reinterpret_cast<uintptr_t>(object));
    if (it == gdi().objects.end()) return FALSE;
    if (it->second.stock) return TRUE;
    gdi().logFonts.erase(it->first);
    gdi().objects.erase(it);
    return TRUE;
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
    if (!FindDc(hdc)) return 0;
    Screen &s = screen();
    switch (index) {
    case RASTERCAPS: return 0x7E99 | (s.depth <= 8 ? RC_PALETTE : 0);
    case BITSPIXEL: return s.depth;
    case HORZRES: return s.width;
    case VERTRES: return s.height;
    case LOGPIXELSX:
    case LOGPIXELSY: return s.dpi;
    }
    return 0;
}

// The pen draws the outline (one pixel, inside the rectangle), the brush fills the rest.
BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    DeviceContext *dc = FindDc(hdc);
    if (!dc) return FALSE;
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    RECT inside{left + 1, top + 1, right - 1, bottom - 1};
    if (inside.right > inside.left && inside.bottom > inside.top) FillWithBrush(hdc, inside, dc->brush);
    auto pen = gdi().objects.find(reinterpret_cast<uintptr_t>(dc->pen));
    if (pen != gdi().objects.end() && pen->second.kind == ObjectKind::Pen && !pen->second.null) {
        uint32_t ink = ToPixel(pen->second.color);
        FillOnScreen(hdc, RECT{left, top, right, top + 1}, ink);
        FillOnScreen(hdc, RECT{left, bottom - 1, right, bottom}, ink);
        FillOnScreen(hdc, RECT{left, top, left + 1, bottom}, ink);
        FillOnScreen(hdc, RECT{right - 1, top, right, bottom}, ink);
    }
    return TRUE;
}

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
    DeviceContext *dc = FindDc(hdc);
    if (!dc) return FALSE;
    RECT r{x, y, x + width, y + height};
    // A negative size extends to the other side of the point.
    if (width < 0) std::swap(r.left, r.right);
    if (height < 0) std::swap(r.top, r.bottom);
    switch (rop) {
    case BLACKNESS: FillOnScreen(hdc, r, 0); return TRUE;
    case WHITENESS: FillOnScreen(hdc, r, 0xFFFFFF); return TRUE;
    case PATCOPY: {
        const Object &b = gdi().objects[reinterpret_cast<uintptr_t>(dc->brush)];
        if (!b.null) FillOnScreen(hdc, r, ToPixel(b.color));
        return TRUE;
    }
    }
    return FALSE;
}

// The clipping region is kept as one rectangle, which is all the program makes of it.
int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    DeviceContext *dc = FindDc(hdc);
    if (!dc) return ERROR;
    RECT r{left, top, right, bottom};
    if (dc->clipped)
        r = {std::max(r.left, dc->clip.left), std::max(r.top, dc->clip.top), std::min(r.right, dc->clip.right),
             std::min(r.bottom, dc->clip.bottom)};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    dc->clipped = true;
    dc->clip = r;
    return r.right > r.left && r.bottom > r.top ? SIMPLEREGION : NULLREGION;
}

int WINAPI SelectClipRgn(HDC hdc, HRGN region) {
    DeviceContext *dc = FindDc(hdc);
    if (!dc) return ERROR;
    if (region) {
        ReportUnimplemented("SelectClipRgn with a region");
        return ERROR;
    }
    // No region: the DC draws wherever its window may again.
    dc->clipped = false;
    return SIMPLEREGION;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
    POINT o;
    RECT clip;
    if (!DcGeometry(hdc, o, clip)) return 0xFFFFFFFF;
    long sx = static_cast<long>(x) + o.x, sy = static_cast<long>(y) + o.y;
    if (sx < clip.left || sx >= clip.right || sy < clip.top || sy >= clip.bottom) return 0xFFFFFFFF;
    uint32_t p = screen().At(sx, sy);
    return RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
    RECT r{x, y, x + 1, y + 1};
    if (!FindDc(hdc)) return 0xFFFFFFFF;
    FillOnScreen(hdc, r, ToPixel(color));
    return color;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ object) {
    DeviceContext *dc = FindDc(hdc);
    auto it = gdi().objects.find(reinterpret_cast<uintptr_t>(object));
    if (!dc || it == gdi().objects.end()) return nullptr;
    HGDIOBJ *slot = nullptr;
    switch (it->second.kind) {
    case ObjectKind::Brush: slot = &dc->brush; break;
    case ObjectKind::Pen: slot = &dc->pen; break;
    case ObjectKind::Font: slot = &dc->font; break;
    default: return nullptr;  // palettes go through SelectPalette
    }
    HGDIOBJ previous = *slot;
    *slot = object;
    return previous;
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
    DeviceContext *dc = FindDc(hdc);
    if (!dc) return nullptr;
    switch (type) {
    case OBJ_PEN: return dc->pen;
    case OBJ_BRUSH: return dc->brush;
    case OBJ_PAL: return dc->palette;
    case OBJ_FONT: return dc->font;
    }
    return nullptr;
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    uintptr_t h = gdi().nextObject;
    gdi().nextObject += 4;
    gdi().objects[h] = Object{ObjectKind::Brush, color & 0xFFFFFF, false, false};
    return reinterpret_cast<HBRUSH>(h);
}

bool headless::IsStockObject(HGDIOBJ object) {
    auto it = gdi().objects.find(reinterpret_cast<uintptr_t>(object));
    return it != gdi().objects.end() && it->second.stock;
}

HFONT WINAPI CreateFontIndirectW(const LOGFONTW *font) {
    if (!font) return nullptr;
    uintptr_t h = gdi().nextObject;
    gdi().nextObject += 4;
    gdi().objects[h] = Object{ObjectKind::Font, 0, false, false};
    gdi().logFonts[h] = *font;
    return reinterpret_cast<HFONT>(h);
}

HFONT WINAPI CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                         DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName) {
    LOGFONTW lf{height, width, escapement, orientation, weight,
                static_cast<BYTE>(italic), static_cast<BYTE>(underline), static_cast<BYTE>(strikeOut),
                static_cast<BYTE>(charSet), static_cast<BYTE>(outPrecision), static_cast<BYTE>(clipPrecision),
                static_cast<BYTE>(quality), static_cast<BYTE>(pitchAndFamily), {}};
    if (faceName) CopyOut(Utf8(faceName), lf.lfFaceName, LF_FACESIZE, true);
    return CreateFontIndirectW(&lf);
}

// Fonts only: the LOGFONT they were made from.
int WINAPI GetObjectW(HANDLE object, int size, LPVOID buffer) {
    auto it = gdi().objects.find(reinterpret_cast<uintptr_t>(object));
    if (it == gdi().objects.end()) return 0;
    if (it->second.kind != ObjectKind::Font) {
        ReportUnimplemented("GetObjectW of anything but a font");
        return 0;
    }
    LOGFONTW lf{};
    if (const LOGFONTW *made = FontObjectLogFont(object)) {
        lf = *made;
    } else {
        // The system font, as Windows describes it.
        lf.lfHeight = 16;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = SHIFTJIS_CHARSET;
        CopyOut("System", lf.lfFaceName, LF_FACESIZE, true);
    }
    if (!buffer) return sizeof lf;
    int n = std::min<int>(size, static_cast<int>(sizeof lf));
    if (n <= 0) return 0;
    std::memcpy(buffer, &lf, static_cast<size_t>(n));
    return n;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
    return ExchangeDcAttribute(hdc, &DeviceContext::bkColor, color, static_cast<COLORREF>(CLR_INVALID));
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
    return ExchangeDcAttribute(hdc, &DeviceContext::textColor, color, static_cast<COLORREF>(CLR_INVALID));
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    if (mode != OPAQUE && mode != TRANSPARENT) return 0;
    return ExchangeDcAttribute(hdc, &DeviceContext::bkMode, mode, 0);
}
