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
#include <new>

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

BYTE *RowAt(const Raster &r, JDIMENSION y) { return r.rows + (static_cast<size_t>(r.height) - 1 - y) * r.stride; }

// Nothing here needs destroying: the library may jump back into this frame.
bool Decode(JpegDecode &d, int maxWidth, int maxHeight, int bits) {
    jpeg_decompress_struct &cinfo = d.cinfo;
    cinfo.err = jpeg_std_error(&d.errors.pub);
    d.errors.pub.error_exit = FailDecode;
    d.errors.pub.output_message = Quiet;
    d.errors.pub.emit_message = OnMessage;
    if (setjmp(d.errors.recovery)) return false;
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxLibraryMemory;
    d.source.init_source = StartSource;
    d.source.fill_input_buffer = FillSource;
    d.source.skip_input_data = SkipSource;
    d.source.resync_to_restart = jpeg_resync_to_restart;
    d.source.term_source = EndSource;
    cinfo.src = &d.source;
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

}  // namespace

PackedDib LoadJpegPhoto(HFILE file, int maxWidth, int maxHeight, int bits) {
    // Too large for the stack with its reader's buffer.
    auto *d = new (std::nothrow) JpegDecode{};
    if (!d) return nullptr;
    d->reader.file = file;
    PackedDib dib = LoadWith(*d, maxWidth, maxHeight, bits);
    delete d;
    return dib;
}
