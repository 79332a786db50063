// make_jpeg WIDTH HEIGHT OUT: writes a baseline JPEG of that size, a smooth
// picture with some detail so that it compresses like a photograph.
#include <cstdio>
#include <cstdlib>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_jpeg WIDTH HEIGHT OUT\n");
        return 2;
    }
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    FILE* out = std::fopen(argv[3], "wb");
    if (out == nullptr || width <= 0 || height <= 0) {
        std::perror(argv[3]);
        return 1;
    }
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(width) * 3);
    unsigned noise = 12345;
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = int(cinfo.next_scanline);
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = int(noise >> 28);
            row[size_t(x) * 3 + 0] = JSAMPLE((x * 255 / width + grain) & 0xFF);
            row[size_t(x) * 3 + 1] = JSAMPLE((y * 255 / height + grain) & 0xFF);
            row[size_t(x) * 3 + 2] = JSAMPLE(((x ^ y) >> 4) & 0xFF);
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&cinfo, &pointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(out) == 0 ? 0 : 1;
}
