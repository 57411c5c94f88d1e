// The settings dialog (template 2004): two scroll bars, the interval's
// "N 秒" beside its bar, OK writing the values to control.ini.
#include "ui/settings_dialog.h"

#include "player/settings.h"
#include "resources/resource.h"
#include "text/glyphs.h"
#include "text/language.h"
#include "text/text.h"
#include "ui/centre.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kShortestInterval = 5, kLongestInterval = 30;
constexpr int kLoudest = 7;

struct SettingsChoice {
    HINSTANCE instance;
    int interval;
    int volume;
};

SettingsChoice *ChoiceOf(HWND dialog) { return reinterpret_cast<SettingsChoice *>(GetWindowLongPtrW(dialog, DWLP_USER)); }

void ShowInterval(HWND dialog, int seconds) {
    SetItemText(dialog, IDC_INTERVAL_TEXT, FormatText(IDS_SECONDS, seconds));
}

BOOL OnInitDialog(HWND dialog, SettingsChoice *choice) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(choice));
    CentreWindow(dialog, GetParent(dialog));
    LoadSettingStrings(choice->instance);
    ReadSettings();
    // Values outside what the bars offer (a hand-edited control.ini) start at the nearest one.
    choice->interval = std::clamp<int>(settings.interval, kShortestInterval, kLongestInterval);
    choice->volume = std::clamp<int>(settings.volume, 0, kLoudest);
    HWND volume = GetDlgItem(dialog, IDC_VOLUME), interval = GetDlgItem(dialog, IDC_INTERVAL);
    SetScrollRange(volume, SB_CTL, 0, kLoudest, FALSE);
    SetScrollPos(volume, SB_CTL, choice->volume, TRUE);
    SetScrollRange(interval, SB_CTL, kShortestInterval, kLongestInterval, FALSE);
    SetScrollPos(interval, SB_CTL, choice->interval, TRUE);
    ShowInterval(dialog, choice->interval);
    UseFontWithGlyphs(dialog);
    return TRUE;
}

// One step per line or page, never past the ends; the thumb sets the value.
int Scrolled(int value, int code, int thumb, int lowest, int highest) {
    switch (code) {
    case SB_LINEDOWN:
    case SB_PAGEDOWN: return value < highest ? value + 1 : value;
    case SB_LINEUP:
    case SB_PAGEUP: return value > lowest ? value - 1 : value;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: return std::clamp(thumb, lowest, highest);
    }
    return value;
}

void OnHScroll(HWND dialog, int code, int thumb, HWND bar) {
    SettingsChoice *choice = ChoiceOf(dialog);
    if (!choice) return;
    if (bar == GetDlgItem(dialog, IDC_INTERVAL)) {
        choice->interval = Scrolled(choice->interval, code, thumb, kShortestInterval, kLongestInterval);
        SetScrollPos(bar, SB_CTL, choice->interval, TRUE);
        ShowInterval(dialog, choice->interval);
    } else if (bar == GetDlgItem(dialog, IDC_VOLUME)) {
        choice->volume = Scrolled(choice->volume, code, thumb, 0, kLoudest);
        SetScrollPos(bar, SB_CTL, choice->volume, TRUE);
    }
}

void OnCommand(HWND dialog, int id) {
    SettingsChoice *choice = ChoiceOf(dialog);
    if (id == IDOK && choice) {
        settings.volume = static_cast<uint16_t>(choice->volume);
        settings.interval = static_cast<uint16_t>(choice->interval);
        const SettingStrings &s = settingStrings;
        bool written = WriteSetting(s.section, s.keyVolume, settings.volume);
        written = WriteSetting(s.section, s.keyInterval, settings.interval) && written;
        if (!written) ReportUnwritableSettings(dialog);
        EndDialog(dialog, IDOK);
    } else if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
    }
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, reinterpret_cast<SettingsChoice *>(lParam));
    case WM_HSCROLL:
        OnHScroll(dialog, LOWORD(wParam), static_cast<SHORT>(HIWORD(wParam)), reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

bool RunSettingsDialog(HINSTANCE instance, HWND owner) {
    SettingsChoice choice{instance, 0, 0};
    return RunDialog(instance, IDD_SETTINGS, owner, SettingsDialogProc,
                           reinterpret_cast<LPARAM>(&choice)) == IDOK;
}

void ReportUnwritableSettings(HWND owner) {
    ShowMessageBox(owner, Text(IDS_SETTINGS_UNWRITABLE), Text(IDS_CAPTION), MB_OK | MB_ICONEXCLAMATION);
}
