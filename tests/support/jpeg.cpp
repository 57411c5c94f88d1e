#include "support/jpeg.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

Bytes MakeJpeg(int width, int height, const std::function<uint32_t(int, int)> &pixel, const JpegOptions &options) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    switch (options.colour) {
    case JpegOptions::kRgb: cinfo.input_components = 3, cinfo.in_color_space = JCS_RGB; break;
    case JpegOptions::kGrey: cinfo.input_components = 1, cinfo.in_color_space = JCS_GRAYSCALE; break;
    case JpegOptions::kCmyk:
    case JpegOptions::kYcck: cinfo.input_components = 4, cinfo.in_color_space = JCS_CMYK; break;
    }
    jpeg_set_defaults(&cinfo);
    if (options.colour == JpegOptions::kYcck) jpeg_set_colorspace(&cinfo, JCS_YCCK);
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    if (options.sampling == JpegOptions::k444)
        for (int i = 0; i < cinfo.num_components; i++) cinfo.comp_info[i].h_samp_factor = cinfo.comp_info[i].v_samp_factor = 1;
    if (options.progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    Bytes row(static_cast<size_t>(width) * cinfo.input_components);
    while (cinfo.next_scanline < cinfo.image_height) {
        int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < width; x++) {
            uint32_t p = pixel(x, y);
            switch (cinfo.input_components) {
            case 1: row[x] = static_cast<uint8_t>(p); break;
            case 3:
                row[3 * x] = static_cast<uint8_t>(p >> 16);
                row[3 * x + 1] = static_cast<uint8_t>(p >> 8);
                row[3 * x + 2] = static_cast<uint8_t>(p);
                break;
            case 4:
                for (int i = 0; i < 4; i++) row[4 * x + i] = static_cast<uint8_t>(p >> (24 - 8 * i));
                break;
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

uint32_t PhotoPixel(int x, int y) {
    double r = 128 + 100 * std::sin(x * 0.013) * std::cos(y * 0.021);
    double g = 128 + 90 * std::sin((x + y) * 0.008);
    double b = 110 + 80 * std::cos(std::hypot(x - 300.0, y - 200.0) * 0.03);
    // A hard-edged shape and some fine texture.
    if ((x / 97 + y / 61) % 5 == 0) r = 240, g = 230, b = 40;
    uint32_t noise = (static_cast<uint32_t>(x) * 2654435761u ^ static_cast<uint32_t>(y) * 40503u) >> 27;
    auto clamp = [](double v) { return static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
    return clamp(r + noise) << 16 | clamp(g + noise) << 8 | clamp(b + noise);
}

DecodedJpeg DecodeJpeg(const Bytes &jpeg, int scale, bool quantised) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = static_cast<unsigned>(scale);
    cinfo.scale_denom = 8;
    if (quantised) {
        cinfo.out_color_space = JCS_RGB;
        cinfo.quantize_colors = TRUE;
        cinfo.two_pass_quantize = TRUE;
        cinfo.dither_mode = JDITHER_FS;
        cinfo.desired_number_of_colors = 256;
    }
    jpeg_start_decompress(&cinfo);
    DecodedJpeg out;
    for (int i = 0; quantised && i < cinfo.actual_number_of_colors; i++)
        out.palette.push_back(static_cast<uint32_t>(cinfo.colormap[0][i]) << 16 | cinfo.colormap[1][i] << 8 | cinfo.colormap[2][i]);
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    out.components = cinfo.output_components;
    out.adobe = cinfo.saw_Adobe_marker;
    size_t stride = static_cast<size_t>(out.width) * out.components;
    out.samples.resize(stride * out.height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[1] = {out.samples.data() + stride * cinfo.output_scanline};
        jpeg_read_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return out;
}

Bytes AsBitmapRows(const DecodedJpeg &d) {
    size_t stride = (static_cast<size_t>(d.width) * 3 + 3) & ~size_t{3};
    Bytes rows(stride * d.height, 0);
    for (int y = 0; y < d.height; y++) {
        uint8_t *out = rows.data() + stride * (d.height - 1 - y);
        const uint8_t *in = d.samples.data() + static_cast<size_t>(y) * d.width * d.components;
        for (int x = 0; x < d.width; x++) {
            const uint8_t *s = in + x * d.components;
            out[3 * x] = d.components == 3 ? s[2] : s[0];
            out[3 * x + 1] = d.components == 3 ? s[1] : s[0];
            out[3 * x + 2] = s[0];
        }
    }
    return rows;
}
