// EXIF blocks as photos carry them: the reader gives an orientation EXIF
// defines, and a thumbnail only wholly within the block and starting as a
// JPEG, whatever the bytes, read as a TIFF structure and as the JPEG
// APP1 segment that wraps one; the sanitizers see that it reads nothing
// outside the block.
#include "target.h"

#include <vector>

#include "photo/exif.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Copies of exactly the input's size, so that any read past it is caught.
    std::vector<uint8_t> tiff(data, data + size);
    int o = ExifOrientation(tiff.data(), tiff.size());
    FUZZ_CHECK(o >= 1 && o <= 8);
    std::vector<uint8_t> app1 = {'E', 'x', 'i', 'f', 0, 0};
    app1.insert(app1.end(), data, data + size);
    FUZZ_CHECK(ExifOrientationOfApp1(app1.data(), app1.size()) == o);
    int raw = ExifOrientationOfApp1(tiff.data(), tiff.size());
    FUZZ_CHECK(raw >= 1 && raw <= 8);
    size_t offset = 0, length = 0;
    if (ExifThumbnail(tiff.data(), tiff.size(), &offset, &length)) {
        FUZZ_CHECK(offset < size && length >= 4 && length <= size - offset);
        FUZZ_CHECK(tiff[offset] == 0xFF && tiff[offset + 1] == 0xD8);
    }
    return 0;
}
