// Where a user waits on a folder of their own photos in the editor: a
// folder of a thousand phone photos chosen, until the photos on the
// screen show their previews, beside the same for a folder of ten (the
// previews on the screen are the same work for both: what the larger
// folder adds is its listing); and the memory the editor takes while the
// user scrolls a folder of thirty thousand from top to bottom a screenful
// at a time.
//
// Each photo is a 12-megapixel JPEG with the 160 x 120 thumbnail in its
// EXIF data that phones write, which the editor previews from. The photos
// lie a hundred to a folder, as imports leave them in the camera roll, and
// are hard links to one file: one photo's bytes on the disk, whatever the count.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "disc/catalogue.h"
#include "disc/picture.h"
#include "disc/picture_entry.h"
#include "host/host.h"
#include "platform/testing/layer.h"
#include "player/player.h"
#include "player/settings.h"
#include "ratios.h"
#include "resources/resource.h"
#include "support/exif.h"
#include "support/fixtures.h"
#include "support/folder_dialog.h"
#include "support/jpeg.h"
#include "support/user_actions.h"
#include "text/text.h"
#include "ui/editor.h"

namespace {

const char kFolder[] = "C:\\PHOTOS";
constexpr int kPhotosPerImport = 100;

const Bytes &PhonePhoto() {
    static const Bytes photo =
        WithApp1(MakeJpeg(4000, 3000, PhotoPixel),
                 MakeExifApp1(MakeExifTiffWithThumbnail(1, false, MakeJpeg(160, 120, PhotoPixel))));
    return photo;
}

std::string ImportFolder(int import) {
    char name[64];
    std::snprintf(name, sizeof name, "%s\\Camera Roll\\Import %03d", kFolder, import + 1);
    return name;
}

// A fresh machine whose C:\PHOTOS holds count phone photos, read as the
// configuration dialog reads the settings before it runs the editor.
// Empty on success, else what went wrong.
std::string PrepareFolder(int count) {
    Layer::Reset();
    ResetProgramState();
    // The editor's own list, at a size where a screenful is fewer than the
    // smaller folder's photos: both make the same previews.
    Layer::SetScreen(800, 600, 24);
    MakeFolder(kFolder);
    MakeFolder((std::string(kFolder) + "\\Camera Roll").c_str());
    std::string first;
    for (int i = 0; i < count; i++) {
        if (i % kPhotosPerImport == 0 && !MakeFolder(ImportFolder(i / kPhotosPerImport).c_str()))
            return "cannot make " + ImportFolder(i / kPhotosPerImport);
        char name[32];
        std::snprintf(name, sizeof name, "\\IMG_%05d.JPG", i + 1);
        std::string path = ImportFolder(i / kPhotosPerImport) + name;
        if (i == 0) {
            if (!WriteDosFile(path, PhonePhoto())) return "cannot write " + path;
            first = Layer::HostPath(path);
            continue;
        }
        std::string host = Layer::HostPath(path);
        if (host.empty()) return "no host path for " + path;
        if (link(first.c_str(), host.c_str()) == 0) continue;
        // A disk without hard links: real copies, for the thousand only.
        if (count > 1000) return "cannot link " + host;
        if (!WriteDosFile(path, PhonePhoto())) return "cannot write " + path;
    }
    LoadSettingStrings(GetModuleHandleW(nullptr));
    ReadSettings();
    ScanForTitleDisc();
    EnterShowFolder();
    ReadDisplayDepth();
    return "";
}

// One turn of the editor's loop: the next message, else the clock on to
// the next timer. False once nothing is left to happen.
bool Turn() {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        return true;
    }
    DWORD next = Layer::NextEventIn();
    if (next > 60000) return false;
    Layer::AdvanceClock(next);
    return true;
}

