// The shared road of a photo: fitted, resampled by stb's resampler, turned
// upright, quantised. Each stage writes straight into the next one's input,
// and into the result's own rows when it is the last.
#include "photo/pipeline.h"

#include <stb_image_resize.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Where each orientation takes its pixels from: the stored (x, y) of the
// upright picture's (dx, dy), both counted from the top left, as
// x = a dx + b dy + c (w - 1), y = d dx + e dy + f (h - 1).
struct Mapping {
    int a, b, c, d, e, f;
};
const Mapping kMappings[9] = {
    {1, 0, 0, 0, 1, 0},    // (unused)
    {1, 0, 0, 0, 1, 0},    // 1: as stored
    {-1, 0, 1, 0, 1, 0},   // 2: mirrored left to right
    {-1, 0, 1, 0, -1, 1},  // 3: turned half round
    {1, 0, 0, 0, -1, 1},   // 4: mirrored top to bottom
    {0, 1, 0, 1, 0, 0},    // 5: mirrored along the diagonal from the top left
    {0, 1, 0, -1, 0, 1},   // 6: stored a quarter turn anticlockwise, turned back clockwise
    {0, -1, 1, -1, 0, 1},  // 7: mirrored along the other diagonal
    {0, -1, 1, 1, 0, 0},   // 8: stored a quarter turn clockwise, turned back anticlockwise
};

BYTE *Allocate(int width, int height, int channels, Raster &raster) {
    raster.width = width;
    raster.height = height;
    raster.channels = channels;
    raster.stride = size_t{static_cast<size_t>(width)} * static_cast<size_t>(channels);
    raster.rows = static_cast<BYTE *>(std::malloc(raster.stride * static_cast<size_t>(height)));
    return raster.rows;
}

// On the stored values as they stand, as the JPEG library's DCT scaling
// averages them before this step; a pass through linear light would cost a
// third more for a difference a slideshow does not show.
bool Resample(const Raster &from, const Raster &to) {
    return stbir_resize_uint8(from.rows, from.width, from.height, static_cast<int>(from.stride), to.rows, to.width, to.height,
                              static_cast<int>(to.stride), 3) != 0;
}

bool MakeResult(PhotoPlan &plan, int width, int height, Raster &rows) {
    plan.dib = DibCreate(plan.indexed ? 8 : 24, width, height);
    if (!plan.dib) return false;
    rows = RasterOf(plan.dib);
    return true;
}

}  // namespace

Raster RasterOf(PackedDib dib) {
    Raster r;
    r.width = dib->biWidth;
    r.height = dib->biHeight;
    r.channels = dib->biBitCount / 8;
    r.stride = DibStride(static_cast<uint32_t>(dib->biWidth), dib->biBitCount);
    r.rows = reinterpret_cast<BYTE *>(dib) + dib->biSize + DibTableBytes(dib);
    return r;
}

bool FitInto(int width, int height, int maxWidth, int maxHeight, int *fitWidth, int *fitHeight) {
    if (width < 1 || height < 1 || maxWidth < 1 || maxHeight < 1) return false;
    int64_t w = width, h = height;
    if (w <= maxWidth && h <= maxHeight) {
        *fitWidth = width, *fitHeight = height;
    } else if (w * maxHeight >= h * maxWidth) {
        // The width is what limits: the height follows, rounded to the nearest pixel.
        *fitWidth = maxWidth;
        *fitHeight = static_cast<int>(std::clamp<int64_t>((2 * h * maxWidth + w) / (2 * w), 1, maxHeight));
    } else {
        *fitHeight = maxHeight;
        *fitWidth = static_cast<int>(std::clamp<int64_t>((2 * w * maxHeight + h) / (2 * h), 1, maxWidth));
    }
    return true;
}

int JpegScaleFor(int width, int height, int fitWidth, int fitHeight) {
    for (int m = 1; m < 8; m++) {
        // The library rounds each scaled side up.
        int64_t w = (int64_t{width} * m + 7) / 8, h = (int64_t{height} * m + 7) / 8;
        if (w >= fitWidth && h >= fitHeight) return m;
    }
    return 8;
}

