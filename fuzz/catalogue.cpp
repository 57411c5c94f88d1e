// Catalogues of title discs: read from a disc in a CD-ROM drive as the
// configuration dialog reads it, and parsed whole beyond the 1023 bytes.
#include "target.h"

#include "text/text.h"

#include <cstring>
#include <vector>

#include "disc/catalogue.h"

namespace {

// Every name the catalogue holds is a terminated text within its slot.
void CheckSlots(const Catalogue &c) {
    FUZZ_CHECK(c.contentCount >= 0 && c.contentCount <= kMaxContents);
    FUZZ_CHECK(c.trackCount >= 0 && c.trackCount <= kMaxTracks);
    FUZZ_CHECK(std::memchr(c.title, 0, sizeof c.title) != nullptr);
    FUZZ_CHECK(std::memchr(c.soundDir, 0, sizeof c.soundDir) != nullptr);
    for (int i = 0; i < kMaxContents; i++) FUZZ_CHECK(std::memchr(c.contentNames[i], 0, kNameSize) != nullptr);
    for (int i = 0; i < kMaxTracks; i++) FUZZ_CHECK(std::memchr(c.trackNames[i], 0, kNameSize) != nullptr);
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
