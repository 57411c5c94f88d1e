// Disc pictures by kind, content and number.
#include "disc/picture.h"

#include "disc/catalogue.h"
#include "image/jpeg.h"
#include "player/player.h"
#include "player/settings.h"
#include "resources/resource.h"
#include "text/text.h"

#include <cstdio>

bool PicturePath(int kind, int content, int picture, char *path, size_t size) {
    const char *folder = nullptr, *extension = "BMP";
    switch (kind) {
    case kPreview: folder = "S"; break;
    case kStandardBmp: folder = "O"; break;
    case kLargeBmp: folder = "LO"; break;
    case kStandardJpeg: folder = "O", extension = "JPG"; break;
    case kLargeJpeg: folder = "LO", extension = "JPG"; break;
    case 12:
    case 14: folder = "L"; break;
    case 13:
    case 15: folder = "LL"; break;
    case kMusicTrack: {
        int n = std::snprintf(path, size, "%s%02d.WAV", catalogue.soundDir, content);
        return n > 0 && static_cast<size_t>(n) < size;
    }
    }
    if (!folder) {
        if (size) path[0] = 0;
        return false;
    }
    int n = std::snprintf(path, size, "%sDAT\\%02d\\%s\\%03d.%s", catalogue.discRoot, content, folder, picture,
                          extension);
    return n > 0 && static_cast<size_t>(n) < size;
}

bool Wants256Colours() { return settings.use8bit || player.displayDepth == 8; }

PackedDib LoadPicture(int kind, int content, int picture) {
    if (Wants256Colours() && kind >= kStandardBmp && kind <= kLargeJpeg) kind += k256ColourOffset;
    char path[kPathBytes];
    if (kind < kPreview || kind > 15 || !PicturePath(kind, content, picture, path, sizeof path)) return nullptr;
    if (kind == kStandardJpeg || kind == kLargeJpeg) return JpegLoadFile(path);
    return DibLoadFile(path);
}

namespace {

PackedDib Placeholder() { return DibLoadResource(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_NOPREVIEW)); }

}  // namespace

PackedDib PlaceholderPicture(int content, int picture) {
    if (content != 0 || picture != 0) {
        char path[kPathBytes];
        if (!PicturePath(kStandardBmp, content, picture, path, sizeof path) ||
            FileAttributes(path) == INVALID_FILE_ATTRIBUTES)
            return nullptr;
    }
    return Placeholder();
}

bool IsPlaceholder(const BITMAPINFOHEADER *dib) { return dib && dib == Placeholder(); }
