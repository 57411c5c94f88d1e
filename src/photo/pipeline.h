// What the decoders of photo/ share: how a picture is fitted, where its
// decoded rows go, and how they become the finished bitmap, so that every
// format takes the same road and no pixel is copied twice where once will do.
#pragma once

#include "image/dib.h"

#include <cstddef>
#include <cstdint>

// Pixels as they pass from stage to stage: 3 bytes a pixel in the bitmap's
// blue-green-red order (or 1, a palette index), rows bottom-up as a DIB
// has them (the first row in memory is the bottom of the picture).
struct Raster {
    int width = 0, height = 0, channels = 3;
    size_t stride = 0;
    BYTE *rows = nullptr;
};

// The size width x height takes fitted into maxWidth x maxHeight: scaled
// down, never up, each side rounded so that the shape stays within half a
// pixel. False for a size or box without pixels.
bool FitInto(int width, int height, int maxWidth, int maxHeight, int *fitWidth, int *fitHeight);

// The smallest scale M/8 (M = 1..8) at which the JPEG library's decode of a
// width x height picture (each side rounded up) still covers fitWidth x fitHeight.
int JpegScaleFor(int width, int height, int fitWidth, int fitHeight);

// Copies source, a picture as stored, into target turned upright by an EXIF
// orientation (1-8): target is source's size, or its sides swapped for 5-8.
void TurnUpright(const Raster &source, int orientation, const Raster &target);

// The largest picture the pipeline takes on, in pixels, as stored or decoded.
constexpr uint64_t kMaxPhotoPixels = uint64_t{1} << 28;

// One picture on its way through the pipeline. Plain data, so that the
// decoders can keep it across the libraries' long jumps.
struct PhotoPlan {
    int orientation = 1;
    int fitWidth = 0, fitHeight = 0;  // the fitted size, still as stored
    int bits = 24;
    bool indexed = false;             // the decoder gives palette indices (the JPEG library's quantiser)
    RGBQUAD palette[256] = {};
    Raster decoded;                   // where the decoder writes its rows
    PackedDib dib = nullptr;          // the result, once made
    BYTE *buffer = nullptr;           // the decoded rows when they cannot go into dib
};

// Sets the plan up for a picture as stored of storedWidth x storedHeight
// with its orientation, to be fitted into maxWidth x maxHeight (upright) at
// bits 24 or 8. False for a request or a size it cannot serve.
bool PlanPhoto(PhotoPlan &plan, int storedWidth, int storedHeight, int orientation, int maxWidth, int maxHeight, int bits);
// Makes plan.decoded ready for a decode of width x height: the result's
// own rows when nothing is left to do to them, else a buffer. False without memory.
bool PrepareDecode(PhotoPlan &plan, int width, int height);
// The finished bitmap from source (plan.decoded, or pixels the decoder has
// elsewhere, such as a loaded BMP's rows): resampled to the fitted size,
// turned upright, quantised for 8 bits. Null without memory; the plan's
// memory is released either way.
PackedDib FinishPhoto(PhotoPlan &plan, const Raster &source);
// Releases what the plan holds, for a decode that failed.
void AbandonPhoto(PhotoPlan &plan);

// A 24-bit picture quantised to 256 colours, dithered, into an 8-bit packed
// DIB of its size with 256 table entries; null when that fails.
PackedDib QuantiseToDib(const Raster &picture);

// The rows of a DIB made by DibCreate as a raster.
Raster RasterOf(PackedDib dib);
