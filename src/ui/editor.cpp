// The show editor (template 104, menu 114). Both lists are owner-drawn, one
// PictureEntry per item as its item data; an entry leaves with its item
// (WM_DELETEITEM), so each is released exactly once, also when the dialog
// goes and its lists with it.
#include "ui/editor.h"

#include "disc/catalogue.h"
#include "disc/picture.h"
#include "disc/picture_entry.h"
#include "disc/source_list.h"
#include "photo/folder.h"
#include "photo/photo.h"
#include "player/settings.h"
#include "resources/resource.h"
#include "saverfile/format.h"
#include "saverfile/load.h"
#include "saverfile/places.h"
#include "saverfile/save.h"
#include "text/glyphs.h"
#include "text/language.h"
#include "text/text.h"
#include "ui/listing.h"
#include "ui/music_dialog.h"
#include "ui/progress.h"
#include "ui/settings_dialog.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kItemHeight = 70;       // at 96 dots per inch; in proportion at more
constexpr UINT kNothingToActOn = 10;  // the beep of an action that finds no selection
constexpr int kListMargin = 9;        // between the lists' bottom and the window's

constexpr int kPreviewWidth = 100, kPreviewHeight = 75;

// Previews of the user's photos are made one per tick of this timer, so
// the editor answers between any two of them.
constexpr UINT_PTR kPreviewTimer = 1;
constexpr UINT kPreviewTick = 10;  // milliseconds; the shortest timer Windows has

// What an item of the content chooser stands for.
struct Source {
    int content = 0;             // a content of the disc, 1-based; 0 for a folder
    std::string folder;          // a folder of the user's pictures
    bool asksForFolder = false;  // the item that lets the user choose one
};

// What the editor knows while it is open, kept with its window.
struct EditorState {
    HINSTANCE instance = nullptr;
    bool modified = false;      // changes not saved yet; the Save item is enabled exactly then
    bool saving = false;        // a save runs: its boxes must not let another start or the editor close
    bool warnedFull = false;    // the user heard that the show holds more pictures than a show can
    int16_t musicChoice = -1;   // 1-based track chosen since the editor opened; -1 for none
    int initialWidth = 0;       // the window as made from its template: the smallest it may be
    int initialHeight = 0;
    // The show being edited, a bare name in the system directory; empty for a new show.
    char currentFileName[kShowNameSize] = "";
    // The chooser's items, by their item data, and the one whose pictures
    // the source list shows.
    std::vector<Source> sources;
    int shownItem = -1;
    bool makingPreviews = false;  // the preview timer runs
    // Photo previews made or copied into each list since it last counted
    // them: past kMostListPreviews the farthest from the view go.
    int sourcePreviews = 0;
    int showPreviews = 0;
};

// Null before WM_INITDIALOG (WM_GETMINMAXINFO comes while the window is made).
EditorState *StateOf(HWND dialog) { return reinterpret_cast<EditorState *>(GetWindowLongPtrW(dialog, DWLP_USER)); }

LRESULT ListMessage(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageW(dialog, id, message, wParam, lParam);
}

int Selection(HWND dialog, int id) { return static_cast<int>(ListMessage(dialog, id, LB_GETCURSEL)); }

PictureEntry *EntryAt(HWND dialog, int id, int index) {
    LRESULT data = ListMessage(dialog, id, LB_GETITEMDATA, static_cast<WPARAM>(index));
    return data == LB_ERR ? nullptr : reinterpret_cast<PictureEntry *>(data);
}

const Source *SourceOfItem(HWND dialog, int item) {
    const EditorState &state = *StateOf(dialog);
    LRESULT index = SendDlgItemMessageW(dialog, IDC_CONTENTS, CB_GETITEMDATA, static_cast<WPARAM>(item), 0);
    if (item < 0 || index < 0 || static_cast<size_t>(index) >= state.sources.size()) return nullptr;
    return &state.sources[static_cast<size_t>(index)];
}

// The disc content the source list shows; 0 for a folder.
int16_t ShownContent(HWND dialog) {
    const Source *source = SourceOfItem(dialog, StateOf(dialog)->shownItem);
    return static_cast<int16_t>(source ? source->content : 0);
}

// Adds an item for source to the chooser at index (-1: the end); its index.
int AddSource(HWND dialog, int index, const char *name, Source source) {
    EditorState &state = *StateOf(dialog);
    LRESULT item = SendItemText(dialog, IDC_CONTENTS, CB_INSERTSTRING, static_cast<WPARAM>(index), name);
    if (item < 0) return -1;
    state.sources.push_back(std::move(source));
    SendDlgItemMessageW(dialog, IDC_CONTENTS, CB_SETITEMDATA, static_cast<WPARAM>(item),
                        static_cast<LPARAM>(state.sources.size() - 1));
    return static_cast<int>(item);
}

void SetModified(HWND dialog, bool modified) {
    StateOf(dialog)->modified = modified;
    EnableMenuItem(GetMenu(dialog), IDM_SAVE, MF_BYCOMMAND | (modified ? MF_ENABLED : MF_GRAYED));
}

// The caption with the show's name: IDS_EDITOR_CAPTION or IDS_SAVED_CAPTION.
void SetCaption(HWND dialog, UINT format, const char *name) { SetWindowTextUtf8(dialog, FormatText(format, name)); }

void CheckColourItems(HWND dialog) {
    HMENU menu = GetMenu(dialog);
    CheckMenuItem(menu, IDM_MATCH_DISPLAY, MF_BYCOMMAND | (settings.use8bit ? MF_UNCHECKED : MF_CHECKED));
    CheckMenuItem(menu, IDM_ALWAYS_256, MF_BYCOMMAND | (settings.use8bit ? MF_CHECKED : MF_UNCHECKED));
}

