// make_jpeg WIDTH HEIGHT OUT: writes a baseline JPEG of that size, a smooth
// picture with some detail so that it compresses like a photograph.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "JpegEncode.h"

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
    murktest::TJpegShape shape;
    shape.Width = width;
    shape.Height = height;
    shape.Quality = 90;
    unsigned noise = 12345;
    const std::vector<uint8_t> picture = murktest::EncodeJpeg(shape, [&](int y, uint8_t* row) {
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = int(noise >> 28);
            row[size_t(x) * 3 + 0] = uint8_t((x * 255 / width + grain) & 0xFF);
            row[size_t(x) * 3 + 1] = uint8_t((y * 255 / height + grain) & 0xFF);
            row[size_t(x) * 3 + 2] = uint8_t(((x ^ y) >> 4) & 0xFF);
        }
    });
    if (std::fwrite(picture.data(), 1, picture.size(), out) != picture.size()) {
        std::perror(argv[3]);
        std::fclose(out);
        return 1;
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
