// Running the configuration dialogs as a user would: the editor or the
// manager opened modally, a title disc on E:, and steps that act on the
// dialog from inside its own loop (clicks, list choices, menu commands).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "disc/picture_entry.h"
#include "support/disc_fixture.h"
#include "support/user_actions.h"

class ConfigurationTest : public DiscTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A disc on E: with two contents: the first of four pictures (the last
    // without preview, so listed with the placeholder), the second of two,
    // each preview a field of its own colour; and two tracks.
    void MakeDisc();
    static COLORREF PreviewColour(int content, int picture);
    // The files the disc holds for picture p of content c (index [c][p]):
    // previews, the BMPs of content 1, the JPEGs of content 2; and the tracks.
    Bytes previews[3][5], fullFiles[3][5], tracks[3];
    // Reads the settings and the disc as the manager does when it opens.
    void OpenConfiguration();

    // Runs the editor on the show name (empty: a new one), or the manager;
    // steps act on it once it is up (see InNextDialog).
    INT_PTR RunEditor(const std::string &name, const std::function<void(HWND)> &steps);
    // The show's name as the editor last run left it.
    std::string editorName;
    // The editor's window as its template makes it, before it is stretched.
    static int TemplateHeight();
    INT_PTR RunManager(const std::function<void(HWND)> &steps);

    // One turn of the running dialog's loop: the next message, dispatched;
    // with none, the clock runs to the next timer (on the layer) or a
    // little time passes. False once nothing is left to happen (on the layer).
    static bool Turn();
    // Turns until nothing is left to do (on the layer), or until done holds
    // and a while after (against Windows, which is never idle).
    static void RunLoop(const std::function<bool()> &done, int turns = 20000);

    static bool SaveEnabled(HWND editor);
    static UINT MenuState(HWND editor, int id);
    static std::string Text(HWND window);
    static std::vector<PictureEntry *> Entries(HWND editor, int listId);
    static std::vector<std::string> ListTexts(HWND dialog, int listId);
    static std::vector<std::string> ComboTexts(HWND dialog, int comboId);
    static std::vector<std::string> ShowsInShowDirectory();
    // The records of a show in the system directory: each one's size pair and blocks.
    static std::vector<Bytes> Records(const std::string &name);
    static bool SystemFileExists(const std::string &name);
    // MessageBeep calls so far (the layer counts them; Windows cannot).
    static int Beeps();

    // Shows in the system directory that the test did not make are put aside meanwhile.
    std::vector<std::string> setAside;
};
