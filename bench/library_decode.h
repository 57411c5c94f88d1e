// The baseline of the JPEG figures: the library alone, the file through
// stdio into rows in memory, at scale M/8 (8: the whole picture).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <jpeglib.h>

inline void DecodeWithLibrary(const std::string &hostPath, unsigned scale) {
    FILE *f = std::fopen(hostPath.c_str(), "rb");
    if (!f) return;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = scale;
    cinfo.scale_denom = 8;
    jpeg_start_decompress(&cinfo);
    size_t stride = size_t{cinfo.output_width} * cinfo.output_components;
    auto *image = static_cast<JSAMPLE *>(std::malloc(stride * cinfo.output_height));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    benchmark::DoNotOptimize(image);
    std::free(image);
}
