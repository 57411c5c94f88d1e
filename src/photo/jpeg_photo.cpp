// Photos from JPEG files: decoded by the JPEG library at the smallest DCT
// scale that still covers the fitted size, upright by the EXIF block the
// library keeps for us, and with 256 colours from the library's own
// quantiser when no resampling comes after it. Unlike the disc pictures'
// decoder, nothing the library says reaches the user: a photo it cannot
// read whole is simply no picture.
#include "photo/decoders.h"

#include "image/jpeg.h"
#include "photo/exif.h"
#include "photo/pipeline.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// Far beyond what a photo needs (a progressive 18-megapixel one keeps about
// 60 MB of coefficients); the library refuses a damaged header's size past it.
constexpr long kMaxLibraryMemory = 512L << 20;
constexpr int kRowsPerRead = 16;

struct SilentErrors {
    jpeg_error_mgr pub;
    jmp_buf recovery;
};

// What a decode keeps outside the frame the library jumps back to.
struct JpegDecode {
    jpeg_decompress_struct cinfo;
    SilentErrors errors;
    jpeg_source_mgr source;
    PhotoReader reader;
    PhotoPlan plan;
};

JpegDecode &DecodeOf(j_decompress_ptr cinfo) { return *reinterpret_cast<JpegDecode *>(cinfo); }

void StartSource(j_decompress_ptr) {}

// The file's next piece; at its end the library gets an end marker and the
// warning that the data stopped short, which fails the decode.
boolean FillSource(j_decompress_ptr cinfo) {
    JpegDecode &d = DecodeOf(cinfo);
    size_t got = ReadPiece(d.reader);
    if (got == 0) {
        static const JOCTET kEnd[2] = {0xFF, JPEG_EOI};
        WARNMS(cinfo, JWRN_JPEG_EOF);
        d.source.next_input_byte = kEnd;
        d.source.bytes_in_buffer = 2;
        return TRUE;
    }
    d.source.next_input_byte = d.reader.piece;
    d.source.bytes_in_buffer = got;
    return TRUE;
}

void SkipSource(j_decompress_ptr cinfo, long count) {
    JpegDecode &d = DecodeOf(cinfo);
    if (count <= 0) return;
    while (static_cast<size_t>(count) > d.source.bytes_in_buffer) {
        count -= static_cast<long>(d.source.bytes_in_buffer);
        FillSource(cinfo);
    }
    d.source.next_input_byte += count;
    d.source.bytes_in_buffer -= static_cast<size_t>(count);
}

void EndSource(j_decompress_ptr) {}

[[noreturn]] void FailDecode(j_common_ptr cinfo) { longjmp(reinterpret_cast<SilentErrors *>(cinfo->err)->recovery, 1); }

void Quiet(j_common_ptr) {}

// A warning means damaged data, which the library would paint over with
// grey; only stray bytes between markers leave the picture whole.
void OnMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code != JWRN_EXTRANEOUS_DATA) FailDecode(cinfo);
}

// The first EXIF block decides; a photo without one is upright.
int OrientationOf(const jpeg_decompress_struct &cinfo) {
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 && std::equal(m->data, m->data + 6, "Exif\0\0"))
            return ExifOrientationOfApp1(m->data, m->data_length);
    return 1;
}

// The first EXIF block's thumbnail, or nothing.
std::vector<BYTE> ThumbnailOf(const jpeg_decompress_struct &cinfo) {
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        if (m->marker != JPEG_APP0 + 1 || m->data_length < 6 || !std::equal(m->data, m->data + 6, "Exif\0\0")) continue;
        size_t offset = 0, length = 0;
        if (!ExifThumbnail(m->data + 6, m->data_length - 6, &offset, &length)) return {};
        return std::vector<BYTE>(m->data + 6 + offset, m->data + 6 + offset + length);
    }
    return {};
}

void UseFileSource(JpegDecode &d) {
    d.source.init_source = StartSource;
    d.source.fill_input_buffer = FillSource;
    d.source.skip_input_data = SkipSource;
    d.source.resync_to_restart = jpeg_resync_to_restart;
    d.source.term_source = EndSource;
    d.cinfo.src = &d.source;
}

