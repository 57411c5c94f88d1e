// LoadPhoto: the file's first bytes say which decoder reads it.
#include "photo/photo.h"

#include "photo/decoders.h"
#include "photo/pipeline.h"
#include "text/text.h"

#include <cstdlib>
#include <cstring>

namespace {

const BYTE kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

enum class Kind { kNone, kJpeg, kPng, kBmp };

Kind KindOf(const BYTE *start, UINT got) {
    if (got >= 3 && start[0] == 0xFF && start[1] == 0xD8 && start[2] == 0xFF) return Kind::kJpeg;
    if (got >= 8 && std::memcmp(start, kPngSignature, 8) == 0) return Kind::kPng;
    if (got >= 2 && start[0] == 'B' && start[1] == 'M') return Kind::kBmp;
    return Kind::kNone;
}

// A picture already upright, fitted again into maxWidth x maxHeight at bits.
PackedDib Refit(PackedDib picture, int maxWidth, int maxHeight, int bits) {
    PhotoPlan plan;
    if (!PlanPhoto(plan, picture->biWidth, picture->biHeight, 1, maxWidth, maxHeight, bits)) return nullptr;
    return FinishPhoto(plan, RasterOf(picture));
}

// A JPEG's size from its frame header, found by walking the segments from
// the start: each read is a marker and a length, the segments between are
// skipped. False when no frame header comes.
bool JpegFrameSize(HFILE file, int *width, int *height) {
    LONG at = 2;  // after SOI
    for (int segments = 0; segments < 1000; segments++) {
        BYTE head[9];
        if (_llseek(file, at, FILE_BEGIN) != at || _lread(file, head, 4) != 4 || head[0] != 0xFF) return false;
        BYTE marker = head[1];
        if (marker == 0xFF) {  // fill byte
            at++;
            continue;
        }
        LONG length = head[2] << 8 | head[3];
        if (length < 2) return false;
        bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (_lread(file, head + 4, 5) != 5) return false;
            *height = head[5] << 8 | head[6];
            *width = head[7] << 8 | head[8];
            return true;
        }
        if (marker == 0xD9 || marker == 0xDA) return false;  // the end, or scans before any frame
        at += 2 + length;
    }
    return false;
}

}  // namespace

size_t ReadPiece(PhotoReader &reader) {
    UINT got = _lread(reader.file, reader.piece, sizeof reader.piece);
    return got == static_cast<UINT>(HFILE_ERROR) ? 0 : got;
}

PackedDib LoadPhoto(const char *path, int maxWidth, int maxHeight, int bits) {
    if (!path || maxWidth < 1 || maxHeight < 1 || (bits != 24 && bits != 8)) return nullptr;
    HFILE file = OpenForReading(path);
    if (file == HFILE_ERROR) return nullptr;
    BYTE start[8] = {};
    Kind kind = KindOf(start, _lread(file, start, sizeof start));
    if (kind == Kind::kBmp || kind == Kind::kNone) {
        _lclose(file);
        return kind == Kind::kBmp ? LoadBmpPhoto(path, maxWidth, maxHeight, bits) : nullptr;
    }
    PackedDib dib = nullptr;
    if (_llseek(file, 0, FILE_BEGIN) == 0)
        dib = kind == Kind::kJpeg ? LoadJpegPhoto(file, maxWidth, maxHeight, bits) : LoadPngPhoto(file, maxWidth, maxHeight, bits);
    _lclose(file);
    return dib;
}

bool LoadPhotoRecord(const char *path, int maxWidth, int maxHeight, int bits, PackedDib *full, PackedDib *preview) {
    *full = *preview = nullptr;
    if (bits != 24 && bits != 8) return false;
    PackedDib fitted = LoadPhoto(path, maxWidth, maxHeight, 24);
    if (!fitted) return false;
    // A fitted picture smaller than the preview's box every way would give a
    // smaller preview than the file does (pictures are never scaled up):
    // only then is the file decoded again.
    bool small = fitted->biWidth < 100 && fitted->biHeight < 75;
    *preview = small ? LoadPhoto(path, 100, 75, bits) : Refit(fitted, 100, 75, bits);
    if (bits == 8) {
        *full = Refit(fitted, fitted->biWidth, fitted->biHeight, 8);
        DibFree(fitted);
    } else {
        *full = fitted;
    }
    if (*full && *preview) return true;
    DibFree(*full);
    DibFree(*preview);
    *full = *preview = nullptr;
    return false;
}

PackedDib LoadPhotoPreview(const char *path, int maxWidth, int maxHeight, int bits) {
    if (!path || maxWidth < 1 || maxHeight < 1 || (bits != 24 && bits != 8)) return nullptr;
    HFILE file = OpenForReading(path);
    if (file == HFILE_ERROR) return nullptr;
    BYTE start[8] = {};
    PackedDib dib = nullptr;
    if (KindOf(start, _lread(file, start, sizeof start)) == Kind::kJpeg && _llseek(file, 0, FILE_BEGIN) == 0)
        dib = LoadJpegThumbnail(file, maxWidth, maxHeight, bits);
    _lclose(file);
    return dib ? dib : LoadPhoto(path, maxWidth, maxHeight, bits);
}

bool FittedPhotoSize(const char *path, int maxWidth, int maxHeight, int *width, int *height) {
    HFILE file = path ? OpenForReading(path) : HFILE_ERROR;
    if (file == HFILE_ERROR) return false;
    BYTE head[32] = {};
    UINT got = _lread(file, head, sizeof head);
    int w = 0, h = 0;
    bool known = false, eitherWayUp = false;
    auto u32 = [&](int at, bool big) {
        return big ? static_cast<uint32_t>(head[at]) << 24 | head[at + 1] << 16 | head[at + 2] << 8 | head[at + 3]
                   : static_cast<uint32_t>(head[at + 3]) << 24 | head[at + 2] << 16 | head[at + 1] << 8 | head[at];
    };
    switch (KindOf(head, got == static_cast<UINT>(HFILE_ERROR) ? 0 : got)) {
    case Kind::kJpeg:
        known = JpegFrameSize(file, &w, &h);
        eitherWayUp = true;  // its EXIF orientation is not read for this
        break;
    case Kind::kPng:  // IHDR comes first: width and height, big-endian
        known = got >= 24;
        w = static_cast<int>(u32(16, true));
        h = static_cast<int>(u32(20, true));
        break;
    case Kind::kBmp:  // the info header's width and height (bottom-up or top-down)
        known = got >= 26;
        w = static_cast<int>(u32(18, false));
        h = std::abs(static_cast<int>(u32(22, false)));
        break;
    case Kind::kNone:
        break;
    }
    _lclose(file);
    if (!known || w <= 0 || h <= 0) return false;
    if (!FitInto(w, h, maxWidth, maxHeight, width, height)) return false;
    int turnedWidth = 0, turnedHeight = 0;
    if (eitherWayUp && FitInto(h, w, maxWidth, maxHeight, &turnedWidth, &turnedHeight) &&
        int64_t{turnedWidth} * turnedHeight > int64_t{*width} * *height) {
        *width = turnedWidth;
        *height = turnedHeight;
    }
    return true;
}
