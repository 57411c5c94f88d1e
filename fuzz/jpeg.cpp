// JPEG files through the program's decoder: a result is a whole 24-bit
// bitmap of the size the file states, and every error comes back.
#include "target.h"

#include "image/jpeg.h"

namespace {
void Quiet(const char *, bool) {}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    FuzzMachine();
    SetJpegReporter(Quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const char path[] = "C:\\FUZZ.JPG";
    if (!WriteInput(path, data, size)) return 0;
    PackedDib dib = JpegLoadFile(path);
    if (!dib) return 0;
    FUZZ_CHECK(dib->biBitCount == 24 && dib->biWidth > 0 && dib->biHeight > 0);
    FUZZ_CHECK(DibPixelsInBlock(dib, GlobalSize(GlobalHandle(dib))) != nullptr);
    DibFree(dib);
    return 0;
}