// The palette the previews are drawn with on a palette screen: the twenty
// static colours, a 6x6x6 colour cube and a grey ramp between its greys.
HPALETTE CreateThumbnailPalette() {
    struct {
        WORD version;
        WORD count;
        PALETTEENTRY entries[256];
    } palette{0x300, 256, {}};
    static const BYTE kLowStatic[10][3] = {{0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},
                                           {0, 0, 128},   {128, 0, 128},   {0, 128, 128},   {192, 192, 192},
                                           {192, 220, 192}, {164, 200, 240}};
    static const BYTE kHighStatic[10][3] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
                                            {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
                                            {0, 255, 255},   {255, 255, 255}};
    auto set = [&](int i, int r, int g, int b, BYTE flags) {
        palette.entries[i] = {static_cast<BYTE>(r), static_cast<BYTE>(g), static_cast<BYTE>(b), flags};
    };
    for (int i = 0; i < 10; i++) {
        set(i, kLowStatic[i][0], kLowStatic[i][1], kLowStatic[i][2], 0);
        set(246 + i, kHighStatic[i][0], kHighStatic[i][1], kHighStatic[i][2], 0);
    }
    int n = 10;
    for (int r = 0; r < 6; r++)
        for (int g = 0; g < 6; g++)
            for (int b = 0; b < 6; b++) set(n++, r * 51, g * 51, b * 51, PC_NOCOLLAPSE);
    for (int i = 1; n < 246; i++) {
        int grey = i * 255 / 21;  // none of them on the cube's steps of 51
        set(n++, grey, grey, grey, PC_NOCOLLAPSE);
    }
    return CreatePalette(reinterpret_cast<LOGPALETTE *>(&palette));
}

// The dots per inch of the monitor the window is on. Windows has a window's
// own only from 10 1607; before it, the screen's serves.
int DpiOf(HWND window) {
    using GetDpiForWindowProc = UINT(WINAPI *)(HWND);
    UINT dpi = 0;
    if (HMODULE user = GetModuleHandleW(L"user32.dll")) {
        auto proc = reinterpret_cast<GetDpiForWindowProc>(
            reinterpret_cast<void (*)()>(GetProcAddress(user, "GetDpiForWindow")));
        if (proc) dpi = proc(window);
    }
    if (dpi == 0) {
        HDC screen = GetDC(nullptr);
        dpi = static_cast<UINT>(std::max(0, GetDeviceCaps(screen, LOGPIXELSY)));
        ReleaseDC(nullptr, screen);
    }
    return dpi ? static_cast<int>(dpi) : 96;
}

// A list box item is at most 255 pixels high.
int ItemHeightAt(int dpi) { return std::min(MulDiv(kItemHeight, dpi, 96), 255); }

// A length of the 70-pixel item's drawing in an item of this height.
int InItem(int length, const RECT &item) { return MulDiv(length, item.bottom - item.top, kItemHeight); }

// Where a preview of width x height goes: 56 pixels high in a 70-pixel
// item, centred by the width it would have at 70 pixels; all in
// proportion in a taller item.
RECT PreviewPlace(const RECT &item, LONG previewWidth, LONG previewHeight) {
    float scale = static_cast<float>(item.bottom - item.top) / static_cast<float>(previewHeight);
    auto w = static_cast<int16_t>(std::clamp(static_cast<float>(previewWidth) * scale, -32768.0f, 32767.0f));
    int inset = InItem(7, item);
    int x = static_cast<int16_t>(item.right - w) / 2 + inset;
    int width = w - inset;
    if (x < InItem(10, item)) x = InItem(10, item);
    if (width > item.right - InItem(20, item)) width = item.right - InItem(20, item);
    return RECT{x, item.top + inset, x + width, item.top + inset + InItem(56, item)};
}

void DrawPreview(HDC hdc, const RECT &item, const BITMAPINFOHEADER *preview) {
    const BYTE *bits = DibPixels(preview);
    if (!bits) return;
    SetStretchBltMode(hdc, COLORONCOLOR);
    HPALETTE palette = nullptr, previous = nullptr;
    if (GetDeviceCaps(hdc, RASTERCAPS) & RC_PALETTE) {
        palette = CreateThumbnailPalette();
        if (palette) {
            previous = SelectPalette(hdc, palette, FALSE);
            RealizePalette(hdc);
        }
    }
    RECT place = PreviewPlace(item, preview->biWidth, preview->biHeight);
    StretchDIBits(hdc, place.left, place.top, place.right - place.left, place.bottom - place.top, 0, 0,
                  preview->biWidth, preview->biHeight, bits, reinterpret_cast<const BITMAPINFO *>(preview),
                  DIB_RGB_COLORS, SRCCOPY);
    if (palette) {
        SelectPalette(hdc, previous, FALSE);
        DeleteObject(palette);
    }
}

// A one-pixel frame inset into the item: drawn with the stock brush when
// on, else in the window colour, which wipes out an earlier one.
void FrameItem(HDC hdc, RECT r, int inset, bool on, int stockBrush) {
    InflateRect(&r, -inset, -inset);
    if (on) {
        FrameRect(hdc, &r, static_cast<HBRUSH>(GetStockObject(stockBrush)));
        return;
    }
    HBRUSH window = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    FrameRect(hdc, &r, window);
    DeleteObject(window);
}

// A photo whose preview is not made yet: an empty frame where a 100 x 75
// preview would be.
void DrawPreviewToCome(HDC hdc, const RECT &item) {
    RECT place = PreviewPlace(item, kPreviewWidth, kPreviewHeight);
    FrameRect(hdc, &place, GetSysColorBrush(COLOR_BTNSHADOW));
}

// A photo of the user's listed before its preview is made.
bool AwaitsPreview(const PictureEntry *entry) {
    return entry && entry->kind == KIND_FILE && entry->filePath && !entry->preview;
}

void StartMakingPreviews(HWND dialog) {
    EditorState *state = StateOf(dialog);
    if (!state || state->makingPreviews) return;
    state->makingPreviews = SetTimer(dialog, kPreviewTimer, kPreviewTick, nullptr) != 0;
}

