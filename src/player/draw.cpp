// Draws one picture per tick: the next record of the show, its full-screen
// bitmap on the screen or its preview in the control panel, each block a
// ready packed DIB that goes to the screen in one StretchDIBits call.
#include "player/player.h"

#include "image/dib.h"
#include "resources/resource.h"
#include "saverfile/format.h"
#include "text/language.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Placement {
    int x, y, width, height;
    bool stretch;  // COLORONCOLOR set for a scaled picture
};

// Full screen: pictures at their own size, centred on screens up to 800
// pixels wide; on wider screens a picture smaller than the screen goes to a
// place of the generator's choosing.
Placement PlaceOnScreen(int w, int h, int W, int H) {
    if (w > 800 && W < w && H < h) {
        int x = NextRandom() % (w - W);
        int y = NextRandom() % (h - H);
        return {x, y, W, H, false};
    }
    return {(w - W) / 2, (h - H) / 2, W, H, false};
}

// Preview: a picture as large as the area in one direction is fitted with
// its shape kept; a smaller one goes unscaled to a random place.
Placement PlaceInPreview(int w, int h, int W, int H) {
    auto fitHeight = [&] {
        int dw = static_cast<int>(W * (static_cast<double>(h) / H));
        return Placement{(w - dw) / 2, 0, dw, h, true};
    };
    if (W == H) return fitHeight();
    if (W >= w) {
        int dh = static_cast<int>(H * (static_cast<double>(w) / W));
        return {0, (h - dh) / 2, w, dh, true};
    }
    if (H >= h) return fitHeight();
    int x = NextRandom() % (w - W);
    int y = NextRandom() % (h - H);
    return {x, y, W, H, false};
}

// The record's block for this mode, in a temporary zero-filled block; the
// file is left at the next record. Null when it cannot be had: for want of
// memory the record is passed over (with a box on the full screen); a
// record the file does not hold makes the rest of the file unreadable.
PackedDib LoadBlock(HWND hwnd, const RecordSizes &sizes) {
    if (!RecordFitsInFile(player.showFile, sizes)) {
        player.restUnreadable = true;
        return nullptr;
    }
    uint32_t size = player.isPreview ? sizes.previewSize : sizes.fullSize;
    HGLOBAL memory = GlobalAlloc(GMEM_ZEROINIT, size);
    auto *block = memory ? static_cast<PackedDib>(GlobalLock(memory)) : nullptr;
    if (!block) {
        if (memory) GlobalFree(memory);
        if (!player.isPreview) {
            ShowMessageBox(hwnd, FormatText(IDS_PICTURE_NO_MEMORY, player.pictureIndex), Text(IDS_CAPTION), MB_OK);
        }
        // Both blocks lie within the file: the next tick reads the next record.
        if (!SkipBlock(player.showFile, sizes.fullSize) || !SkipBlock(player.showFile, sizes.previewSize))
            player.restUnreadable = true;
        return nullptr;
    }
    // The size fits in the file, and a file offset fits in a long.
    long bytes = static_cast<long>(size);
    bool read = player.isPreview ? SkipBlock(player.showFile, sizes.fullSize) && _hread(player.showFile, block, bytes) == bytes
                                 : _hread(player.showFile, block, bytes) == bytes && SkipBlock(player.showFile, sizes.previewSize);
    if (!read) {
        player.restUnreadable = true;
        DibFree(block);
        return nullptr;
    }
    return block;
}

