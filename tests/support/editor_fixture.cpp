#include "support/editor_fixture.h"

#include <cstring>

#include "resources/resource.h"

int EditorTest::released = 0;
std::function<void()> EditorTest::onMeasure;

namespace {

LRESULT CALLBACK EditorStandInProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MEASUREITEM:
        if (EditorTest::onMeasure) EditorTest::onMeasure();
        reinterpret_cast<MEASUREITEMSTRUCT *>(lParam)->itemHeight = 70;
        return TRUE;
    case WM_DELETEITEM: {
        auto *entry = reinterpret_cast<PictureEntry *>(reinterpret_cast<DELETEITEMSTRUCT *>(lParam)->itemData);
        // A block freed already has no size: that would be a second release.
        EXPECT_NE(GlobalSize(GlobalHandle(entry)), 0u) << "an entry released twice";
        EditorTest::released++;
        FreePictureEntry(entry);
        return TRUE;
    }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

void EditorTest::SetUp() {
    DiscTest::SetUp();
    if (IsSkipped()) return;
    released = 0;
    onMeasure = nullptr;
    WNDCLASSW wc{};
    wc.lpfnWndProc = EditorStandInProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TestEditor";
    RegisterClassW(&wc);
    editor = CreateWindowExW(0, L"TestEditor", L"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 400, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    for (int id : {IDC_SOURCE_LIST, IDC_SHOW_LIST})
        list = CreateWindowExW(0, L"ListBox", L"", WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWVARIABLE | LBS_NOTIFY | WS_VSCROLL,
                               id == IDC_SHOW_LIST ? 150 : 5, 5, 140, 380, editor,
                               reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), GetModuleHandleW(nullptr), nullptr);
    Pump();
}

void EditorTest::TearDown() {
    onMeasure = nullptr;
    if (editor) DestroyWindow(editor);
    UnregisterClassW(L"TestEditor", GetModuleHandleW(nullptr));
    DiscTest::TearDown();
}

std::vector<PictureEntry *> EditorTest::Entries(int listId) {
    std::vector<PictureEntry *> entries;
    HWND box = GetDlgItem(editor, listId);
    for (int i = 0; i < SendMessageW(box, LB_GETCOUNT, 0, 0); i++)
        entries.push_back(reinterpret_cast<PictureEntry *>(SendMessageW(box, LB_GETITEMDATA, i, 0)));
    return entries;
}

void EditorTest::Add(PictureEntry *entry) { SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry)); }

void EditorTest::Append(const std::vector<PictureEntry *> &entries, int listId) {
    for (PictureEntry *entry : entries) SendDlgItemMessageW(editor, listId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
}

void EditorTest::Clear() { SendMessageW(list, LB_RESETCONTENT, 0, 0); }

PictureEntry *DiscEntry(int content, int picture, const Bytes &previewDib) {
    PictureEntry *entry = NewPictureEntry();
    entry->kind = KIND_DISC;
    entry->content = static_cast<int16_t>(content);
    entry->picture = static_cast<int16_t>(picture);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, previewDib.size());
    entry->preview = static_cast<PackedDib>(GlobalLock(memory));
    std::memcpy(entry->preview, previewDib.data(), previewDib.size());
    return entry;
}
