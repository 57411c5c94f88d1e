// Draws one picture per tick: the next record of the show, its full-screen
// bitmap on the screen or its preview in the control panel, each block a
// ready packed DIB that goes to the screen in one StretchDIBits call.
#include "player/player.h"

#include "image/dib.h"
#include "saverfile/format.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const char kCaption[] = "Quillmere Saver";

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

void FreeBlock(const void *block) {
    HGLOBAL memory = GlobalHandle(block);
    GlobalUnlock(memory);
    GlobalFree(memory);
}

// The record's block for this mode, in a temporary zero-filled block; the
// file is left at the next record. Null when it cannot be had.
const BITMAPINFOHEADER *LoadBlock(HWND hwnd, const RecordSizes &sizes) {
    uint32_t size = player.isPreview ? sizes.previewSize : sizes.fullSize;
    HGLOBAL memory = GlobalAlloc(GMEM_ZEROINIT, size);
    if (!memory) {
        if (!player.isPreview) {
            char text[64];
            std::snprintf(text, sizeof text, "GlobalAllocPtrError num = %d", player.pictureIndex);
            MessageBoxA(hwnd, text, kCaption, MB_OK);
        }
        // The whole record is passed over, so the next tick reads the next one.
        if (SkipBlock(player.showFile, sizes.fullSize)) SkipBlock(player.showFile, sizes.previewSize);
        return nullptr;
    }
    void *block = GlobalLock(memory);
    bool read = false;
    if (player.isPreview) {
        read = SkipBlock(player.showFile, sizes.fullSize) &&
               _hread(player.showFile, block, static_cast<long>(size)) == static_cast<long>(size);
    } else {
        read = _hread(player.showFile, block, static_cast<long>(size)) == static_cast<long>(size);
        if (read) SkipBlock(player.showFile, sizes.previewSize);
    }
    if (!read) {
        FreeBlock(block);
        return nullptr;
    }
    return static_cast<const BITMAPINFOHEADER *>(block);
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

}  // namespace

int NextRandom() {
    player.randomState = player.randomState * 214013u + 2531011u;
    return static_cast<int>((player.randomState >> 16) & 0x7FFF);
}

void DrawNextPicture(HWND hwnd, HDC hdc) {
    if (!hdc) return;
    player.pictureIndex = static_cast<int16_t>(player.pictureIndex + 1);
    if (player.pictureIndex > static_cast<int16_t>(player.pictureCount)) {
        player.pictureIndex = 1;
        RewindToFirstRecord(player.showFile);
    }
    // An unreadable record shows nothing; the cycle goes on with the next.
    RecordSizes sizes;
    if (!ReadRecordSizes(player.showFile, &sizes)) return;
    const BITMAPINFOHEADER *picture = LoadBlock(hwnd, sizes);
    if (!picture) return;
    // A block whose bitmap does not fit in it is passed over like an unreadable one.
    const BYTE *pixels = DibPixelsInBlock(picture, player.isPreview ? sizes.previewSize : sizes.fullSize);
    if (!pixels) {
        FreeBlock(picture);
        return;
    }

    // A palette screen shows 8-bit pictures only; the show cannot go on.
    if (player.displayDepth == 8 && picture->biBitCount != 8) {
        FreeBlock(picture);
        player.depthMismatch = true;
        CloseShow();
        SetTimer(hwnd, kShowTimer, 100, nullptr);
        return;
    }

    if (picture->biBitCount == 8) ReplacePalette(picture);
    HPALETTE previousPalette = nullptr;
    if (player.currentPalette) {
        previousPalette = SelectPalette(hdc, player.currentPalette, FALSE);
        RealizePalette(hdc);
    }

    RECT area;
    GetWindowRect(player.isPreview ? GetParent(hwnd) : GetDesktopWindow(), &area);
    OffsetRect(&area, -area.left, -area.top);
    PatBlt(hdc, 0, 0, area.right, area.bottom, BLACKNESS);
    int W = picture->biWidth, H = picture->biHeight;
    Placement at = player.isPreview ? PlaceInPreview(area.right, area.bottom, W, H)
                                    : PlaceOnScreen(area.right, area.bottom, W, H);
    if (at.stretch) SetStretchBltMode(hdc, COLORONCOLOR);
    StretchDIBits(hdc, at.x, at.y, at.width, at.height, 0, 0, W, H, pixels,
                  reinterpret_cast<const BITMAPINFO *>(picture), DIB_RGB_COLORS, SRCCOPY);

    if (previousPalette) SelectPalette(hdc, previousPalette, FALSE);
    FreeBlock(picture);
}
