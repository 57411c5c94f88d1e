// Where a user waits for a picture: a large photo decoded from a JPEG, and
// a BMP loaded from a disc, each beside the plain way of doing the same
// work (the library's own decode to memory; a raw read of the same bytes).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <jpeglib.h>

#include "image/dib.h"
#include "image/jpeg.h"
#include "platform/testing/layer.h"
#include "library_decode.h"
#include "ratios.h"
#include "support/builders.h"
#include "support/fixtures.h"
#include "support/jpeg.h"

namespace {

// A photo the size of a camera's: 3000 x 2000, 4:2:0, quality 90.
const char kPhoto[] = "C:\\PHOTO.JPG";
const char kBitmap[] = "C:\\PICTURE.BMP";

// The files, made once and written again before each run: another
// benchmark's run may have reset the machine in between.
void Prepare() {
    static const Bytes photo = MakeJpeg(3000, 2000, PhotoPixel);
    static const Bytes bitmap = MakeBmpFile(MakePackedDib(1024, 768, 24, PhotoPixel));
    Layer::Reset();
    WriteDosFile(kPhoto, photo);
    WriteDosFile(kBitmap, bitmap);
}

void BM_JpegLoadFile(benchmark::State &state) {
    Prepare();
    for (auto _ : state) {
        PackedDib dib = JpegLoadFile(kPhoto);
        if (!dib) state.SkipWithError("no picture");
        DibFree(dib);
    }
}

// The library alone: the same file through stdio into rows in memory.
void BM_JpegLibraryDecode(benchmark::State &state) {
    Prepare();
    std::string host = Layer::HostPath(kPhoto);
    for (auto _ : state) DecodeWithLibrary(host, 8);
}

void BM_DibLoadFile(benchmark::State &state) {
    Prepare();
    for (auto _ : state) {
        PackedDib dib = DibLoadFile(kBitmap);
        if (!dib) state.SkipWithError("no picture");
        DibFree(dib);
    }
}

// The same bytes read whole into a block of their size.
void BM_RawRead(benchmark::State &state) {
    Prepare();
    for (auto _ : state) {
        HFILE f = OpenForReading(kBitmap);
        LONG size = _llseek(f, 0, FILE_END);
        _llseek(f, 0, FILE_BEGIN);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size));
        void *p = GlobalLock(memory);
        _hread(f, p, size);
        _lclose(f);
        benchmark::DoNotOptimize(p);
        GlobalUnlock(memory);
        GlobalFree(memory);
    }
}

BENCHMARK(BM_JpegLoadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLibraryDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DibLoadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);

const bool registered = RegisterRatio({"BM_JpegLoadFile", "BM_JpegLibraryDecode", 1.05}) &&
                        RegisterRatio({"BM_DibLoadFile", "BM_RawRead", 1.2});

}  // namespace
