// Catalogues of title discs: read from a disc in a CD-ROM drive as the
// configuration dialog reads it, and parsed whole beyond the 1023 bytes.
#include "target.h"

#include "text/text.h"

#include <cstring>
#include <vector>

#include "disc/catalogue.h"

namespace {

// A terminated text within its slot, and UTF-8 that goes to Windows and back
// unchanged: a name cut at a whole character, whatever bytes the disc held.
void CheckText(const char *slot, size_t size) {
    FUZZ_CHECK(std::memchr(slot, 0, size) != nullptr);
    FUZZ_CHECK(Utf8(Wide(slot)) == slot);
}

void CheckSlots(const Catalogue &c) {
    FUZZ_CHECK(c.contentCount >= 0 && c.contentCount <= kMaxContents);
    FUZZ_CHECK(c.trackCount >= 0 && c.trackCount <= kMaxTracks);
    CheckText(c.title, sizeof c.title);
    CheckText(c.soundDir, sizeof c.soundDir);
    for (const auto &name : c.contentNames) CheckText(name, sizeof name);
    for (const auto &name : c.trackNames) CheckText(name, sizeof name);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    FuzzMachine();
    std::string folder = Layer::HostPath("C:\\") + "/cdrom";
    MakeFolder("C:\\cdrom");
    Layer::MapDrive('E', folder, DRIVE_CDROM);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (!WriteInput("E:\\QM.SD", data, size)) return 0;
    FUZZ_CHECK(ScanForTitleDisc());
    CheckSlots(catalogue);

    std::vector<char> text(data, data + size);
    text.push_back(0);
    Catalogue whole;
    std::strcpy(whole.discRoot, "E:\\");
    ParseCatalogue(text.data(), whole);
    CheckSlots(whole);
    return 0;
}
