// Where a user waits for a show: saving a 40-picture show whose pictures
// are all kept (against copying the same bytes), and opening it for
// editing (against a show whose full-screen pictures are four times
// smaller: only the previews are read, so the two should take as long).
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "disc/picture_entry.h"
#include "platform/testing/layer.h"
#include "ratios.h"
#include "saverfile/load.h"
#include "saverfile/save.h"
#include "support/builders.h"
#include "support/fixtures.h"

namespace {

constexpr int kPictures = 40;

Bytes Show(int width, int height) {
    std::vector<ShowRecord> records;
    for (int i = 0; i < kPictures; i++)
        records.push_back({MakePackedDib(width, height, 24, [i](int x, int y) { return static_cast<uint32_t>(x * 3 + y * 5 + i); }),
                           MakePackedDib(100, 75, 24, [i](int x, int) { return static_cast<uint32_t>(x + i); })});
    return MakeShow(records);
}

// A fresh machine with the show in the system directory.
void InstallShow(const Bytes &show) {
    Layer::Reset();
    WriteDosFile(SystemDirectory() + "\\BENCH.QMS", show);
    EnterFolder(SystemDirectory().c_str());
}

void FreeEntries(const std::vector<PictureEntry *> &entries) {
    for (PictureEntry *entry : entries) FreePictureEntry(entry);
}

const Bytes &LargeShow() {
    static const Bytes show = Show(640, 480);
    return show;
}

void BM_SaveKeptShow(benchmark::State &state) {
    InstallShow(LargeShow());
    LoadedShow show = LoadShowForEditing("BENCH.QMS");
    for (auto _ : state)
        if (SaveShow(show.entries, "BENCH.QMS", -1, false).status != SaveStatus::kSaved)
            state.SkipWithError("the save failed");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(LargeShow().size()));
    FreeEntries(show.entries);
}

// The plain way to put the same bytes in a new file, as cp does: read and
// write in large pieces; then the same again with the data flushed to the
// disk, as the save does before it replaces the old show.
void CopyShow(benchmark::State &state, bool flush) {
    InstallShow(LargeShow());
    std::vector<char> buffer(1 << 20);
    std::string from = SystemDirectory() + "\\BENCH.QMS", to = SystemDirectory() + "\\COPY.QMS";
    for (auto _ : state) {
        HFILE in = OpenForReading(from.c_str()), out = CreateAnew(to.c_str());
        for (long got; (got = _hread(in, buffer.data(), static_cast<long>(buffer.size()))) > 0;) _hwrite(out, buffer.data(), got);
        if (flush) FlushFileBuffers(reinterpret_cast<HANDLE>(static_cast<intptr_t>(out)));
        _lclose(in);
        _lclose(out);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(LargeShow().size()));
}

void BM_CopyShowBytes(benchmark::State &state) { CopyShow(state, false); }
void BM_CopyShowBytesFlushed(benchmark::State &state) { CopyShow(state, true); }

void LoadForEditing(benchmark::State &state, const Bytes &show) {
    InstallShow(show);
    for (auto _ : state) {
        LoadedShow loaded = LoadShowForEditing("BENCH.QMS");
        if (loaded.error != kLoaded) state.SkipWithError("the load failed");
        FreeEntries(loaded.entries);
    }
}

void BM_LoadShowForEditing(benchmark::State &state) { LoadForEditing(state, LargeShow()); }

void BM_LoadShowOfSmallerPictures(benchmark::State &state) {
    static const Bytes small = Show(320, 240);
    LoadForEditing(state, small);
}

BENCHMARK(BM_SaveKeptShow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyShowBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyShowBytesFlushed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadShowForEditing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadShowOfSmallerPictures)->Unit(benchmark::kMillisecond);

const bool registered = RegisterRatio({"BM_SaveKeptShow", "BM_CopyShowBytesFlushed", 1.5}) &&
                        RegisterRatio({"BM_SaveKeptShow", "BM_CopyShowBytes", 1.5}) &&
                        RegisterRatio({"BM_LoadShowForEditing", "BM_LoadShowOfSmallerPictures", 1.1});

}  // namespace