BOOL OnDrawItem(HWND dialog, const DRAWITEMSTRUCT &item) {
    if (item.CtlID != IDC_SOURCE_LIST && item.CtlID != IDC_SHOW_LIST) return FALSE;
    auto *entry = reinterpret_cast<const PictureEntry *>(item.itemData);
    bool selection = item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT);
    bool focus = item.itemAction & (ODA_DRAWENTIRE | ODA_FOCUS);
    if ((item.itemAction & ODA_DRAWENTIRE) && AwaitsPreview(entry)) {
        // Never made inside a paint: the timer makes it, then has it drawn.
        DrawPreviewToCome(item.hDC, item.rcItem);
        StartMakingPreviews(dialog);
    } else if ((item.itemAction & ODA_DRAWENTIRE) && entry && entry->preview) {
        DrawPreview(item.hDC, item.rcItem, entry->preview);
    }
    if (selection) FrameItem(item.hDC, item.rcItem, InItem(3, item.rcItem), item.itemState & ODS_SELECTED, BLACK_BRUSH);
    if (focus) FrameItem(item.hDC, item.rcItem, InItem(5, item.rcItem), item.itemState & ODS_FOCUS, GRAY_BRUSH);
    return TRUE;
}

// The items of a list on the screen now: [first, end).
struct ItemRange {
    int first = 0, end = 0;
};

ItemRange VisibleItems(HWND list) {
    ItemRange range;
    auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    auto top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    if (count <= 0 || top < 0) return range;
    RECT client;
    GetClientRect(list, &client);
    range.first = range.end = top;
    RECT item;
    while (range.end < count &&
           SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(range.end), reinterpret_cast<LPARAM>(&item)) != LB_ERR &&
           item.top < client.bottom)
        range.end++;
    return range;
}

// How many items the item is from the view; 0 on the screen.
int DistanceFromView(const ItemRange &view, int index) {
    if (index < view.first) return view.first - index;
    if (index >= view.end) return index - view.end + 1;
    return 0;
}

// A preview the editor made from the user's photo, which it can make again.
bool MadeFromPhoto(const PictureEntry *entry) {
    return entry && entry->kind == KIND_FILE && entry->filePath && entry->preview && !IsPlaceholder(entry->preview);
}

int &PreviewCount(EditorState &state, int listId) {
    return listId == IDC_SOURCE_LIST ? state.sourcePreviews : state.showPreviews;
}

// Past kMostListPreviews photo previews in the list, those farthest from
// the view are released until an eighth of the room is free again: one
// pass over the list now and then rather than one per preview.
void KeepPreviewsBounded(HWND dialog, int listId) {
    EditorState &state = *StateOf(dialog);
    int &made = PreviewCount(state, listId);
    if (made <= kMostListPreviews) return;
    HWND list = GetDlgItem(dialog, listId);
    ItemRange view = VisibleItems(list);
    auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    std::vector<std::pair<int, PictureEntry *>> held;  // distance from the view, entry
    for (int i = 0; i < count; i++) {
        PictureEntry *entry = EntryAt(dialog, listId, i);
        if (MadeFromPhoto(entry)) held.emplace_back(DistanceFromView(view, i), entry);
    }
    size_t keep = static_cast<size_t>(kMostListPreviews - kMostListPreviews / 8);
    if (held.size() > keep) {
        std::nth_element(held.begin(), held.begin() + static_cast<long>(held.size() - keep), held.end(),
                         [](const auto &a, const auto &b) { return a.first > b.first; });
        for (size_t i = 0; i < held.size() - keep; i++) {
            if (held[i].first == 0) continue;  // never one on the screen
            DibFree(held[i].second->preview);
            held[i].second->preview = nullptr;
        }
    }
    made = static_cast<int>(std::min(held.size(), keep));
}

// Makes the entry's preview from its photo and has its item drawn again.
// A file that cannot be read as a picture shows the placeholder, and the
// save says it was left out.
void MakePreview(HWND dialog, int listId, int index, PictureEntry *entry) {
    PackedDib preview = LoadPhotoPreview(entry->filePath, kPreviewWidth, kPreviewHeight, 24);
    entry->preview = preview ? preview : PlaceholderPicture(0, 0);
    if (preview) PreviewCount(*StateOf(dialog), listId)++;
    HWND list = GetDlgItem(dialog, listId);
    RECT item;
    if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != LB_ERR)
        InvalidateRect(list, &item, TRUE);
    KeepPreviewsBounded(dialog, listId);
}

// The next preview to make: an item on the screen, then one within a
// screenful of it, nearest first; false when there is none.
bool NextPreviewToMake(HWND dialog, int *listId, int *index) {
    ItemRange views[2];
    const int lists[2] = {IDC_SOURCE_LIST, IDC_SHOW_LIST};
    for (int l = 0; l < 2; l++) {
        views[l] = VisibleItems(GetDlgItem(dialog, lists[l]));
        for (int i = views[l].first; i < views[l].end; i++)
            if (AwaitsPreview(EntryAt(dialog, lists[l], i))) {
                *listId = lists[l];
                *index = i;
                return true;
            }
    }
    for (int l = 0; l < 2; l++) {
        int page = std::max(1, views[l].end - views[l].first);
        for (int d = 0; d < page; d++)
            for (int i : {views[l].end + d, views[l].first - 1 - d})
                if (i >= 0 && AwaitsPreview(EntryAt(dialog, lists[l], i))) {
                    *listId = lists[l];
                    *index = i;
                    return true;
                }
    }
    return false;
}

// One preview per tick, so that no stretch of work between two messages
// is longer than one photo's decoding; the timer stops when the items in
// and near the view have theirs, and drawing one without starts it again.
void OnPreviewTimer(HWND dialog) {
    EditorState &state = *StateOf(dialog);
    if (state.saving) return;
    int listId = 0, index = 0;
    if (NextPreviewToMake(dialog, &listId, &index)) {
        MakePreview(dialog, listId, index, EntryAt(dialog, listId, index));
        return;
    }
    KillTimer(dialog, kPreviewTimer);
    state.makingPreviews = false;
}

// A preview for a photo taken into the show: a copy of the list's when it
// has one, else none yet (the show list makes its own when it shows it);
// a photo that could not be read keeps the placeholder.
PackedDib CopyPhotoPreview(const PictureEntry &source) {
    if (!source.preview || IsPlaceholder(source.preview)) return source.preview;
    return DibCopy(source.preview);
}

// A preview for a picture taken into the show: a copy of the source's own
// block, or the shared placeholder.
PackedDib CopyPreview(const PictureEntry &source, int content, int picture) {
    if (DibBlockSize(source.preview) > 0) return DibCopy(source.preview);
    return PlaceholderPicture(content, picture);
}

