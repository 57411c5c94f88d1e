// Where a user waits: a full-screen picture drawn at a tick. Runs on the
// portable layer.
//   build/native/qmsaver_bench
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/host.h"
#include "image/dib.h"
#include "platform/testing/layer.h"
#include "player/player.h"
#include "player/settings.h"
#include "ratios.h"
#include "support/builders.h"
#include "support/fixtures.h"

namespace {

Bytes Picture(int width, int height, int bits) {
    return MakePackedDib(width, height, bits, [&](int x, int y) {
        return bits == 8 ? static_cast<uint32_t>((x + y) & 255) : static_cast<uint32_t>(x * 0x010203 ^ y * 0x030201) & 0xFFFFFF;
    });
}

// A saver window on a 1024 x 768 screen with a one-picture show open.
HWND OpenShow(int screenDepth, const Bytes &picture) {
    Layer::Reset();
    Layer::SetScreen(1024, 768, screenDepth);
    ResetProgramState();
    WriteDosFile("C:\\WINDOWS\\SYSTEM\\BENCH.QMS", MakeShow({{picture, Picture(100, 75, 24)}}));
    WritePrivateProfileStringW(L"ScreenSaver.QM Custom Saver 2.1", L"ItemName", L"BENCH.QMS", L"control.ini");
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

// The plain way to put a full-screen picture on the screen: one copy of
// its pixels.
void BM_CopyFullScreen(benchmark::State &state) {
    std::vector<uint32_t> picture(1024 * 768, 0x123456), screen(1024 * 768);
    for (auto _ : state) {
        std::memcpy(screen.data(), picture.data(), picture.size() * sizeof picture[0]);
        benchmark::DoNotOptimize(screen.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_Draw24BitOn24BitScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Draw8BitOn24BitScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Draw8BitOnPaletteScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawCentred640On1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyFullScreen)->Unit(benchmark::kMillisecond);

// The layer draws on the program's behalf: blackening, converting and
// clipping a picture are the work a tick asks of it.
const bool registered = RegisterRatio({"BM_Draw24BitOn24BitScreen", "BM_CopyFullScreen", 8.0});

}  // namespace
