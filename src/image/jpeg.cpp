// The JPEG decoder: the library reads the file through a C stream and
// decodes one row at a time straight into its final bottom-up,
// blue-green-red place in the bitmap.
#include "image/jpeg.h"

#include "resources/resource.h"
#include "text/language.h"
#include "text/text.h"

#include <fcntl.h>
#include <io.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>

// The library's header wants FILE and size_t declared first.
#include <jpeglib.h>

namespace {

// The library's error manager first, so the hooks find the jump buffer
// from the pointer the decompression object keeps.
struct JpegErrorManager {
    jpeg_error_mgr pub;
    jmp_buf recovery;
};

JpegReporter reporter = nullptr;

// Owned by the active window, so that nothing beneath the box can start a
// second decode or save while it is open.
void Report(const char *text, bool isError) {
    if (reporter) reporter(text, isError);
    else ShowMessageBox(GetActiveWindow(), text, Text(isError ? IDS_JPEG_ERROR : IDS_JPEG_WARNING), MB_OK);
}

// The library's error hook: shows the message and goes back to the
// recovery point in JpegLoadFile. Nothing here may need destroying, since
// the jump leaves this frame behind.
[[noreturn]] void JpegErrorExit(j_common_ptr cinfo) {
    char text[256];
    cinfo->err->format_message(cinfo, text);
    Report(text, true);
    longjmp(reinterpret_cast<JpegErrorManager *>(cinfo->err)->recovery, 1);
}

// Warnings: the library passes on the first of a picture and goes on decoding.
void JpegShowMessage(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    cinfo->err->format_message(cinfo, text);
    Report(text, false);
}

// A picture file as a C stream for the library, through the same file call
// as every other file the program opens: the stream takes the handle over.
FILE *OpenReadStream(const char *path) {
    HFILE file = OpenForReading(path);
    if (file == HFILE_ERROR) return nullptr;
    int fd = _open_osfhandle(static_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (fd == -1) {
        _lclose(file);
        return nullptr;
    }
    FILE *stream = _fdopen(fd, "rb");
    if (!stream) _close(fd);
    return stream;
}

// Rows the library delivers in another form than the bitmap's are
// converted into place: grey repeated into blue, green and red, and ink
// amounts turned into light (JpegInksToBgr).
void CopyGreyRow(BYTE *out, const JSAMPLE *in, JDIMENSION width) {
    for (JDIMENSION i = 0; i < width; i++, out += 3) out[0] = out[1] = out[2] = in[i];
}


// The bytes per pixel of the library's rows in the colour space it
// delivers; 0 for a space the program cannot show.
int ComponentsOf(J_COLOR_SPACE space) {
    switch (space) {
    case JCS_EXT_BGR: return 3;
    case JCS_GRAYSCALE: return 1;
    case JCS_CMYK: return 4;
    default: return 0;
    }
}

// The bitmap DibCreate would make for the picture must be one it can make:
// decided from the header, before anything is allocated.
bool FitsInABitmap(const jpeg_decompress_struct &cinfo) {
    uint64_t bytes = uint64_t{DibStride(cinfo.image_width, 24)} * cinfo.image_height + 1064;
    return cinfo.image_width > 0 && cinfo.image_height > 0 && bytes <= 0x7FFFFFFF;
}

}  // namespace

// Adobe's files store the inks inverted (0 = full ink), others plainly.
void JpegInksToBgr(BYTE *out, const BYTE *in, unsigned width, bool inverted) {
    for (unsigned i = 0; i < width; i++, out += 3, in += 4) {
        unsigned c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        out[0] = static_cast<BYTE>((y * k + 127) / 255);
        out[1] = static_cast<BYTE>((m * k + 127) / 255);
        out[2] = static_cast<BYTE>((c * k + 127) / 255);
    }
}

void SetJpegReporter(JpegReporter r) { reporter = r; }

PackedDib JpegLoadFile(const char *path) {
    FILE *stream = OpenReadStream(path);
    if (!stream) return nullptr;

    jpeg_decompress_struct cinfo;
    JpegErrorManager errors;
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = JpegErrorExit;
    errors.pub.output_message = JpegShowMessage;
    // Set after the recovery point, read after a jump back to it.
    PackedDib volatile dib = nullptr;
    if (setjmp(errors.recovery)) {
        jpeg_destroy_decompress(&cinfo);
        DibFree(dib);
        fclose(stream);
        return nullptr;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, stream);
    jpeg_read_header(&cinfo, TRUE);
    // Colour pictures come from the library in the bitmap's own order,
    // blue-green-red, each row decoded straight into its place: no pixel is
    // copied or swapped after the library has written it.
    if (cinfo.out_color_space == JCS_RGB) cinfo.out_color_space = JCS_EXT_BGR;
    const int components = ComponentsOf(cinfo.out_color_space);
    if (components == 0 || !FitsInABitmap(cinfo)) {
        jpeg_destroy_decompress(&cinfo);
        fclose(stream);
        return nullptr;
    }
    jpeg_start_decompress(&cinfo);
    // A row is never read past its end.
    if (cinfo.output_components != components) {
        jpeg_destroy_decompress(&cinfo);
        fclose(stream);
        return nullptr;
    }
    const JDIMENSION width = cinfo.output_width, height = cinfo.output_height;
    // Grey and CMYK rows need converting: they go through a row of the library's.
    JSAMPARRAY row = components == 3 ? nullptr
                                     : cinfo.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                               width * static_cast<JDIMENSION>(components), 1);
    dib = DibCreate(24, static_cast<int>(width), static_cast<int>(height));
    if (!dib) {
        jpeg_destroy_decompress(&cinfo);
        fclose(stream);
        return nullptr;
    }
    BYTE *pixels = reinterpret_cast<BYTE *>(dib) + dib->biSize + DibTableBytes(dib);
    const uint32_t stride = DibStride(width, 24);
    const bool inverted = cinfo.saw_Adobe_marker;
    bool complete = true;
    while (cinfo.output_scanline < height) {
        // Bottom-up: the top row of the picture is the last row of the bitmap.
        BYTE *out = pixels + size_t{stride} * (height - 1 - cinfo.output_scanline);
        JSAMPROW target = row ? row[0] : out;
        if (jpeg_read_scanlines(&cinfo, &target, 1) != 1) {
            complete = false;  // a source that cannot go on: what was decoded stands
            break;
        }
        if (components == 1) CopyGreyRow(out, row[0], width);
        else if (components == 4) JpegInksToBgr(out, row[0], width, inverted);
    }
    if (complete) jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    fclose(stream);
    return dib;
}
