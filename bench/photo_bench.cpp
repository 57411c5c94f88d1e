// Where a user waits for one of their own photos: an 18-megapixel camera
// picture made into a full-screen picture and into a preview, each beside
// the JPEG library's own decode of the same file at the DCT scale the
// photo is decoded at (the least work that could give the picture); both
// pictures of a show's record from one decode, beside the full-screen
// decode; and a list preview from the camera's EXIF thumbnail, beside the
// library's decode for a preview.
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
#include "support/exif.h"
#include "support/fixtures.h"
#include "support/jpeg.h"

namespace {

constexpr int kWidth = 4896, kHeight = 3672;
const char kPhoto[] = "C:\\CAMERA.JPG";
const char kPhotoWithThumbnail[] = "C:\\PHONE.JPG";

// Made once, written again before each run: another benchmark's run may
// have reset the machine in between.
void Prepare() {
    static const Bytes photo = MakeJpeg(kWidth, kHeight, PhotoPixel);
    static const Bytes withThumbnail =
        WithApp1(photo, MakeExifApp1(MakeExifTiffWithThumbnail(1, false, MakeJpeg(160, 120, PhotoPixel))));
    Layer::Reset();
    WriteDosFile(kPhoto, photo);
    WriteDosFile(kPhotoWithThumbnail, withThumbnail);
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
void BM_LoadPhotoRecord(benchmark::State &state) {
    Prepare();
    for (auto _ : state) {
        PackedDib full = nullptr, preview = nullptr;
        if (!LoadPhotoRecord(kPhoto, 800, 600, 24, &full, &preview)) state.SkipWithError("no picture");
        DibFree(full);
        DibFree(preview);
    }
}
void BM_PreviewFromExifThumbnail(benchmark::State &state) {
    Prepare();
    for (auto _ : state) {
        PackedDib dib = LoadPhotoPreview(kPhotoWithThumbnail, 100, 75, 24);
        if (!dib) state.SkipWithError("no picture");
        DibFree(dib);
    }
}
void BM_JpegLibraryDecodeForFullScreen(benchmark::State &state) { LibraryDecode(state, 800, 600); }
void BM_LoadPhotoPreview(benchmark::State &state) { LoadAsPhoto(state, 100, 75); }
void BM_JpegLibraryDecodeForPreview(benchmark::State &state) { LibraryDecode(state, 100, 75); }

BENCHMARK(BM_LoadPhotoFullScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPhotoRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewFromExifThumbnail)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLibraryDecodeForFullScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPhotoPreview)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLibraryDecodeForPreview)->Unit(benchmark::kMillisecond);

const bool registered = RegisterRatio({"BM_LoadPhotoFullScreen", "BM_JpegLibraryDecodeForFullScreen", 1.2}) &&
                        RegisterRatio({"BM_LoadPhotoPreview", "BM_JpegLibraryDecodeForPreview", 1.2}) &&
                        RegisterRatio({"BM_LoadPhotoRecord", "BM_JpegLibraryDecodeForFullScreen", 1.2}) &&
                        RegisterRatio({"BM_PreviewFromExifThumbnail", "BM_JpegLibraryDecodeForPreview", 0.1});

}  // namespace
