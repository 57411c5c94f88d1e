#include "disc/source_list.h"

#include "disc/catalogue.h"
#include "disc/picture.h"

namespace {

// A picture's entry with its preview; null at the end of the content.
PictureEntry *EntryFor(int content, int picture) {
    PictureEntry *entry = NewPictureEntry();
    if (!entry) return nullptr;
    entry->picture = static_cast<int16_t>(picture);
    entry->preview = LoadPicture(kPreview, content, picture);
    if (!entry->preview) entry->preview = PlaceholderPicture(content, picture);
    if (!entry->preview) {
        FreePictureEntry(entry);
        return nullptr;
    }
    return entry;
}

}  // namespace

std::vector<PictureEntry *> FillSourceList(int content) {
    std::vector<PictureEntry *> entries;
    // Without a disc the picture paths would name files beside the shows.
    if (!catalogue.discFound) return entries;
    for (int picture = 1; picture <= kMostPicturesInAContent; picture++) {
        PictureEntry *entry = EntryFor(content, picture);
        if (!entry) break;
        entries.push_back(entry);
    }
    return entries;
}