// Appends the entry to the show and scrolls it into view; false, with the
// entry released, when the list cannot take it.
bool AppendToShow(HWND dialog, PictureEntry *entry) {
    LRESULT index = ListMessage(dialog, IDC_SHOW_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    if (index < 0) {
        FreePictureEntry(entry);
        return false;
    }
    LRESULT count = ListMessage(dialog, IDC_SHOW_LIST, LB_GETCOUNT);
    ListMessage(dialog, IDC_SHOW_LIST, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1));
    // The first item that brings the scroll bar narrows the list: every
    // preview is placed again for the new width.
    InvalidateRect(GetDlgItem(dialog, IDC_SHOW_LIST), nullptr, TRUE);
    return true;
}

// A new show entry for the source list's item index: a photo keeps its
// file, a disc picture its content and number. Null without memory.
PictureEntry *ShowEntryFor(HWND dialog, const PictureEntry &source, int16_t content, int index) {
    PictureEntry *entry = NewPictureEntry();
    if (!entry) return nullptr;
    *entry = source;
    entry->fullData = nullptr;
    entry->filePath = nullptr;
    entry->kind = source.kind == KIND_FILE ? KIND_FILE : KIND_DISC;
    entry->content = entry->kind == KIND_FILE ? 0 : content;
    entry->picture = static_cast<int16_t>(index + 1);
    // A photo is never decoded here, so that taking thousands stays quick.
    entry->preview = entry->kind == KIND_FILE ? CopyPhotoPreview(source) : CopyPreview(source, content, index + 1);
    bool previewOk = entry->preview || entry->kind == KIND_FILE;
    if (!previewOk || !SetEntryFile(entry, source.filePath)) {
        FreePictureEntry(entry);
        return nullptr;
    }
    if (MadeFromPhoto(entry)) StateOf(dialog)->showPreviews++;
    return entry;
}

// The first time the show list holds more pictures than one show can, the
// user hears how many fit; the save would refuse it. Sizes are read from
// the photos only once the show could be too large at all.
void WarnIfTooLarge(HWND dialog) {
    EditorState &state = *StateOf(dialog);
    if (state.warnedFull) return;
    int count = static_cast<int>(ListMessage(dialog, IDC_SHOW_LIST, LB_GETCOUNT));
    std::vector<PictureEntry *> entries;
    for (int i = 0; i < count; i++)
        if (PictureEntry *entry = EntryAt(dialog, IDC_SHOW_LIST, i)) entries.push_back(entry);
    bool large = settings.useLargeSize != 0;
    // As many whole-size pictures would fit: no photo need be read.
    std::vector<uint64_t> whole(entries.size(), PictureRecordBound(large ? GetSystemMetrics(SM_CXSCREEN) : 800,
                                                                   large ? GetSystemMetrics(SM_CYSCREEN) : 600, 24));
    if (RecordsThatFit(whole.data(), whole.size()) == whole.size()) return;
    size_t fitting = PicturesThatFit(entries, large);
    if (fitting >= entries.size()) return;
    state.warnedFull = true;
    ShowMessageBox(dialog, FormatText(IDS_SHOW_GETTING_FULL, static_cast<int>(fitting)), Text(IDS_CAPTION),
                   MB_OK | MB_ICONINFORMATION);
}

void Add(HWND dialog) {
    int s = Selection(dialog, IDC_SOURCE_LIST);
    if (s < 0) {
        MessageBeep(kNothingToActOn);
        return;
    }
    PictureEntry *source = EntryAt(dialog, IDC_SOURCE_LIST, s);
    if (!source || (!source->preview && source->kind != KIND_FILE)) return;
    PictureEntry *entry = ShowEntryFor(dialog, *source, ShownContent(dialog), s);
    if (!entry) return;
    if (!AppendToShow(dialog, entry)) return;
    SetModified(dialog, true);
    WarnIfTooLarge(dialog);
    KeepPreviewsBounded(dialog, IDC_SHOW_LIST);
}

void AddAll(HWND dialog) {
    int16_t count = static_cast<int16_t>(ListMessage(dialog, IDC_SOURCE_LIST, LB_GETCOUNT));
    int16_t content = ShownContent(dialog);
    HWND show = GetDlgItem(dialog, IDC_SHOW_LIST);
    // One scroll and one repaint for all of them, not one per picture.
    for (int16_t i = 0; i < count; i++) {
        PictureEntry *source = EntryAt(dialog, IDC_SOURCE_LIST, i);
        if (!source) continue;
        PictureEntry *entry = ShowEntryFor(dialog, *source, content, i);
        if (!entry) break;
        if (ListMessage(dialog, IDC_SHOW_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry)) < 0) {
            FreePictureEntry(entry);
            break;
        }
    }
    LRESULT total = ListMessage(dialog, IDC_SHOW_LIST, LB_GETCOUNT);
    if (total > 0) ListMessage(dialog, IDC_SHOW_LIST, LB_SETTOPINDEX, static_cast<WPARAM>(total - 1));
    InvalidateRect(show, nullptr, TRUE);
    KeepPreviewsBounded(dialog, IDC_SHOW_LIST);
    SetModified(dialog, true);
    WarnIfTooLarge(dialog);
}

// Moves an item by exchanging item data: nothing leaves the list, so no
// entry is released on the way.
void Exchange(HWND dialog, int a, int b) {
    LRESULT first = ListMessage(dialog, IDC_SHOW_LIST, LB_GETITEMDATA, static_cast<WPARAM>(a));
    LRESULT second = ListMessage(dialog, IDC_SHOW_LIST, LB_GETITEMDATA, static_cast<WPARAM>(b));
    if (first == LB_ERR || second == LB_ERR || !first || !second) return;
    ListMessage(dialog, IDC_SHOW_LIST, LB_SETITEMDATA, static_cast<WPARAM>(a), second);
    ListMessage(dialog, IDC_SHOW_LIST, LB_SETITEMDATA, static_cast<WPARAM>(b), first);
}

