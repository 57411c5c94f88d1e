// 256 colours for pictures the JPEG library's own quantiser cannot serve
// (PNG and BMP files, and JPEGs that are resampled after decoding):
// libimagequant chooses the palette and dithers the picture onto it.
#include "photo/pipeline.h"

#include <libimagequant.h>

#include <cstring>
#include <new>

namespace {

// The library reads the picture a row at a time, as it goes: no copy of
// the whole picture in its own form is made.
void RowOf(liq_color rowOut[], int row, int width, void *user) {
    const Raster &picture = *static_cast<const Raster *>(user);
    const BYTE *in = picture.rows + static_cast<size_t>(row) * picture.stride;
    for (int x = 0; x < width; x++, in += 3) rowOut[x] = liq_color{in[2], in[1], in[0], 255};
}

}  // namespace

PackedDib QuantiseToDib(const Raster &picture) {
    if (picture.channels != 3) return nullptr;
    PackedDib dib = DibCreate(8, picture.width, picture.height);
    if (!dib) return nullptr;
    Raster out = RasterOf(dib);
    liq_attr *attr = liq_attr_create();
    liq_image *image = attr ? liq_image_create_custom(attr, RowOf, const_cast<Raster *>(&picture), picture.width, picture.height, 0)
                            : nullptr;
    liq_result *result = nullptr;
    bool ok = image && liq_image_quantize(image, attr, &result) == LIQ_OK;
    // Row pointers in the bitmap's own order: the indices land in place.
    BYTE **rows = ok ? new (std::nothrow) BYTE *[static_cast<size_t>(picture.height)] : nullptr;
    if (rows) {
        for (int y = 0; y < picture.height; y++) rows[y] = out.rows + static_cast<size_t>(y) * out.stride;
        ok = liq_set_dithering_level(result, 1.0f) == LIQ_OK && liq_write_remapped_image_rows(result, image, rows) == LIQ_OK;
    } else {
        ok = false;
    }
    if (ok) {
        // Read after remapping, which may still refine the colours; unused entries stay black.
        const liq_palette *palette = liq_get_palette(result);
        auto *table = reinterpret_cast<RGBQUAD *>(reinterpret_cast<BYTE *>(dib) + dib->biSize);
        std::memset(table, 0, 256 * sizeof(RGBQUAD));
        for (unsigned i = 0; i < palette->count && i < 256; i++)
            table[i] = RGBQUAD{palette->entries[i].b, palette->entries[i].g, palette->entries[i].r, 0};
    }
    delete[] rows;
    if (result) liq_result_destroy(result);
    if (image) liq_image_destroy(image);
    if (attr) liq_attr_destroy(attr);
    if (!ok) {
        DibFree(dib);
        return nullptr;
    }
    return dib;
}
