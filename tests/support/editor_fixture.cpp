#include "support/editor_fixture.h"

#include <cstring>

#include "resources/resource.h"

namespace {

int released = 0;

LRESULT CALLBACK EditorStandInProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT *>(lParam)->itemHeight = 70;
        return TRUE;
    case WM_DELETEITEM: {
        auto *entry = reinterpret_cast<PictureEntry *>(reinterpret_cast<DELETEITEMSTRUCT *>(lParam)->itemData);
        // A block freed already has no size: that would be a second release.
        EXPECT_NE(GlobalSize(GlobalHandle(entry)), 0u) << "an entry released twice";
        released++;
        FreePictureEntry(entry);
        return TRUE;
    }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

void EditorTest::SetUp() {
    DiscTest::SetUp();
    if (IsSkipped()) return;
    released = 0;
    WNDCLASSA wc{};
    wc.lpfnWndProc = EditorStandInProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TestEditor";
    RegisterClassA(&wc);
    editor = CreateWindowExA(0, "TestEditor", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 400, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    list = CreateWindowExA(0, "ListBox", "", WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWVARIABLE | LBS_NOTIFY | WS_VSCROLL, 150,
                           5, 140, 380, editor, reinterpret_cast<HMENU>(IDC_SHOW_LIST), GetModuleHandleA(nullptr),
                           nullptr);
    Pump();
}

void EditorTest::TearDown() {
    if (editor) DestroyWindow(editor);
    UnregisterClassA("TestEditor", GetModuleHandleA(nullptr));
    DiscTest::TearDown();
}

std::vector<PictureEntry *> EditorTest::Entries() {
    std::vector<PictureEntry *> entries;
    for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); i++)
        entries.push_back(reinterpret_cast<PictureEntry *>(SendMessageA(list, LB_GETITEMDATA, i, 0)));
    return entries;
}

void EditorTest::Add(PictureEntry *entry) { SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry)); }

void EditorTest::Clear() { SendMessageA(list, LB_RESETCONTENT, 0, 0); }

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
