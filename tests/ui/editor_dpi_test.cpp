// The editor's hand-drawn lists at the DPI of the monitor it is on: item
// heights and previews in proportion to it, the stored previews untouched,
// and a change of DPI while the editor is open. The layer is set to each
// DPI; against Windows the system's serves (tools/test runs these under
// Wine at 96 and again at 144 dots per inch, QMSAVER_EXPECTED_DPI naming
// the one it set).
#include <cstdlib>
#include <utility>
#include <vector>

#include "resources/resource.h"
#include "support/boxes.h"
#include "support/configuration_fixture.h"

namespace {

// How an item showing a 100 x 75 preview is drawn: the item's height, the
// width the preview would have at that height, how far in the picture
// starts, its size, and the inset of the selection frame.
struct Geometry {
    int dpi, itemHeight, fullWidth, inset, width, height, frameInset;
};
constexpr Geometry kGeometries[] = {
    {96, 70, 93, 7, 86, 56, 3},       // as it has always been
    {144, 105, 140, 11, 129, 84, 5},  // half as large again
};

const Geometry *GeometryAt(int dpi) {
    for (const Geometry &g : kGeometries)
        if (g.dpi == dpi) return &g;
    return nullptr;
}

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The window stretched (or shrunk) by to / from about its top left corner, as
// Windows suggests with WM_DPICHANGED.
RECT Scaled(HWND window, int from, int to) {
    RECT r;
    GetWindowRect(window, &r);
    return RECT{r.left, r.top, r.left + MulDiv(r.right - r.left, to, from), r.top + MulDiv(r.bottom - r.top, to, from)};
}

class EditorDpi : public ConfigurationTest {
protected:
    void SetUp() override {
        ConfigurationTest::SetUp();
        if (IsSkipped()) return;
        MakeDisc();
        OpenConfiguration();
    }
    // The DPIs to try: every one of the table on the layer, the system's on Windows.
    static std::vector<int> Dpis() {
        if (Layer::Available()) return {96, 144};
        int dpi = SystemDpi();
        if (const char *expected = std::getenv("QMSAVER_EXPECTED_DPI")) EXPECT_EQ(dpi, std::atoi(expected));
        return {dpi};
    }
    static int ItemHeight(HWND editor, int listId, int index) {
        return static_cast<int>(SendDlgItemMessageW(editor, listId, LB_GETITEMHEIGHT, static_cast<WPARAM>(index), 0));
    }
    static std::vector<int> ItemHeights(HWND editor, int listId) {
        std::vector<int> heights;
        auto count = static_cast<int>(SendDlgItemMessageW(editor, listId, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; i++) heights.push_back(ItemHeight(editor, listId, i));
        return heights;
    }
    // The first item of the source list as the screen shows it: where the
    // preview's colour begins and ends down the middle of the item.
    static std::pair<int, int> PreviewRowsOfFirstItem(HWND editor, COLORREF colour) {
        HWND list = GetDlgItem(editor, IDC_SOURCE_LIST);
        UpdateWindow(editor);
        RECT item;
        SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
        HDC dc = GetDC(list);
        int first = -1, last = -1;
        for (int y = item.top; y < item.bottom; y++) {
            if (GetPixel(dc, item.right / 2, y) != colour) continue;
            if (first < 0) first = y - item.top;
            last = y - item.top;
        }
        ReleaseDC(list, dc);
        return {first, last};
    }
};

TEST_F(EditorDpi, ItemsAndPreviewsAreInProportionToTheDpi) {
    for (int dpi : Dpis()) {
        SCOPED_TRACE(dpi);
        const Geometry *g = GeometryAt(dpi);
        ASSERT_NE(g, nullptr) << "run at 96 or 144 dots per inch, not " << dpi;
        if (Layer::Available()) Layer::SetDpi(dpi);
        RunEditor("", [&](HWND editor) {
            EXPECT_EQ(ItemHeights(editor, IDC_SOURCE_LIST), std::vector<int>(4, g->itemHeight));
            Click(editor, IDC_ADD_ALL);
            EXPECT_EQ(ItemHeights(editor, IDC_SHOW_LIST), std::vector<int>(4, g->itemHeight));
            // The stored preview keeps its size; only its drawing grows.
            PictureEntry *first = Entries(editor, IDC_SOURCE_LIST)[0];
            EXPECT_EQ(first->preview->biWidth, 100);
            EXPECT_EQ(first->preview->biHeight, 75);

            HWND list = GetDlgItem(editor, IDC_SOURCE_LIST);
            SelectItem(editor, IDC_SOURCE_LIST, 1);
            UpdateWindow(editor);
            RECT item, second;
            SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
            SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
            EXPECT_EQ(item.bottom - item.top, g->itemHeight);
            int x = (item.right - g->fullWidth) / 2 + g->inset, y = item.top + g->inset;
            ASSERT_GE(x, MulDiv(10, dpi, 96)) << "a list too narrow for the whole preview";
            COLORREF colour = PreviewColour(1, 1);
            HDC dc = GetDC(list);
            EXPECT_EQ(GetPixel(dc, x, y), colour);
            EXPECT_EQ(GetPixel(dc, x + g->width - 1, y + g->height - 1), colour);
            for (POINT outside : {POINT{x - 1, y + 20}, POINT{x + g->width, y + 20}, POINT{x + 20, y - 1},
                                  POINT{x + 20, y + g->height}})
                EXPECT_NE(GetPixel(dc, outside.x, outside.y), colour) << outside.x << "," << outside.y;
            // The selected item's frame keeps its place in proportion too.
            EXPECT_EQ(GetPixel(dc, second.left + g->frameInset, second.top + g->itemHeight / 2), RGB(0, 0, 0));
            EXPECT_EQ(GetPixel(dc, item.left + g->frameInset, item.top + g->itemHeight / 2), GetSysColor(COLOR_WINDOW));
            ReleaseDC(list, dc);
            BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDNO});
        });
    }
}

