// Where a user waits for one of their own photos: an 18-megapixel camera
// picture made into a full-screen picture and into a preview, each beside
// the JPEG library's own decode of the same file at the DCT scale the
// photo is decoded at (the least work that could give the picture).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <jpeglib.h>

#include "photo/photo.h"
#include "photo/pipeline.h"
#include "platform/testing/layer.h"
#include "library_decode.h"
#include "ratios.h"
#include "support/fixtures.h"
#include "support/jpeg.h"

namespace {

constexpr int kWidth = 4896, kHeight = 3672;
const char kPhoto[] = "C:\\CAMERA.JPG";

// Made once, written again before each run: another benchmark's run may
// have reset the machine in between.
void Prepare() {
    static const Bytes photo = MakeJpeg(kWidth, kHeight, PhotoPixel);
    Layer::Reset();
    WriteDosFile(kPhoto, photo);
}

void LoadAsPhoto(benchmark::State &state, int width, int height) {
    Prepare();
    for (auto _ : state) {
        PackedDib dib = LoadPhoto(kPhoto, width, height, 24);
        if (!dib) state.SkipWithError("no picture");
        DibFree(dib);
    }
}

// The library alone at the scale LoadPhoto takes for the box: the file
// through stdio into rows in memory.
void LibraryDecode(benchmark::State &state, int width, int height) {
    Prepare();
    int fitWidth, fitHeight;
    FitInto(kWidth, kHeight, width, height, &fitWidth, &fitHeight);
    const unsigned scale = static_cast<unsigned>(JpegScaleFor(kWidth, kHeight, fitWidth, fitHeight));
    std::string host = Layer::HostPath(kPhoto);
    for (auto _ : state) DecodeWithLibrary(host, scale);
}

void BM_LoadPhotoFullScreen(benchmark::State &state) { LoadAsPhoto(state, 800, 600); }
void BM_JpegLibraryDecodeForFullScreen(benchmark::State &state) { LibraryDecode(state, 800, 600); }
void BM_LoadPhotoPreview(benchmark::State &state) { LoadAsPhoto(state, 100, 75); }
void BM_JpegLibraryDecodeForPreview(benchmark::State &state) { LibraryDecode(state, 100, 75); }

BENCHMARK(BM_LoadPhotoFullScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLibraryDecodeForFullScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPhotoPreview)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLibraryDecodeForPreview)->Unit(benchmark::kMillisecond);

const bool registered = RegisterRatio({"BM_LoadPhotoFullScreen", "BM_JpegLibraryDecodeForFullScreen", 1.2}) &&
                        RegisterRatio({"BM_LoadPhotoPreview", "BM_JpegLibraryDecodeForPreview", 1.2});

}  // namespace
