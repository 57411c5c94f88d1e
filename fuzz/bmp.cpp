// BMP files as the disc pictures are loaded: whatever loads must be a block
// the player can draw, and drawing it stays inside it.
#include "target.h"

#include "image/dib.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    FuzzMachine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const char path[] = "C:\\FUZZ.BMP";
    if (!WriteInput(path, data, size)) return 0;
    PackedDib dib = DibLoadFile(path);
    if (!dib) return 0;
    SIZE_T block = GlobalSize(GlobalHandle(dib));
    const BYTE *pixels = DibPixelsInBlock(dib, block);
    FUZZ_CHECK(pixels != nullptr);
    FUZZ_CHECK(pixels == reinterpret_cast<const BYTE *>(dib) + dib->biSize + DibTableBytes(dib));
    HDC screen = GetDC(nullptr);
    StretchDIBits(screen, 0, 0, 64, 48, 0, 0, dib->biWidth, dib->biHeight, pixels, reinterpret_cast<BITMAPINFO *>(dib),
                  DIB_RGB_COLORS, SRCCOPY);
    ReleaseDC(nullptr, screen);
    DibFree(dib);
    return 0;
}