void UseSilentErrors(JpegDecode &d) {
    d.cinfo.err = jpeg_std_error(&d.errors.pub);
    d.errors.pub.error_exit = FailDecode;
    d.errors.pub.output_message = Quiet;
    d.errors.pub.emit_message = OnMessage;
}

BYTE *RowAt(const Raster &r, JDIMENSION y) { return r.rows + (static_cast<size_t>(r.height) - 1 - y) * r.stride; }

// Nothing here needs destroying: the library may jump back into this frame.
bool Decode(JpegDecode &d, int maxWidth, int maxHeight, int bits) {
    jpeg_decompress_struct &cinfo = d.cinfo;
    UseSilentErrors(d);
    if (setjmp(d.errors.recovery)) return false;
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxLibraryMemory;
    UseFileSource(d);
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    PhotoPlan &plan = d.plan;
    if (!PlanPhoto(plan, static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height), OrientationOf(cinfo),
                   maxWidth, maxHeight, bits))
        return false;
    cinfo.scale_num = static_cast<unsigned>(JpegScaleFor(static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height),
                                                         plan.fitWidth, plan.fitHeight));
    cinfo.scale_denom = 8;
    // Inks come as CMYK (the library turns YCCK into it) and are turned into
    // light here; everything else comes in the bitmap's blue-green-red.
    const bool inks = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = inks ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&cinfo);
    if (bits == 8 && !inks && static_cast<int>(cinfo.output_width) == plan.fitWidth &&
        static_cast<int>(cinfo.output_height) == plan.fitHeight) {
        // Nothing is resampled after the decode, so the library's two-pass
        // quantiser sees exactly the pixels that are shown.
        cinfo.out_color_space = JCS_RGB;
        cinfo.quantize_colors = TRUE;
        cinfo.two_pass_quantize = TRUE;
        cinfo.dither_mode = JDITHER_FS;
        cinfo.desired_number_of_colors = 256;
        plan.indexed = true;
    }
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != (plan.indexed ? 1 : inks ? 4 : 3)) return false;
    const JDIMENSION width = cinfo.output_width, height = cinfo.output_height;
    if (!PrepareDecode(plan, static_cast<int>(width), static_cast<int>(height))) return false;
    if (plan.indexed) {
        for (int i = 0; i < cinfo.actual_number_of_colors && i < 256; i++)
            plan.palette[i] = RGBQUAD{cinfo.colormap[2][i], cinfo.colormap[1][i], cinfo.colormap[0][i], 0};
    }
    JSAMPARRAY inkRow = inks ? cinfo.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, width * 4, 1) : nullptr;
    const bool adobe = cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < height) {
        const JDIMENSION y = cinfo.output_scanline;
        if (inks) {
            if (jpeg_read_scanlines(&cinfo, inkRow, 1) != 1) return false;
            JpegInksToBgr(RowAt(plan.decoded, y), inkRow[0], width, adobe);
            continue;
        }
        // Straight into place, bottom-up, several rows a call when the library has them.
        JSAMPROW rows[kRowsPerRead];
        JDIMENSION n = std::min<JDIMENSION>(kRowsPerRead, height - y);
        for (JDIMENSION i = 0; i < n; i++) rows[i] = RowAt(plan.decoded, y + i);
        if (jpeg_read_scanlines(&cinfo, rows, n) == 0) return false;
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

PackedDib LoadWith(JpegDecode &d, int maxWidth, int maxHeight, int bits) {
    bool decoded = Decode(d, maxWidth, maxHeight, bits);
    // The library's memory goes before the resampler takes its own.
    jpeg_destroy_decompress(&d.cinfo);
    if (!decoded) {
        AbandonPhoto(d.plan);
        return nullptr;
    }
    return FinishPhoto(d.plan, d.plan.decoded);
}

// What a photo's header says: its size as stored, its orientation and the
// bytes of its EXIF thumbnail.
struct PhotoFacts {
    int width = 0, height = 0, orientation = 1;
    std::vector<BYTE> thumbnail;
};

bool ReadFacts(JpegDecode &d, PhotoFacts &facts) {
    UseSilentErrors(d);
    if (setjmp(d.errors.recovery)) return false;
    jpeg_create_decompress(&d.cinfo);
    UseFileSource(d);
    jpeg_save_markers(&d.cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&d.cinfo, TRUE);
    facts.width = static_cast<int>(d.cinfo.image_width);
    facts.height = static_cast<int>(d.cinfo.image_height);
    facts.orientation = OrientationOf(d.cinfo);
    facts.thumbnail = ThumbnailOf(d.cinfo);
    return true;
}

// The thumbnail decoded for the photo's preview: only when, upright, it
// covers the preview's size and has the photo's shape to within a pixel
// (a thumbnail padded with bars to another shape is not the picture).
bool DecodeThumbnail(JpegDecode &d, const PhotoFacts &photo, int maxWidth, int maxHeight, int bits) {
    jpeg_decompress_struct &cinfo = d.cinfo;
    UseSilentErrors(d);
    if (setjmp(d.errors.recovery)) return false;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, photo.thumbnail.data(), static_cast<unsigned long>(photo.thumbnail.size()));
    jpeg_read_header(&cinfo, TRUE);
    const bool sideways = photo.orientation >= 5;
    const int width = static_cast<int>(cinfo.image_width), height = static_cast<int>(cinfo.image_height);
    const int upWidth = sideways ? height : width, upHeight = sideways ? width : height;
    const int photoWidth = sideways ? photo.height : photo.width, photoHeight = sideways ? photo.width : photo.height;
    int fitWidth = 0, fitHeight = 0;
    if (!FitInto(photoWidth, photoHeight, maxWidth, maxHeight, &fitWidth, &fitHeight)) return false;
    if (upWidth < fitWidth || upHeight < fitHeight) return false;
    double shaped = static_cast<double>(upWidth) * photoHeight / photoWidth;
    if (std::fabs(upHeight - shaped) > 1.0) return false;
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) return false;
    PhotoPlan &plan = d.plan;
    if (!PlanPhoto(plan, width, height, photo.orientation, maxWidth, maxHeight, bits)) return false;
    // Exactly the size the photo's own preview has.
    plan.fitWidth = sideways ? fitHeight : fitWidth;
    plan.fitHeight = sideways ? fitWidth : fitHeight;
    cinfo.scale_num = static_cast<unsigned>(JpegScaleFor(width, height, plan.fitWidth, plan.fitHeight));
    cinfo.scale_denom = 8;
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3) return false;
    const JDIMENSION outWidth = cinfo.output_width, outHeight = cinfo.output_height;
    if (!PrepareDecode(plan, static_cast<int>(outWidth), static_cast<int>(outHeight))) return false;
    while (cinfo.output_scanline < outHeight) {
        JSAMPROW row = RowAt(plan.decoded, cinfo.output_scanline);
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) return false;
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

}  // namespace

PackedDib LoadJpegThumbnail(HFILE file, int maxWidth, int maxHeight, int bits) {
    auto *d = new (std::nothrow) JpegDecode{};
    if (!d) return nullptr;
    d->reader.file = file;
    PhotoFacts facts;
    bool read = ReadFacts(*d, facts);
    jpeg_destroy_decompress(&d->cinfo);
    PackedDib dib = nullptr;
    if (read && !facts.thumbnail.empty()) {
        *d = JpegDecode{};
        bool decoded = DecodeThumbnail(*d, facts, maxWidth, maxHeight, bits);
        jpeg_destroy_decompress(&d->cinfo);
        if (decoded) dib = FinishPhoto(d->plan, d->plan.decoded);
        else AbandonPhoto(d->plan);
    }
    delete d;
    return dib;
}

PackedDib LoadJpegPhoto(HFILE file, int maxWidth, int maxHeight, int bits) {
    // Too large for the stack with its reader's buffer.
    auto *d = new (std::nothrow) JpegDecode{};
    if (!d) return nullptr;
    d->reader.file = file;
    PackedDib dib = LoadWith(*d, maxWidth, maxHeight, bits);
    delete d;
    return dib;
}
