// The editor's two lists of pictures: each item drawn with its preview,
// and the previews of the user's photos made while the editor waits for
// the user, one per tick of a timer, those on the screen first. Far ones
// are let go past kMostListPreviews and made again when scrolled back to.
#include "ui/picture_lists.h"

#include "disc/picture.h"
#include "photo/photo.h"
#include "resources/resource.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace editor {

namespace {

constexpr int kItemHeight = 70;  // at 96 dots per inch; in proportion at more
constexpr int kPreviewWidth = 100, kPreviewHeight = 75;
constexpr UINT kPreviewTick = 10;  // milliseconds; the shortest timer Windows has

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

int &PreviewCount(EditorState &state, int listId) {
    return listId == IDC_SOURCE_LIST ? state.sourcePreviews : state.showPreviews;
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

}  // namespace

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

// A preview the editor made from the user's photo, which it can make again.
bool MadeFromPhoto(const PictureEntry *entry) {
    return entry && entry->kind == KIND_FILE && entry->filePath && entry->preview && !IsPlaceholder(entry->preview);
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

// Puts the entries at the end of the list, 70 pixels high at 96 dots per
// inch; those the list cannot take are released.
void AppendEntries(HWND dialog, int listId, const std::vector<PictureEntry *> &entries) {
    HWND list = GetDlgItem(dialog, listId);
    int height = ItemHeightAt(DpiOf(dialog));
    // Room for all at once, and one redraw for all rather than one each.
    SendMessageW(list, LB_INITSTORAGE, entries.size(), 0);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (PictureEntry *entry : entries) {
        LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        if (index < 0) FreePictureEntry(entry);
        else SendMessageW(list, LB_SETITEMHEIGHT, static_cast<WPARAM>(index), MAKELPARAM(height, 0));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

}  // namespace editor