void Move(HWND dialog, int from, int to) {
    Exchange(dialog, from, to);
    ListMessage(dialog, IDC_SHOW_LIST, LB_SETCURSEL, static_cast<WPARAM>(to));
    InvalidateRect(GetDlgItem(dialog, IDC_SHOW_LIST), nullptr, TRUE);
    SetModified(dialog, true);
}

void Up(HWND dialog) {
    int s = Selection(dialog, IDC_SHOW_LIST);
    if (s < 1) {
        MessageBeep(kNothingToActOn);
        return;
    }
    Move(dialog, s, s - 1);
}

void Down(HWND dialog) {
    int n = static_cast<int>(ListMessage(dialog, IDC_SHOW_LIST, LB_GETCOUNT));
    int s = Selection(dialog, IDC_SHOW_LIST);
    if (s < 0 || s + 1 >= n) {
        MessageBeep(kNothingToActOn);
        return;
    }
    Move(dialog, s, s + 1);
}

void Delete(HWND dialog) {
    int s = Selection(dialog, IDC_SHOW_LIST);
    if (s < 0) {
        MessageBeep(kNothingToActOn);
        return;
    }
    ListMessage(dialog, IDC_SHOW_LIST, LB_DELETESTRING, static_cast<WPARAM>(s));
    SetModified(dialog, true);
}

