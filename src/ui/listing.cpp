#include "ui/listing.h"

#include "photo/folder.h"
#include "resources/resource.h"
#include "text/glyphs.h"
#include "text/language.h"
#include "text/text.h"
#include "ui/centre.h"
#include "ui/progress.h"

namespace {

// A listing shorter than this shows no window.
constexpr DWORD kQuietListing = 300;
// The count is written again at most this often.
constexpr DWORD kCountEvery = 100;

struct Listing {
    bool cancelled = false;
};

INT_PTR CALLBACK ListingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        CentreWindow(window, GetDesktopWindow());
        UseFontWithGlyphs(window);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            if (auto *listing = reinterpret_cast<Listing *>(GetWindowLongPtrW(window, DWLP_USER)))
                listing->cancelled = true;
        }
        return TRUE;
    case WM_CLOSE:
        return TRUE;  // Cancel stops; the listing closes the window
    }
    return FALSE;
}

}  // namespace

std::vector<std::string> ListPhotoFolder(HINSTANCE instance, HWND owner, const std::string &folder) {
    Listing listing;
    HWND window = MakeDialog(instance, IDD_LISTING, owner, ListingProc, reinterpret_cast<LPARAM>(&listing));
    bool ownerWasEnabled = owner && !EnableWindow(owner, FALSE);
    DWORD start = GetTickCount(), written = 0;
    std::vector<std::string> found = PhotoFilesIn(folder, [&](size_t count) {
        DWORD now = GetTickCount();
        if (window && now - start >= kQuietListing && now - written >= kCountEvery) {
            written = now;
            int n = static_cast<int>(count);
            SetItemText(window, IDC_PROGRESS_TEXT, FormatText(n == 1 ? IDS_PHOTO_FOUND : IDS_PHOTOS_FOUND, n));
            if (!IsWindowVisible(window)) ShowWindow(window, SW_SHOW);
        }
        // The window's own messages only (its painting, its Cancel): the
        // rest waits for the loop the listing returns to, so nothing of the
        // owner's runs in the middle of it.
        if (window && IsWindowVisible(window)) TakeOwnMessages(window);
        return !listing.cancelled;
    });
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (window) DestroyWindow(window);
    return found;
}
