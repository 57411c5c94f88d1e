// The editor's source list filled from a content of the disc: an entry per
// picture with its preview, the placeholder where only the full-screen
// picture is there, the end of the content at the first gap, at most 128
// pictures, and the disc-reading window up only meanwhile.
#include <set>

#include "disc/picture.h"
#include "disc/picture_entry.h"
#include "disc/source_list.h"
#include "resources/resource.h"
#include "support/disc_fixture.h"

namespace {

HWND readingWindowSeen = nullptr;
int released = 0;

// The editor's stand-in: an owner of the list that measures, and frees what leaves.
LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MEASUREITEM:
        // The list asks while the fill runs: the reading window must be up.
        for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
            char text[80] = "";
            if (GetDlgItemTextA(w, IDC_PROGRESS_TEXT, text, sizeof text) && IsWindowVisible(w) &&
                std::string(text) == "ＣＤ－ＲＯＭを解析しています。少しお待ちください...")
                readingWindowSeen = w;
        }
        reinterpret_cast<MEASUREITEMSTRUCT *>(lParam)->itemHeight = 20;
        return TRUE;
    case WM_DELETEITEM: {
        auto *entry = reinterpret_cast<PictureEntry *>(reinterpret_cast<DELETEITEMSTRUCT *>(lParam)->itemData);
        // A block freed already has no size: that would be a second release.
        EXPECT_NE(GlobalSize(GlobalHandle(entry)), 0u) << "released twice";
        released++;
        FreePictureEntry(entry);
        return TRUE;
    }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class SourceList : public DiscTest {
protected:
    void SetUp() override {
        DiscTest::SetUp();
        if (IsSkipped()) return;
        readingWindowSeen = nullptr;
        released = 0;
        WNDCLASSA wc{};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TestEditorStandIn";
        RegisterClassA(&wc);
        owner = CreateWindowExA(0, "TestEditorStandIn", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 400, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
        CreateWindowExA(0, "ListBox", "", WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWVARIABLE | LBS_NOTIFY | WS_VSCROLL, 5, 5,
                        150, 380, owner, reinterpret_cast<HMENU>(1006), GetModuleHandleA(nullptr), nullptr);
        Pump();
    }
    void TearDown() override {
        if (owner) DestroyWindow(owner);
        UnregisterClassA("TestEditorStandIn", GetModuleHandleA(nullptr));
        DiscTest::TearDown();
    }
    std::vector<PictureEntry *> Entries() {
        std::vector<PictureEntry *> list;
        HWND box = GetDlgItem(owner, 1006);
        for (int i = 0; i < SendMessageA(box, LB_GETCOUNT, 0, 0); i++)
            list.push_back(reinterpret_cast<PictureEntry *>(SendMessageA(box, LB_GETITEMDATA, i, 0)));
        return list;
    }
    static Bytes Preview(int width) {
        return MakeBmpFile(MakePackedDib(width, 75, 8, [](int x, int) { return static_cast<uint32_t>(x); }));
    }
    HWND owner = nullptr;
};

TEST_F(SourceList, ContentEndsAtTheFirstPictureWithNeitherFile) {
    discE.Catalogue(CatalogueText("T", {"A", "B"}, {}));
    for (int p = 1; p <= 7; p++) discE.Picture(1, 2, p, Preview(90 + p));
    discE.Picture(2, 2, 4, Preview(10));  // a full-screen file too: no difference
    discE.Picture(1, 2, 9, Preview(99));  // after the gap: not listed
    ASSERT_TRUE(ScanForTitleDisc());
    int blocks = Layer::Available() ? Layer::LiveGlobalBlocks() : 0;
    EXPECT_EQ(FillSourceList(owner, 1006, 2), 7);
    std::vector<PictureEntry *> entries = Entries();
    ASSERT_EQ(entries.size(), 7u);
    for (int i = 0; i < 7; i++) {
        EXPECT_EQ(entries[i]->picture, i + 1);
        EXPECT_EQ(entries[i]->kind, 0);
        ASSERT_NE(entries[i]->preview, nullptr);
        EXPECT_EQ(entries[i]->preview->biWidth, 91 + i);
        EXPECT_EQ(SendDlgItemMessageA(owner, 1006, LB_GETITEMHEIGHT, i, 0), 70);
    }
    EXPECT_NE(readingWindowSeen, nullptr) << "the disc-reading window was up while the list filled";
    EXPECT_FALSE(IsWindow(readingWindowSeen)) << "and is gone afterwards";
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    // Each entry and its preview go exactly once with the list; the entry
    // that ended the content went at once.
    DestroyWindow(owner);
    owner = nullptr;
    EXPECT_EQ(released, 7);
    if (Layer::Available()) EXPECT_EQ(Layer::LiveGlobalBlocks(), blocks);
}

TEST_F(SourceList, PictureWithoutPreviewShowsThePlaceholder) {
    discE.Catalogue(CatalogueText("T", {"A"}, {}));
    discE.Picture(1, 1, 1, Preview(91));
    discE.Picture(2, 1, 2, Preview(300));  // only its full-screen picture
    discE.Picture(1, 1, 3, Preview(93));
    ASSERT_TRUE(ScanForTitleDisc());
    EXPECT_EQ(FillSourceList(owner, 1006, 1), 3);
    std::vector<PictureEntry *> entries = Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_TRUE(IsPlaceholder(entries[1]->preview));
    EXPECT_EQ(entries[1]->preview->biWidth, 100);
    EXPECT_FALSE(IsPlaceholder(entries[0]->preview));
}

TEST_F(SourceList, NeverMoreThan128Pictures) {
    discE.Catalogue(CatalogueText("T", {"A"}, {}));
    Bytes small = Preview(2);
    for (int p = 1; p <= 130; p++) discE.Picture(1, 1, p, small);
    ASSERT_TRUE(ScanForTitleDisc());
    EXPECT_EQ(FillSourceList(owner, 1006, 1), 128);
    EXPECT_EQ(SendDlgItemMessageA(owner, 1006, LB_GETCOUNT, 0, 0), 128);
}

TEST_F(SourceList, NoDiscNoPictures) {
    EXPECT_FALSE(ScanForTitleDisc());
    EXPECT_EQ(FillSourceList(owner, 1006, 1), 0);
    EXPECT_EQ(SendDlgItemMessageA(owner, 1006, LB_GETCOUNT, 0, 0), 0);
}

}  // namespace
