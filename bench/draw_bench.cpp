// Where a user waits: a full-screen picture drawn at a tick, and a BMP
// picture loaded from a disc. Runs on the portable layer.
//   build/native/qmsaver_bench
#include <benchmark/benchmark.h>

#include <string>

#include "host/host.h"
#include "image/dib.h"
#include "platform/testing/layer.h"
#include "player/player.h"
#include "player/settings.h"
#include "support/builders.h"

namespace {

bool WriteFile(const std::string &path, const Bytes &bytes) {
    OFSTRUCT info{};
    HFILE f = OpenFile(path.c_str(), &info, OF_CREATE | OF_WRITE);
    if (f == HFILE_ERROR) return false;
    bool ok = _hwrite(f, reinterpret_cast<LPCSTR>(bytes.data()), static_cast<long>(bytes.size())) ==
              static_cast<long>(bytes.size());
    _lclose(f);
    return ok;
}

Bytes Picture(int width, int height, int bits) {
    return MakePackedDib(width, height, bits, [&](int x, int y) {
        return bits == 8 ? static_cast<uint32_t>((x + y) & 255) : static_cast<uint32_t>(x * 0x010203 ^ y * 0x030201) & 0xFFFFFF;
    });
}

// A saver window on a 1024 x 768 screen with a one-picture show open.
HWND OpenShow(int screenDepth, const Bytes &picture) {
    Layer::Reset();
    Layer::SetScreen(1024, 768, screenDepth);
    host = HostState{};
    host.instance = GetModuleHandleA(nullptr);
    player = PlayerState{};
    WriteFile("C:\\WINDOWS\\SYSTEM\\BENCH.QMS", MakeShow({{picture, Picture(100, 75, 24)}}));
    WritePrivateProfileStringA("ScreenSaver.QM Custom Saver 2.1", "ItemName", "BENCH.QMS", "control.ini");
    return CreateSaverWindow(nullptr, nullptr);
}

void DrawFullScreen(benchmark::State &state, int screenDepth, int width, int height, int bits) {
    HWND hwnd = OpenShow(screenDepth, Picture(width, height, bits));
    HDC hdc = GetDC(hwnd);
    for (auto _ : state) DrawNextPicture(hwnd, hdc);
    if (player.showFile == HFILE_ERROR) state.SkipWithError("the show did not open");
    ReleaseDC(hwnd, hdc);
    DestroyWindow(hwnd);
    state.SetItemsProcessed(state.iterations() * width * height);
}

void BM_Draw24BitOn24BitScreen(benchmark::State &state) { DrawFullScreen(state, 24, 1024, 768, 24); }
void BM_Draw8BitOn24BitScreen(benchmark::State &state) { DrawFullScreen(state, 24, 1024, 768, 8); }
void BM_Draw8BitOnPaletteScreen(benchmark::State &state) { DrawFullScreen(state, 8, 1024, 768, 8); }
void BM_DrawCentred640On1024(benchmark::State &state) { DrawFullScreen(state, 24, 640, 480, 24); }

void BM_LoadBmp(benchmark::State &state) {
    Layer::Reset();
    WriteFile("C:\\PICTURE.BMP", MakeBmpFile(Picture(640, 480, 24)));
    for (auto _ : state) {
        PackedDib dib = DibLoadFile("C:\\PICTURE.BMP");
        benchmark::DoNotOptimize(dib);
        DibFree(dib);
    }
}

BENCHMARK(BM_Draw24BitOn24BitScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Draw8BitOn24BitScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Draw8BitOnPaletteScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawCentred640On1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBmp)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