// To 144 dots per inch from 96 (from 144 to 96 when the system is there
// already): every item of both lists takes its new height and its preview
// is drawn to it; the window takes the size Windows suggests, and keeps it.
TEST_F(EditorDpi, ADpiChangeWhileOpenResizesEveryItemAndTheWindow) {
    int from = Dpis().front();
    int to = from == 144 ? 96 : 144;
    const Geometry *before = GeometryAt(from), *after = GeometryAt(to);
    ASSERT_TRUE(before && after) << "run at 96 or 144 dots per inch, not " << from;
    RunEditor("", [&](HWND editor) {
        SelectItem(editor, IDC_SOURCE_LIST, 2);
        Click(editor, IDC_ADD);
        Click(editor, IDC_ADD);
        COLORREF colour = PreviewColour(1, 1);
        EXPECT_EQ(PreviewRowsOfFirstItem(editor, colour), std::make_pair(before->inset, before->inset + before->height - 1));

        // Windows has the new DPI for the window by the time it tells it.
        if (Layer::Available()) Layer::SetDpi(to);
        RECT suggested = Scaled(editor, from, to);
        SendMessageW(editor, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(ItemHeights(editor, IDC_SOURCE_LIST), std::vector<int>(4, after->itemHeight));
        EXPECT_EQ(ItemHeights(editor, IDC_SHOW_LIST), std::vector<int>(2, after->itemHeight));
        EXPECT_EQ(PreviewRowsOfFirstItem(editor, colour), std::make_pair(after->inset, after->inset + after->height - 1));

        RECT now;
        GetWindowRect(editor, &now);
        EXPECT_EQ(now.right - now.left, suggested.right - suggested.left);
        EXPECT_EQ(now.bottom - now.top, suggested.bottom - suggested.top);
        // Its width stays fixed at the new one.
        SetWindowPos(editor, nullptr, 0, 0, now.right - now.left - 40, now.bottom - now.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        GetWindowRect(editor, &now);
        EXPECT_EQ(now.right - now.left, suggested.right - suggested.left);

        // Pictures added from now on come at the new height (the layer can
        // change the DPI; a message alone does not change Windows').
        if (Layer::Available()) {
            Click(editor, IDC_ADD);
            EXPECT_EQ(ItemHeights(editor, IDC_SHOW_LIST), std::vector<int>(3, after->itemHeight));
        }
        BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDNO});
    });
}

// What the editor asks: the window's own DPI where user32 has
// GetDpiForWindow (Windows 10 1607 on), the screen's where it has not; and
// never more than a list box item can be high.
UINT WINAPI DpiOfEveryWindow(HWND window) { return IsWindow(window) ? 144 : 0; }

TEST_F(EditorDpi, TheWindowsOwnDpiServesWhereWindowsHasItElseTheScreens) {
    SKIP_WITHOUT_LAYER("needs stand-ins for user32 of other Windows versions");
    auto sourceHeights = [&] {
        std::vector<int> heights;
        RunEditor("", [&](HWND editor) {
            heights = ItemHeights(editor, IDC_SOURCE_LIST);
            SendMessageW(editor, WM_CLOSE, 0, 0);
        });
        return heights;
    };
    Layer::SetDpi(120);
    EXPECT_EQ(sourceHeights(), std::vector<int>(4, 88)) << "70 * 120 / 96, rounded";
    Layer::RegisterModule("user32.dll",
                          {{"GetDpiForWindow", reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(DpiOfEveryWindow))}},
                          true);
    EXPECT_EQ(sourceHeights(), std::vector<int>(4, 105)) << "the window's DPI before the screen's";
    Layer::RegisterModule("user32.dll", {}, true);  // a Windows before 10 1607
    EXPECT_EQ(sourceHeights(), std::vector<int>(4, 88));
    Layer::SetDpi(480);
    EXPECT_EQ(sourceHeights(), std::vector<int>(4, 255)) << "not 350: the list box's limit";
}

}  // namespace