bool HasPreview(HWND list, int index) {
    auto *entry = reinterpret_cast<const PictureEntry *>(SendMessageW(list, LB_GETITEMDATA, index, 0));
    return entry && reinterpret_cast<LRESULT>(entry) != LB_ERR && entry->preview && !IsPlaceholder(entry->preview);
}

// Each item on the screen has its photo's preview, not the placeholder
// (the items themselves only: the check costs the same for any folder).
bool VisibleHavePreviews(HWND list) {
    auto [first, end] = VisibleItems(list);
    for (int i = first; i < end; i++)
        if (!HasPreview(list, i)) return false;
    return end > first;
}

// Turns the loop until every item on the screen has its preview and has
// been painted with it; false if that never comes.
bool RunUntilVisiblePreviewsDrawn(HWND list) {
    for (int turns = 0; turns < 100000; turns++) {
        if (VisibleHavePreviews(list)) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageW(&msg);
            return true;
        }
        if (!Turn()) return false;
    }
    return false;
}

// Lets whatever the editor still has to do run out, the clock going on.
void RunDry() {
    for (int turns = 0; turns < 100000 && Turn(); turns++) {
    }
}

// The last item of the content chooser asks for a folder: the user picks C:\PHOTOS.
void ChooseFolder(HWND editor) {
    int last = static_cast<int>(SendDlgItemMessageW(editor, IDC_CONTENTS, CB_GETCOUNT, 0, 0)) - 1;
    AnswerFolderChoosers([&] { ChooseComboItem(editor, IDC_CONTENTS, last); }, {kFolder});
}

// Runs the editor on a new show with steps acting on it from inside its
// loop, and closes it after.
void InEditor(const std::function<void(HWND)> &steps) {
    char fileName[kShowNameSize] = "";
    InNextDialog([&] { RunEditor(GetModuleHandleW(nullptr), nullptr, fileName); },
                 [&](HWND editor) {
                     steps(editor);
                     SendMessageW(editor, WM_CLOSE, 0, 0);
                 });
}