void TurnUpright(const Raster &source, int orientation, const Raster &target) {
    const Mapping &m = kMappings[orientation >= 1 && orientation <= 8 ? orientation : 1];
    const ptrdiff_t ch = source.channels, stride = static_cast<ptrdiff_t>(source.stride);
    // Source offset of stored (x, y) counted from the top: rows are bottom-up.
    auto offset = [&](ptrdiff_t x, ptrdiff_t y) { return x * ch + (source.height - 1 - y) * stride; };
    const ptrdiff_t w1 = source.width - 1, h1 = source.height - 1;
    const ptrdiff_t origin = offset(m.c * w1, m.f * h1);
    const ptrdiff_t stepX = m.a * ch - m.d * stride, stepY = m.b * ch - m.e * stride;
    for (int dy = 0; dy < target.height; dy++) {
        BYTE *out = target.rows + static_cast<size_t>(target.height - 1 - dy) * target.stride;
        ptrdiff_t at = origin + dy * stepY;
        if (ch == 1) {
            for (int dx = 0; dx < target.width; dx++, at += stepX) out[dx] = source.rows[at];
        } else {
            for (int dx = 0; dx < target.width; dx++, at += stepX, out += 3) std::memcpy(out, source.rows + at, 3);
        }
    }
}

bool PlanPhoto(PhotoPlan &plan, int storedWidth, int storedHeight, int orientation, int maxWidth, int maxHeight, int bits) {
    plan = PhotoPlan{};
    if (bits != 24 && bits != 8) return false;
    if (storedWidth < 1 || storedHeight < 1 || uint64_t{static_cast<uint32_t>(storedWidth)} * static_cast<uint32_t>(storedHeight) > kMaxPhotoPixels)
        return false;
    plan.orientation = orientation >= 1 && orientation <= 8 ? orientation : 1;
    plan.bits = bits;
    // Turned a quarter, the picture as stored fits the box turned likewise.
    bool turned = plan.orientation >= 5;
    return FitInto(storedWidth, storedHeight, turned ? maxHeight : maxWidth, turned ? maxWidth : maxHeight, &plan.fitWidth,
                   &plan.fitHeight);
}

bool PrepareDecode(PhotoPlan &plan, int width, int height) {
    if (width < 1 || height < 1 || uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height) > kMaxPhotoPixels)
        return false;
    bool last = width == plan.fitWidth && height == plan.fitHeight && plan.orientation == 1 && (plan.bits == 24 || plan.indexed);
    if (last) return MakeResult(plan, width, height, plan.decoded);
    plan.buffer = Allocate(width, height, plan.indexed ? 1 : 3, plan.decoded);
    return plan.buffer != nullptr;
}

PackedDib FinishPhoto(PhotoPlan &plan, const Raster &source) {
    Raster at = source;
    Raster fitted, turned;
    const bool turns = plan.orientation != 1;
    // The stage that writes the bitmap's own rows: the last one, unless a quantiser follows.
    const bool rowsAreResult = plan.bits == 24 || plan.indexed;
    bool ok = true;
    if (at.width != plan.fitWidth || at.height != plan.fitHeight) {
        ok = at.channels == 3 && !plan.indexed;
        if (ok && !turns && rowsAreResult) ok = MakeResult(plan, plan.fitWidth, plan.fitHeight, fitted);
        else if (ok) ok = Allocate(plan.fitWidth, plan.fitHeight, 3, fitted) != nullptr;
        ok = ok && Resample(at, fitted);
        at = fitted;
    }
    if (ok && turns) {
        int width = plan.orientation >= 5 ? at.height : at.width, height = plan.orientation >= 5 ? at.width : at.height;
        if (rowsAreResult) ok = MakeResult(plan, width, height, turned);
        else ok = Allocate(width, height, at.channels, turned) != nullptr;
        if (ok) TurnUpright(at, plan.orientation, turned);
        at = turned;
    } else if (ok && rowsAreResult && (!plan.dib || at.rows != RasterOf(plan.dib).rows)) {
        // Pixels that were right as they stood (a BMP of the fitted size): copied into the result once.
        Raster rows;
        ok = MakeResult(plan, at.width, at.height, rows);
        for (int y = 0; ok && y < at.height; y++)
            std::memcpy(rows.rows + y * rows.stride, at.rows + y * at.stride, static_cast<size_t>(at.width) * at.channels);
    }
    if (ok && !rowsAreResult) ok = (plan.dib = QuantiseToDib(at)) != nullptr;
    if (ok && plan.indexed) std::memcpy(reinterpret_cast<BYTE *>(plan.dib) + plan.dib->biSize, plan.palette, sizeof plan.palette);
    if (fitted.rows && (!plan.dib || fitted.rows != RasterOf(plan.dib).rows)) std::free(fitted.rows);
    if (turned.rows && (!plan.dib || turned.rows != RasterOf(plan.dib).rows)) std::free(turned.rows);
    PackedDib result = ok ? plan.dib : nullptr;
    if (!ok) DibFree(plan.dib);
    plan.dib = nullptr;
    std::free(plan.buffer);
    plan.buffer = nullptr;
    return result;
}

void AbandonPhoto(PhotoPlan &plan) {
    DibFree(plan.dib);
    plan.dib = nullptr;
    std::free(plan.buffer);
    plan.buffer = nullptr;
}
