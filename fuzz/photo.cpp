// The user's own picture files through LoadPhoto, into a full-screen box
// and a preview at both depths, and through LoadPhotoPreview (a JPEG's EXIF
// thumbnail): a result is a bitmap of the program's own
// form that fits its box, and a failure gives back what it took.
#include "target.h"

#include "photo/photo.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    FuzzMachine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const char path[] = "C:\\FUZZ.PIC";
    if (!WriteInput(path, data, size)) return 0;
    int blocks = Layer::LiveGlobalBlocks();
    const int boxes[2][2] = {{160, 120}, {100, 75}};
    for (const auto &box : boxes)
        for (int bits : {24, 8}) {
            PackedDib dib = &box == &boxes[1] ? LoadPhotoPreview(path, box[0], box[1], bits) : LoadPhoto(path, box[0], box[1], bits);
            if (!dib) {
                FUZZ_CHECK(Layer::LiveGlobalBlocks() == blocks);
                continue;
            }
            FUZZ_CHECK(dib->biBitCount == bits && dib->biClrUsed == (bits == 8 ? 256u : 0u));
            FUZZ_CHECK(dib->biWidth >= 1 && dib->biWidth <= box[0] && dib->biHeight >= 1 && dib->biHeight <= box[1]);
            FUZZ_CHECK(DibPixelsInBlock(dib, GlobalSize(GlobalHandle(dib))) != nullptr);
            DibFree(dib);
        }
    return 0;
}