// The preview in the middle of the first item on the screen is drawn: the
// screen there is not the list's background, as an item awaiting its
// preview leaves it.
bool FirstVisibleItemShowsAPicture(HWND list) {
    RECT item;
    int top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    if (SendMessageW(list, LB_GETITEMRECT, top, reinterpret_cast<LPARAM>(&item)) == LB_ERR) return false;
    POINT middle{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(list, &middle);
    COLORREF window = GetSysColor(COLOR_WINDOW);
    uint32_t background = uint32_t{GetRValue(window)} << 16 | uint32_t{GetGValue(window)} << 8 | GetBValue(window);
    return Layer::ScreenPixel(middle.x, middle.y) != background;
}

// The editor is open on a new show (not timed); the folder is chosen and
// the loop runs until the photos on the screen show their previews.
// Between two runs the chooser goes back to its first item (the empty
// Pictures folder), which lets every entry and preview of the folder go.
void OpenFolderOfPhotos(benchmark::State &state, int count) {
    std::string error = PrepareFolder(count);
    if (!error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    int visible = 0;
    InEditor([&](HWND editor) {
        HWND list = GetDlgItem(editor, IDC_SOURCE_LIST);
        RunDry();
        for (auto _ : state) {
            ChooseFolder(editor);
            bool drawn = RunUntilVisiblePreviewsDrawn(list);
            state.PauseTiming();
            int listed = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
            auto [first, end] = VisibleItems(list);
            visible = end - first;
            if (listed != count) state.SkipWithError(("listed " + std::to_string(listed) + " photos").c_str());
            else if (!drawn) state.SkipWithError("the previews on the screen never came");
            else if (visible >= count) state.SkipWithError("a screenful holds the whole folder");
            else if (!FirstVisibleItemShowsAPicture(list)) state.SkipWithError("the first item is not drawn");
            ChooseComboItem(editor, IDC_CONTENTS, 0);
            RunDry();
            state.ResumeTiming();
            if (state.error_occurred()) break;
        }
    });
    state.counters["visible"] = visible;
}

void BM_OpenFolderOf10Photos(benchmark::State &state) { OpenFolderOfPhotos(state, 10); }
void BM_OpenFolderOf1000Photos(benchmark::State &state) { OpenFolderOfPhotos(state, 1000); }

BENCHMARK(BM_OpenFolderOf10Photos)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenFolderOf1000Photos)->Unit(benchmark::kMillisecond);

// A figure of /proc/self/status in kB; -1 when it cannot be read.
long StatusKb(const char *field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
    return -1;
}

// Starts the process's peak resident size afresh from what it holds now.
// Memory that earlier benchmarks freed goes back to the system first: the
// allocator would otherwise hand it to the editor without the resident
// size growing, and the growth would not show.
bool ResetPeakMemory() {
    malloc_trim(0);
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5" << std::flush;
    return clear.good();
}

constexpr int kLargeFolder = 30000;

// The folder chosen, then the list scrolled from its top to its bottom a
// screenful at a time (LB_SETTOPINDEX, as the scroll bar's page moves do),
// the loop run after each step until the photos on the screen show their
// previews. The peak is the whole process's highest resident size from
// the moment the folder is chosen, with the editor already open.
void BM_ScrollFolderOf30000Photos(benchmark::State &state) {
    std::string error = PrepareFolder(kLargeFolder);
    if (!error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    double peakMb = 0, growthMb = 0, openSeconds = 0, scrollSeconds = 0;
    int steps = 0;
    InEditor([&](HWND editor) {
        HWND list = GetDlgItem(editor, IDC_SOURCE_LIST);
        RunDry();
        for (auto _ : state) {
            if (!ResetPeakMemory()) {
                state.SkipWithError("the peak resident size cannot be reset (/proc/self/clear_refs)");
                break;
            }
            long before = StatusKb("VmRSS");
            auto start = std::chrono::steady_clock::now();
            ChooseFolder(editor);
            if (!RunUntilVisiblePreviewsDrawn(list)) {
                state.SkipWithError("the first previews never came");
                break;
            }
            auto opened = std::chrono::steady_clock::now();
            int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
            auto [first, end] = VisibleItems(list);
            int page = end - first;
            if (count != kLargeFolder) {
                state.SkipWithError(("listed " + std::to_string(count) + " photos").c_str());
                break;
            }
            bool reachedEnd = false;
            for (int top = page; top < count && !state.error_occurred(); top += page) {
                SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
                steps++;
                if (!RunUntilVisiblePreviewsDrawn(list))
                    state.SkipWithError(("the previews at " + std::to_string(top) + " never came").c_str());
                reachedEnd = VisibleItems(list).second == count;
            }
            auto scrolled = std::chrono::steady_clock::now();
            long peak = StatusKb("VmHWM");
            if (!state.error_occurred() && !reachedEnd) state.SkipWithError("the scroll never showed the last photo");
            if (!state.error_occurred() && (peak < 0 || before < 0))
                state.SkipWithError("no resident sizes in /proc/self/status");
            peakMb = peak / 1024.0;
            growthMb = (peak - before) / 1024.0;
            openSeconds = std::chrono::duration<double>(opened - start).count();
            scrollSeconds = std::chrono::duration<double>(scrolled - opened).count();
        }
    });
    state.counters["peak_MB"] = peakMb;
    state.counters["growth_MB"] = growthMb;
    state.counters["open_s"] = openSeconds;
    state.counters["scroll_s"] = scrollSeconds;
    state.counters["steps"] = steps;
}

BENCHMARK(BM_ScrollFolderOf30000Photos)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(1);

const bool registered = RegisterRatio({"BM_OpenFolderOf1000Photos", "BM_OpenFolderOf10Photos", 1.5}) &&
                        RegisterPeak({"BM_ScrollFolderOf30000Photos", 200});

}  // namespace
