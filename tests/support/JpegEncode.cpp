#include "JpegEncode.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace murktest {

std::vector<uint8_t> EncodeJpeg(const TJpegShape& shape,
                                const std::function<void(int y, uint8_t* row)>& fill) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(shape.Width);
    cinfo.image_height = JDIMENSION(shape.Height);
    cinfo.input_components = shape.Components;
    cinfo.in_color_space = shape.Components == 1   ? JCS_GRAYSCALE
                           : shape.Components == 4 ? JCS_CMYK
                                                   : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, shape.Quality, TRUE);
    if (shape.Progressive) {
        jpeg_simple_progression(&cinfo);
    }
    if (shape.Components == 3 && !shape.SubsampledChroma) {
        cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 1;
    }
    cinfo.optimize_coding = shape.OptimizeCoding ? TRUE : FALSE;
    cinfo.restart_in_rows = shape.RestartRows;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(shape.Width) * size_t(shape.Components));
    while (cinfo.next_scanline < cinfo.image_height) {
        fill(int(cinfo.next_scanline), row.data());
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&cinfo, &pointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return bytes;
}

std::vector<uint8_t> HeadToFirstScan(const std::vector<uint8_t>& jpeg) {
    for (size_t at = 2; at + 4 <= jpeg.size();) {
        const size_t length = size_t(jpeg[at + 2]) << 8 | jpeg[at + 3];
        const bool scan = jpeg[at + 1] == 0xDA;
        at += 2 + length;
        if (scan) {
            return std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(at));
        }
    }
    return {};
}

}  // namespace murktest
