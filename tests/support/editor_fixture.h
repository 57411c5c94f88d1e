// Tests that work on the editor's show list: a bare parent window holding
// list box 1007 as the editor has it (owner-drawn, variable height, one
// PictureEntry per item), which frees each entry as its item goes. On a
// disc fixture, so disc pictures and music tracks are at hand.
#pragma once

#include <set>
#include <vector>

#include "disc/picture_entry.h"
#include "support/disc_fixture.h"

class EditorTest : public DiscTest {
protected:
    void SetUp() override;
    void TearDown() override;
    std::vector<PictureEntry *> Entries();
    void Add(PictureEntry *entry);
    // Empties the list (each entry freed once) and reports double releases.
    void Clear();
    HWND editor = nullptr;
    HWND list = nullptr;
};

// A disc entry for content and picture, with a preview of its own.
PictureEntry *DiscEntry(int content, int picture, const Bytes &previewDib);
