// The progress windows: shown and painted as soon as they open (no message
// loop runs while they are up), the saving window's bar drawn at each step
// and never outside its frame, its text replaced at once.
#include "resources/resource.h"
#include "support/saver_fixture.h"
#include "ui/progress.h"

namespace {

class Progress : public SaverTest {
protected:
    void TearDown() override {
        CloseProgressWindow(window);
        SaverTest::TearDown();
    }
    void Open(int templateId) {
        window = OpenProgressWindow(GetModuleHandleW(nullptr), nullptr, templateId);
        ASSERT_NE(window, nullptr);
    }
    COLORREF At(int x, int y) {
        HDC hdc = GetDC(window);
        COLORREF c = GetPixel(hdc, x, y);
        ReleaseDC(window, hdc);
        return c;
    }
    // The black pixels of the bar's middle row, from the frame's left edge on.
    int BlackRun(int y) {
        RECT r;
        GetClientRect(window, &r);
        int n = 0;
        while (10 + 1 + n < r.right && At(10 + 1 + n, y) == RGB(0, 0, 0)) n++;
        return n;
    }
    // Pixels in the static text's rectangle that are not the dialog's face colour.
    int InkIn(int id) {
        RECT r;
        GetWindowRect(GetDlgItem(window, id), &r);
        POINT a{r.left, r.top}, b{r.right, r.bottom};
        ScreenToClient(window, &a);
        ScreenToClient(window, &b);
        int ink = 0;
        for (int y = a.y; y < b.y; y++)
            for (int x = a.x; x < b.x; x++) ink += At(x, y) != GetSysColor(COLOR_BTNFACE);
        return ink;
    }
    HWND window = nullptr;
};

TEST_F(Progress, SavingWindowShowsItsTextAtOnceAndWhenItChanges) {
    Open(IDD_SAVING);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(ItemText(window, IDC_PROGRESS_TEXT), "データを保存しています...");
    int before = InkIn(IDC_PROGRESS_TEXT);
    EXPECT_GT(before, 20) << "drawn without a message loop";
    SetProgressText(window, "ＢＧＭを保存しています...");
    EXPECT_EQ(ItemText(window, IDC_PROGRESS_TEXT), "ＢＧＭを保存しています...");
    EXPECT_NE(InkIn(IDC_PROGRESS_TEXT), before) << "the new text is on the screen";
}

TEST_F(Progress, BarGrowsWithTheStepsInsideItsFrame) {
    Open(IDD_SAVING);
    RECT r;
    GetClientRect(window, &r);
    int h = GetSystemMetrics(SM_CYVSCROLL);
    int middle = r.bottom - 2 * h + h / 2;
    int inside = r.right - 20 - 2;  // between the frame's two sides
    struct Step {
        int step, steps, black;
    } steps[] = {
        {0, 4, 0}, {1, 4, (r.right - 20) / 4 - 1}, {3, 4, (r.right - 20) * 3 / 4 - 1}, {4, 4, inside + 1},
        {9, 4, inside + 1}, {-3, 4, 0}, {2, 0, 0}, {1, -4, 0},
    };
    for (const Step &s : steps) {
        SendMessageW(window, WM_PROGRESS, static_cast<WPARAM>(s.step), static_cast<LPARAM>(s.steps));
        EXPECT_EQ(BlackRun(middle), s.black) << s.step << " of " << s.steps;
        EXPECT_EQ(At(r.right - 10, middle), GetSysColor(COLOR_BTNFACE)) << "right of the frame, " << s.step << " of " << s.steps;
        EXPECT_EQ(At(r.right - 11, middle), RGB(0, 0, 0)) << "the frame's right side";
        // Each step is drawn over a fresh frame: a shorter bar leaves the rest white.
        SendMessageW(window, WM_PROGRESS, 0, 4);
    }
}

TEST_F(Progress, ReadingWindowShowsItselfAtOnce) {
    Open(IDD_READING);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_GT(InkIn(IDC_PROGRESS_TEXT), 20);
    // Centred on the screen.
    RECT w;
    GetWindowRect(window, &w);
    EXPECT_NEAR((w.left + w.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((w.top + w.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

}  // namespace