void ReplacePalette(const BITMAPINFOHEADER *picture) {
    UINT count = std::min<UINT>(DibColorCount(picture), 256);
    std::vector<BYTE> buffer(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
    auto *palette = reinterpret_cast<LOGPALETTE *>(buffer.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(count);
    const auto *table = reinterpret_cast<const RGBQUAD *>(reinterpret_cast<const BYTE *>(picture) + picture->biSize);
    for (UINT i = 0; i < count; i++)
        palette->palPalEntry[i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, table[i].rgbReserved};
    if (player.currentPalette) DeleteObject(player.currentPalette);
    player.currentPalette = CreatePalette(palette);
}

void DrawInPreview(HWND hwnd, HDC hdc, const BITMAPINFOHEADER *picture, const BYTE *pixels) {
    RECT area;
    GetWindowRect(GetParent(hwnd), &area);
    OffsetRect(&area, -area.left, -area.top);
    PatBlt(hdc, 0, 0, area.right, area.bottom, BLACKNESS);
    int W = picture->biWidth, H = picture->biHeight;
    Placement at = PlaceInPreview(area.right, area.bottom, W, H);
    if (at.stretch) SetStretchBltMode(hdc, COLORONCOLOR);
    StretchDIBits(hdc, at.x, at.y, at.width, at.height, 0, 0, W, H, pixels,
                  reinterpret_cast<const BITMAPINFO *>(picture), DIB_RGB_COLORS, SRCCOPY);
}

// At its own size with its top-left corner at (x, y), cut off at the
// monitor's edges so that it does not spill onto the next monitor.
void DrawOnMonitor(HDC hdc, const RECT &monitor, int x, int y, const BITMAPINFOHEADER *picture, const BYTE *pixels) {
    int W = picture->biWidth, H = picture->biHeight;
    IntersectClipRect(hdc, monitor.left, monitor.top, monitor.right, monitor.bottom);
    StretchDIBits(hdc, x, y, W, H, 0, 0, W, H, pixels, reinterpret_cast<const BITMAPINFO *>(picture),
                  DIB_RGB_COLORS, SRCCOPY);
    // The window's own DC keeps its clipping: the banner needs all of it again.
    SelectClipRgn(hdc, nullptr);
}

// The primary shows the picture where a single screen would; the other
// monitors show it centred (cropped evenly when larger) and take nothing
// from the generator, so the primary's places are those of a single screen.
void DrawOnEveryMonitor(HWND hwnd, HDC hdc, const BITMAPINFOHEADER *picture, const BYTE *pixels) {
    MonitorLayout screen = MonitorsUnder(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    PatBlt(hdc, 0, 0, client.right, client.bottom, BLACKNESS);
    int W = picture->biWidth, H = picture->biHeight;
    const RECT &primary = screen.primary;
    Placement at = PlaceOnScreen(primary.right - primary.left, primary.bottom - primary.top, W, H);
    DrawOnMonitor(hdc, primary, primary.left + at.x, primary.top + at.y, picture, pixels);
    for (const RECT &m : screen.others) {
        int w = m.right - m.left, h = m.bottom - m.top;
        DrawOnMonitor(hdc, m, m.left + (w - W) / 2, m.top + (h - H) / 2, picture, pixels);
    }
}

}  // namespace

int NextRandom() {
    player.randomState = player.randomState * 214013u + 2531011u;
    return static_cast<int>((player.randomState >> 16) & 0x7FFF);
}

DrawResult DrawNextPicture(HWND hwnd, HDC hdc) {
    if (!hdc) return DrawResult::Nothing;
    // Counted wider than the index, so the largest count wraps as well.
    int next = player.pictureIndex + 1;
    if (next > static_cast<int16_t>(player.pictureCount)) {
        next = 1;
        player.restUnreadable = !RewindToFirstRecord(player.showFile);
    }
    player.pictureIndex = static_cast<int16_t>(next);
    // Past a record that could not be read, the file is out of step: the
    // ticks draw nothing until the show starts over.
    if (player.restUnreadable) return DrawResult::Nothing;
    RecordSizes sizes;
    if (!ReadRecordSizes(player.showFile, &sizes)) {
        player.restUnreadable = true;
        return DrawResult::Nothing;
    }
    PackedDib picture = LoadBlock(hwnd, sizes);
    if (!picture) return DrawResult::Nothing;
    // A block whose bitmap does not fit in it is passed over: the file is still in step.
    const BYTE *pixels = DibPixelsInBlock(picture, player.isPreview ? sizes.previewSize : sizes.fullSize);
    if (!pixels) {
        DibFree(picture);
        return DrawResult::Nothing;
    }

    // A palette screen shows 8-bit pictures only; the show cannot go on.
    if (player.displayDepth == 8 && picture->biBitCount != 8) {
        DibFree(picture);
        player.depthMismatch = true;
        CloseShow();
        return DrawResult::DepthMismatch;
    }

    if (picture->biBitCount == 8) ReplacePalette(picture);
    HPALETTE previousPalette = nullptr;
    if (player.currentPalette) {
        previousPalette = SelectPalette(hdc, player.currentPalette, FALSE);
        RealizePalette(hdc);
    }

    if (player.isPreview) DrawInPreview(hwnd, hdc, picture, pixels);
    else DrawOnEveryMonitor(hwnd, hdc, picture, pixels);

    if (previousPalette) SelectPalette(hdc, previousPalette, FALSE);
    DibFree(picture);
    return DrawResult::Drawn;
}