// Puts the entries at the end of the list, 70 pixels high at 96 dots per
// inch; those the list cannot take are released.
void AppendEntries(HWND dialog, int listId, const std::vector<PictureEntry *> &entries) {
    int height = ItemHeightAt(DpiOf(dialog));
    for (PictureEntry *entry : entries) {
        LRESULT index = ListMessage(dialog, listId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        if (index < 0) FreePictureEntry(entry);
        else ListMessage(dialog, listId, LB_SETITEMHEIGHT, static_cast<WPARAM>(index), MAKELPARAM(height, 0));
    }
}

// Fills the source list with a content of the disc, the disc-reading
// window up meanwhile: no message loop runs while the disc is read.
void FillFromDisc(HWND dialog, int content) {
    if (!catalogue.discFound) return;
    HWND waiting = OpenProgressWindow(StateOf(dialog)->instance, dialog, IDD_READING);
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    AppendEntries(dialog, IDC_SOURCE_LIST, FillSourceList(content));
    CloseProgressWindow(waiting);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

// Fills the source list with the photos of a folder and its subfolders,
// listed by name only: their previews are made later, while the editor
// waits for the user, so that a folder of thousands opens at once. A long
// listing counts what it finds in a window of its own, which can stop it.
void FillFromFolder(HWND dialog, const std::string &folder) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    std::vector<PictureEntry *> entries;
    for (const std::string &path : ListPhotoFolder(StateOf(dialog)->instance, dialog, folder)) {
        PictureEntry *entry = NewPictureEntry();
        if (!entry || !SetEntryFile(entry, path.c_str())) {
            FreePictureEntry(entry);
            break;
        }
        entry->kind = KIND_FILE;
        entry->picture = static_cast<int16_t>(entries.size() + 1);
        entries.push_back(entry);
    }
    AppendEntries(dialog, IDC_SOURCE_LIST, entries);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

// The source list shows the pictures of the chooser's item.
void ShowSource(HWND dialog, int item) {
    const Source *source = SourceOfItem(dialog, item);
    if (!source) return;
    StateOf(dialog)->shownItem = item;
    ListMessage(dialog, IDC_SOURCE_LIST, LB_RESETCONTENT);
    StateOf(dialog)->sourcePreviews = 0;
    if (source->content > 0) FillFromDisc(dialog, source->content);
    else FillFromFolder(dialog, source->folder);
}

// The folder chooser; false on Cancel.
bool AskForFolder(HWND dialog, std::string &folder) {
    HRESULT com = CoInitialize(nullptr);
    WCHAR name[MAX_PATH] = L"";
    std::wstring title = Wide(Text(IDS_FOLDER_CHOOSER));
    BROWSEINFOW info{};
    info.hwndOwner = dialog;
    info.pszDisplayName = name;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    WCHAR path[MAX_PATH] = L"";
    bool ok = chosen && SHGetPathFromIDListW(chosen, path) && *path;
    if (chosen) CoTaskMemFree(chosen);
    if (SUCCEEDED(com)) CoUninitialize();
    if (ok) folder = Utf8(path);
    return ok;
}

// A folder the user chose: its own item, named by the folder, before the
// one that chooses (or the item it already has).
int FolderItem(HWND dialog, const std::string &folder) {
    int count = static_cast<int>(SendDlgItemMessageW(dialog, IDC_CONTENTS, CB_GETCOUNT, 0, 0));
    for (int item = 0; item < count; item++) {
        const Source *source = SourceOfItem(dialog, item);
        if (source && source->content == 0 && !source->asksForFolder && SameName(source->folder, folder))
            return item;
    }
    size_t cut = folder.find_last_of('\\');
    std::string name = cut == std::string::npos || cut + 1 == folder.size() ? folder : folder.substr(cut + 1);
    // The item that chooses is always the last.
    return AddSource(dialog, count - 1, name.c_str(), Source{0, folder, false});
}

void ChangeContent(HWND dialog) {
    int item = static_cast<int>(SendDlgItemMessageW(dialog, IDC_CONTENTS, CB_GETCURSEL, 0, 0));
    const Source *source = SourceOfItem(dialog, item);
    if (!source) return;
    if (source->asksForFolder) {
        std::string folder;
        item = AskForFolder(dialog, folder) ? FolderItem(dialog, folder) : -1;
        if (item < 0) {
            // Cancel: the list still shows what it showed.
            SendDlgItemMessageW(dialog, IDC_CONTENTS, CB_SETCURSEL, static_cast<WPARAM>(StateOf(dialog)->shownItem), 0);
            return;
        }
        SendDlgItemMessageW(dialog, IDC_CONTENTS, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        UseFontWithGlyphs(dialog);  // the folder's own name
    }
    ShowSource(dialog, item);
}

// The chooser's items: the disc's contents, then the user's Pictures
// folder and the item that chooses another folder.
void FillChooser(HWND dialog) {
    if (catalogue.discFound) {
        SetItemText(dialog, IDC_TITLE, catalogue.title);
        for (int i = 0; i < catalogue.contentCount; i++)
            AddSource(dialog, -1, catalogue.contentNames[i], Source{i + 1, "", false});
    }
    WCHAR pictures[MAX_PATH] = L"";
    if (SUCCEEDED(SHGetFolderPathW(dialog, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, pictures)) && *pictures)
        AddSource(dialog, -1, Text(IDS_MY_PICTURES).c_str(), Source{0, Utf8(pictures), false});
    AddSource(dialog, -1, Text(IDS_CHOOSE_FOLDER).c_str(), Source{0, "", true});
    SendDlgItemMessageW(dialog, IDC_CONTENTS, CB_SETCURSEL, 0, 0);
}

void LoadShow(HWND dialog, const char *name) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    LoadedShow show = LoadShowForEditing(name);
    AppendEntries(dialog, IDC_SHOW_LIST, show.entries);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    if (show.error == kLoaded) return;
    ShowMessageBox(dialog, FormatText(IDS_LOAD_ERROR, static_cast<long>(show.error), show.position),
                   Text(IDS_CAPTION), MB_OK);
}

void ChooseMusic(HWND dialog) {
    EditorState &state = *StateOf(dialog);
    int track = ChooseMusicTrack(state.instance, dialog);
    if (track <= 0) return;
    state.musicChoice = static_cast<int16_t>(track);
    SetModified(dialog, true);
}

void SetUseLargeSize(HWND dialog) {
    settings.useLargeSize = SendDlgItemMessageW(dialog, IDC_USE_LARGE, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    if (!WriteSetting(settingStrings.section, settingStrings.keyUseLSize, static_cast<unsigned>(settings.useLargeSize)))
        ReportUnwritableSettings(dialog);
}

void SetUse8bit(HWND dialog, int value) {
    settings.use8bit = value;
    CheckColourItems(dialog);
    if (!WriteSetting(settingStrings.section, settingStrings.keyUse8bit, static_cast<unsigned>(value)))
        ReportUnwritableSettings(dialog);
}

void ReportUnstorableName(HWND dialog, const char *name) {
    ShowMessageBox(dialog, FormatText(IDS_NAME_TOO_LONG, name), Text(IDS_CAPTION), MB_OK | MB_ICONEXCLAMATION);
}

// The save-as dialog. Whatever folder the user browses to, the show is
// written in the show folder under the chosen name and extension; a show
// of that name already there (or left in the system directory) is not
// replaced without asking.
bool AskShowName(HWND dialog, char (&name)[kShowNameSize]) {
    std::wstring filter = Wide(Text(IDS_SAVE_FILTER));
    for (WCHAR &c : filter)
        if (c == L'|') c = 0;
    WCHAR path[MAX_PATH] = L"*.QMS";
    std::string showFolder = ShowFolder();
    const char *folder = showFolder.c_str();
    std::wstring initialDir = Wide(showFolder);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = *folder ? initialDir.c_str() : nullptr;
    ofn.lpstrDefExt = L"QMS";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    if (!GetSaveFileNameW(&ofn)) {
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) ReportUnstorableName(dialog, Utf8(path).c_str());
        return false;
    }
    std::wstring chosen(path);
    std::string bareName = ofn.nFileOffset < chosen.size() ? Utf8(chosen.substr(ofn.nFileOffset)) : "";
    const char *bare = bareName.c_str();
    if (IsReservedShowName(bare)) {
        ShowMessageBox(dialog, FormatText(IDS_RESERVED_NAME, bare), Text(IDS_CAPTION), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!IsStorableShowName(bare)) {
        ReportUnstorableName(dialog, bare);
        return false;
    }
    // The dialog asked about the folder browsed to; ask about the one written to.
    std::string browsed = Utf8(chosen.substr(0, std::min<size_t>(ofn.nFileOffset, chosen.size())));
    bool elsewhere = !SameName(browsed, showFolder);
    if ((elsewhere && FileAttributes((showFolder + bare).c_str()) != INVALID_FILE_ATTRIBUTES) ||
        FileAttributes((SystemShowFolder() + bare).c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (ShowMessageBox(dialog, FormatText(IDS_REPLACE, bare), Text(IDS_CAPTION), MB_YESNO | MB_ICONEXCLAMATION) !=
            IDYES)
            return false;
    }
    std::snprintf(name, sizeof name, "%s", bare);
    return true;
}

// The saving window while a save runs: one for the pictures, another,
// with its own line, for the music.
struct SavingWindows {
    HWND owner;
    HINSTANCE instance;
    HWND window = nullptr;
    SaveStage stage = SaveStage::kPictures;

    void Step(SaveStage now, int step, int steps) {
        if (window && now != stage) {
            CloseProgressWindow(window);
            window = nullptr;
        }
        stage = now;
        if (!window) {
            window = OpenProgressWindow(instance, owner, IDD_SAVING);
            if (window && now == SaveStage::kMusic) SetProgressText(window, Text(IDS_SAVING_MUSIC).c_str());
        }
        if (window) SendMessageW(window, WM_PROGRESS, static_cast<WPARAM>(step), steps);
    }
    ~SavingWindows() { CloseProgressWindow(window); }
};

// existed: there was a show of that name before the save.
void ReportSaveFailure(HWND dialog, const char *name, SaveStatus status, bool existed, const char *keptAs) {
    if (status == SaveStatus::kNoMusicMemory) ShowMessageBox(dialog, Text(IDS_MUSIC_NO_MEMORY), Text(IDS_CAPTION), MB_OK);
    std::string text = status == SaveStatus::kNotRestored ? FormatText(IDS_SAVE_NOT_RESTORED, name, keptAs)
                       : existed                          ? FormatText(IDS_SAVE_FAILED_KEPT, name)
                                                          : FormatText(IDS_SAVE_FAILED, name);
    ShowMessageBox(dialog, text, Text(IDS_CAPTION), MB_OK | MB_ICONEXCLAMATION);
}

// What the saved show lacks, and that the editor still holds it.
void ReportLeftOut(HWND dialog, const SaveResult &result, const std::vector<PictureEntry *> &entries) {
    int absent = 0, notOnDisc = 0, gone = 0, unreadable = 0;
    const char *firstUnreadable = nullptr;
    for (const LeftOut &left : result.leftOut) {
        if (left.reason == LeftOutReason::kDiscAbsent) absent++;
        else if (left.reason == LeftOutReason::kNotOnDisc) notOnDisc++;
        else if (left.reason == LeftOutReason::kFileMissing) gone++;
        else if (unreadable++ == 0 && left.index < entries.size()) firstUnreadable = entries[left.index]->filePath;
    }
    // A count takes the text for one or for many.
    auto counted = [](UINT many, UINT one, int count) { return count == 1 ? one : many; };
    std::string text;
    if (absent || result.musicLeftOut) {
        std::string what = !absent ? Text(IDS_NO_DISC_MUSIC)
                           : result.musicLeftOut
                               ? FormatText(counted(IDS_NO_DISC_BOTH, IDS_NO_DISC_BOTH_ONE, absent), absent)
                               : FormatText(counted(IDS_NO_DISC_PICTURES, IDS_NO_DISC_PICTURE, absent), absent);
        text = FormatText(IDS_NO_DISC, what.c_str());
    }
    if (notOnDisc) text += FormatText(counted(IDS_NOT_ON_DISC, IDS_NOT_ON_DISC_ONE, notOnDisc), notOnDisc);
    if (gone) text += FormatText(counted(IDS_FILES_GONE, IDS_FILE_GONE, gone), gone);
    if (unreadable)
        text += FormatText(counted(IDS_FILES_UNREADABLE, IDS_FILE_UNREADABLE, unreadable), unreadable,
                           firstUnreadable ? firstUnreadable : "");
    text += Text(IDS_LEFT_IN_LIST);
    if (absent || result.musicLeftOut) text += Text(IDS_INSERT_DISC);
    ShowMessageBox(dialog, text, Text(IDS_CAPTION), MB_OK | MB_ICONEXCLAMATION);
}

// Saves the show under name. Until the save is over the editor acts on no
// command, so a box the save shows (its loop runs the editor's messages)
// cannot start another save or close the editor underneath it. The show
// counts as saved only when all of it was: what was left out keeps the
// editor modified, so closing asks again.
bool SaveUnder(HWND dialog, const char *name) {
    EditorState &state = *StateOf(dialog);
    int count = static_cast<int>(ListMessage(dialog, IDC_SHOW_LIST, LB_GETCOUNT));
    std::vector<PictureEntry *> entries;
    for (int i = 0; i < count; i++)
        if (PictureEntry *entry = EntryAt(dialog, IDC_SHOW_LIST, i)) entries.push_back(entry);
    state.saving = true;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    SaveResult result;
    bool existed = FileAttributes(FindShow(name).c_str()) != INVALID_FILE_ATTRIBUTES;
    {
        SavingWindows windows{dialog, state.instance};
        result = SaveShow(entries, name, state.musicChoice, settings.useLargeSize != 0,
                          [&](SaveStage stage, int step, int steps) { windows.Step(stage, step, steps); });
    }
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    bool complete = result.leftOut.empty() && !result.musicLeftOut;
    bool written = result.status == SaveStatus::kSaved || result.status == SaveStatus::kEmpty;
    if (result.status == SaveStatus::kTooLarge)
        ShowMessageBox(dialog, FormatText(IDS_SHOW_TOO_LARGE, static_cast<int>(result.fitting)), Text(IDS_CAPTION),
                       MB_OK | MB_ICONEXCLAMATION);
    else if (result.status == SaveStatus::kFailed || result.status == SaveStatus::kNoMusicMemory ||
             result.status == SaveStatus::kNotRestored)
        ReportSaveFailure(dialog, name, result.status, existed, result.keptAs.c_str());
    else if (!complete)
        ReportLeftOut(dialog, result, entries);
    state.saving = false;
    SetModified(dialog, !(written && complete));
    return written;
}

void Save(HWND dialog) {
    EditorState &state = *StateOf(dialog);
    if (!state.modified) return;
    if (*state.currentFileName) {
        SaveUnder(dialog, state.currentFileName);
        return;
    }
    char name[kShowNameSize];
    if (!AskShowName(dialog, name) || !SaveUnder(dialog, name)) return;
    std::memcpy(state.currentFileName, name, sizeof name);
    SetCaption(dialog, IDS_SAVED_CAPTION, name);
}

void OnClose(HWND dialog) {
    EditorState &state = *StateOf(dialog);
    if (state.saving) return;
    if (!state.modified) {
        EndDialog(dialog, 0);
        return;
    }
    std::string name = *state.currentFileName ? state.currentFileName : Text(IDS_UNTITLED);
    switch (ShowMessageBox(dialog, FormatText(IDS_SAVE_CHANGES, name.c_str()), Text(IDS_CAPTION), MB_YESNOCANCEL)) {
    case IDYES:
        // A save that failed, or left pictures out, keeps the editor open
        // with the changes still to save.
        if (*state.currentFileName) {
            if (SaveUnder(dialog, state.currentFileName) && !state.modified) {
                EndDialog(dialog, 1);
                *state.currentFileName = 0;
            }
        } else {
            char chosen[kShowNameSize];
            if (!AskShowName(dialog, chosen) || !SaveUnder(dialog, chosen)) break;
            if (state.modified) {
                // Saved in part: the show has its name now.
                std::memcpy(state.currentFileName, chosen, sizeof chosen);
                SetCaption(dialog, IDS_SAVED_CAPTION, chosen);
            } else {
                EndDialog(dialog, 0);
            }
        }
        break;
    case IDNO:
        EndDialog(dialog, 0);
        *state.currentFileName = 0;
        break;
    }
}

void OnCommand(HWND dialog, int id, int code) {
    // A box of a running save has its own loop; nothing here may run meanwhile.
    if (StateOf(dialog)->saving) return;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    switch (id) {
    case IDC_CONTENTS:
        if (code == CBN_SELCHANGE) ChangeContent(dialog);
        break;
    case IDC_SOURCE_LIST:
        if (code == LBN_DBLCLK) Add(dialog);
        break;
    case IDC_ADD: Add(dialog); break;
    case IDC_ADD_ALL: AddAll(dialog); break;
    case IDC_CHOOSE_MUSIC: ChooseMusic(dialog); break;
    case IDC_UP: Up(dialog); break;
    case IDC_DOWN: Down(dialog); break;
    case IDC_DELETE: Delete(dialog); break;
    case IDC_USE_LARGE: SetUseLargeSize(dialog); break;
    case IDM_SAVE: Save(dialog); break;
    case IDM_CLOSE: SendMessageW(dialog, WM_CLOSE, 0, 0); break;
    case IDM_MATCH_DISPLAY: SetUse8bit(dialog, 0); break;
    case IDM_ALWAYS_256: SetUse8bit(dialog, 1); break;
    }
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

BOOL OnInitDialog(HWND dialog, EditorState *state) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    UseMenuOf(dialog, state->instance, IDM_EDITOR);
    FillChooser(dialog);
    RECT window;
    GetWindowRect(dialog, &window);
    state->initialWidth = window.right - window.left;
    state->initialHeight = window.bottom - window.top;
    ShowSource(dialog, 0);
    if (*state->currentFileName) {
        SetCaption(dialog, IDS_EDITOR_CAPTION, state->currentFileName);
        LoadShow(dialog, state->currentFileName);
    } else {
        SetCaption(dialog, IDS_EDITOR_CAPTION, Text(IDS_UNTITLED).c_str());
    }
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    MoveWindow(dialog, window.left, 10, state->initialWidth, desktop.bottom - desktop.top - 50, FALSE);
    ShowWindow(dialog, SW_SHOW);
    SetModified(dialog, false);
    state->musicChoice = -1;
    SendDlgItemMessageW(dialog, IDC_USE_LARGE, BM_SETCHECK, settings.useLargeSize ? BST_CHECKED : BST_UNCHECKED, 0);
    CheckColourItems(dialog);
    UseFontWithGlyphs(dialog);
    return TRUE;
}

// The width stays as made; the height never goes below it.
void OnGetMinMaxInfo(HWND dialog, MINMAXINFO *limits) {
    const EditorState *state = StateOf(dialog);
    if (!state || state->initialWidth <= 0) return;  // before the dialog has its size
    limits->ptMinTrackSize = {state->initialWidth, state->initialHeight};
    limits->ptMaxTrackSize = {state->initialWidth, 32767};
}

void OnSize(HWND dialog, int clientHeight) {
    for (int id : {IDC_SOURCE_LIST, IDC_SHOW_LIST}) {
        HWND list = GetDlgItem(dialog, id);
        if (!list) continue;  // the frame is sized before the controls exist
        RECT r;
        GetWindowRect(list, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
        int height = std::max(0, clientHeight - static_cast<int>(r.top) - kListMargin);
        MoveWindow(list, r.left, r.top, r.right - r.left, height, TRUE);
    }
}

// The window went to a monitor of another DPI, or the user changed the
// scaling: the items take their height at the new DPI, and the window the
// size Windows suggests, which its limits must let it take.
void OnDpiChanged(HWND dialog, int dpi, const RECT &suggested) {
    EditorState *state = StateOf(dialog);
    int width = suggested.right - suggested.left;
    if (state && state->initialWidth > 0) {
        state->initialHeight = MulDiv(state->initialHeight, width, state->initialWidth);
        state->initialWidth = width;
    }
    SetWindowPos(dialog, nullptr, suggested.left, suggested.top, width, suggested.bottom - suggested.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    int height = ItemHeightAt(dpi);
    for (int id : {IDC_SOURCE_LIST, IDC_SHOW_LIST}) {
        auto count = static_cast<int>(ListMessage(dialog, id, LB_GETCOUNT));
        for (int i = 0; i < count; i++) ListMessage(dialog, id, LB_SETITEMHEIGHT, static_cast<WPARAM>(i), MAKELPARAM(height, 0));
        InvalidateRect(GetDlgItem(dialog, id), nullptr, TRUE);
    }
}

INT_PTR CALLBACK EditorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, reinterpret_cast<EditorState *>(lParam));
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(dialog, reinterpret_cast<MINMAXINFO *>(lParam));
        return TRUE;
    case WM_SIZE:
        OnSize(dialog, HIWORD(lParam));
        return FALSE;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT *>(lParam)->itemHeight = static_cast<UINT>(ItemHeightAt(DpiOf(dialog)));
        return TRUE;
    case WM_DPICHANGED:
        OnDpiChanged(dialog, LOWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
        return FALSE;
    case WM_DRAWITEM:
        return OnDrawItem(dialog, *reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));
    case WM_DELETEITEM: {
        auto *item = reinterpret_cast<const DELETEITEMSTRUCT *>(lParam);
        if (item->CtlID == IDC_SOURCE_LIST || item->CtlID == IDC_SHOW_LIST)
            FreePictureEntry(reinterpret_cast<PictureEntry *>(item->itemData));
        return FALSE;
    }
    case WM_COMMAND:
        if (StateOf(dialog)) OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return FALSE;
    case WM_TIMER:
        if (wParam == kPreviewTimer && StateOf(dialog)) OnPreviewTimer(dialog);
        return TRUE;
    case WM_CLOSE:
        if (StateOf(dialog)) OnClose(dialog);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

bool IsStorableShowName(const char *name) {
    size_t length = name ? WideLength(name) : 0;
    if (length == 0 || length > kShowNameLength) return false;
    // Every path made from it fits MAX_PATH: the show, its music and the
    // music's new version in SOUND\.
    size_t longest = std::max(length, std::strlen(kNewVersionName)) + std::strlen("SOUND\\");
    return WideLength(ShowFolder()) + longest < MAX_PATH;
}

INT_PTR RunEditor(HINSTANCE instance, HWND owner, char (&fileName)[kShowNameSize]) {
    EditorState state;
    state.instance = instance;
    std::memcpy(state.currentFileName, fileName, kShowNameSize);
    state.currentFileName[kShowNameSize - 1] = 0;
    INT_PTR result = RunDialog(instance, IDD_EDITOR, owner, EditorDialogProc,
                                     reinterpret_cast<LPARAM>(&state));
    std::memcpy(fileName, state.currentFileName, kShowNameSize);
    return result;
}
