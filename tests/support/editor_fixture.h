// Tests that work on the editor's lists: a bare parent window holding the
// source list 1006 and the show list 1007 as the editor has them (owner-
// drawn, variable height, one PictureEntry per item), which frees each
// entry as its item goes. On a disc fixture, so disc pictures and music
// tracks are at hand.
#pragma once

#include <functional>
#include <vector>

#include "disc/picture_entry.h"
#include "support/disc_fixture.h"

class EditorTest : public DiscTest {
protected:
    void SetUp() override;
    void TearDown() override;
    std::vector<PictureEntry *> Entries(int listId = 1007);
    void Add(PictureEntry *entry);
    // Puts the entries into the list, in order, which then owns them.
    void Append(const std::vector<PictureEntry *> &entries, int listId = 1007);
    // Empties the list (each entry freed once) and reports double releases.
    void Clear();
    HWND editor = nullptr;
    HWND list = nullptr;  // the show list

public:
    // Entries released through WM_DELETEITEM, and a look at each WM_MEASUREITEM.
    static int released;
    static std::function<void()> onMeasure;
};

// A disc entry for content and picture, with a preview of its own.
PictureEntry *DiscEntry(int content, int picture, const Bytes &previewDib);
