// make_files FOLDER COUNT MIN_BYTES MAX_BYTES [sparse]
// Writes COUNT files named 00000.jpg ... that begin with the head of a
// picture libjpeg wrote (start marker to first scan, so the codecs accept
// them) and end FF D9, with sizes spread evenly between the bounds and
// varied bytes between. With "sparse" only the first two bytes and the
// tail are written (enough for classification), which keeps a folder of
// many large files cheap to make.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace {

// The segments of a small grey picture from its start marker to the header
// of its first scan.
std::vector<uint8_t> JpegHead() {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = cinfo.image_height = 8;
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    JSAMPLE row[8] = {};
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW pointer = row;
        jpeg_write_scanlines(&cinfo, &pointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> head;
    for (size_t at = 2; at + 4 <= size_t(size);) {
        const size_t length = size_t(buffer[at + 2]) << 8 | buffer[at + 3];
        const bool scan = buffer[at + 1] == 0xDA;
        at += 2 + length;
        if (scan) {
            head.assign(buffer, buffer + at);
            break;
        }
    }
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return head;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: make_files FOLDER COUNT MIN_BYTES MAX_BYTES [sparse]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const long count = std::atol(argv[2]);
    const size_t low = size_t(std::atoll(argv[3])), high = size_t(std::atoll(argv[4]));
    const bool sparse = argc > 5 && std::strcmp(argv[5], "sparse") == 0;
    uint64_t state = 88172645463325252ull;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    std::vector<uint8_t> data(sparse ? 2 : high);
    const std::vector<uint8_t> jpegHead = JpegHead();
    for (long i = 0; i < count; ++i) {
        const size_t size = low + (count > 1 ? (high - low) * size_t(i) / size_t(count - 1) : 0);
        char name[32];
        std::snprintf(name, sizeof name, "/%05ld.jpg", i);
        const std::string path = folder + name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) {
            std::perror(path.c_str());
            return 1;
        }
        const uint8_t head[2] = {0xFF, 0xD8}, tail[2] = {0xFF, 0xD9};
        bool ok = true;
        if (sparse) {
            ok = ::ftruncate(fd, off_t(size)) == 0 && ::pwrite(fd, head, 2, 0) == 2 &&
                 ::pwrite(fd, tail, 2, off_t(size - 2)) == 2;
        } else {
            for (size_t j = 0; j < size; j += 8) {
                uint64_t word = next();
                // No marker inside the scan's data.
                for (int k = 0; k < 8; ++k) {
                    if ((word >> (8 * k) & 0xFF) == 0xFF) {
                        word ^= uint64_t(1) << (8 * k);
                    }
                }
                std::memcpy(&data[j], &word, std::min<size_t>(8, size - j));
            }
            std::memcpy(data.data(), jpegHead.data(), std::min(jpegHead.size(), size));
            std::memcpy(data.data() + size - 2, tail, 2);
            ok = ::write(fd, data.data(), size) == ssize_t(size);
        }
        if (!ok || ::close(fd) != 0) {
            std::perror(path.c_str());
            return 1;
        }
    }
    return 0;
}
