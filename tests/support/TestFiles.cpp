#include "TestFiles.h"

#include "JpegEncode.h"

#include <fcntl.h>
#include <nettle/sha2.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace murktest {

TTempDir::TTempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "murkwell-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    FPath = pattern;
}

TTempDir::~TTempDir() {
    std::error_code ignored;
    // Tests may leave folders without write permission behind.
    for (auto it = std::filesystem::recursive_directory_iterator(FPath, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            ::chmod(it->path().c_str(), 0700);
        }
    }
    ::chmod(FPath.c_str(), 0700);
    std::filesystem::remove_all(FPath, ignored);
}

TBytes MakeJpeg(int width, int height, int quality) {
    return EncodeJpeg({.Width = width, .Height = height, .Quality = quality},
                      [width, height](int y, uint8_t* row) {
                          for (int x = 0; x < width; ++x) {
                              row[x * 3 + 0] = uint8_t((x * 255) / std::max(1, width - 1));
                              row[x * 3 + 1] = uint8_t((y * 255) / std::max(1, height - 1));
                              row[x * 3 + 2] = uint8_t(((x / 8 + y / 8) % 2) * 200);
                          }
                      });
}

TBytes JpegHead() {
    static const TBytes head = [] {
        const TBytes picture =
            EncodeJpeg({.Width = 8, .Height = 8, .Components = 1}, [](int y, uint8_t* row) {
                for (int x = 0; x < 8; ++x) {
                    row[x] = uint8_t(x * 32 + y);
                }
            });
        // Segments from the start marker up to and including the first scan's header.
        size_t at = 2;
        while (at + 4 <= picture.size()) {
            const size_t length = size_t(picture[at + 2]) << 8 | picture[at + 3];
            const bool scan = picture[at + 1] == 0xDA;
            at += 2 + length;
            if (scan) {
                return TBytes(picture.begin(), picture.begin() + ptrdiff_t(at));
            }
        }
        throw std::runtime_error("libjpeg wrote no scan");
    }();
    return head;
}

TBytes SyntheticJpeg(size_t n, uint8_t seed) {
    TBytes bytes(n);
    uint32_t state = 2463534242u + seed;
    for (auto& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = uint8_t(state);
    }
    const TBytes& head = JpegHead();
    if (n >= head.size() + 2) {
        // The scan's data holds no marker.
        for (auto& byte : bytes) {
            byte = byte == 0xFF ? 0xFE : byte;
        }
        std::copy(head.begin(), head.end(), bytes.begin());
    }
    if (n >= 2) {
        bytes[0] = 0xFF;
        bytes[1] = 0xD8;
    }
    if (n >= 4) {
        bytes[n - 2] = 0xFF;
        bytes[n - 1] = 0xD9;
    }
    return bytes;
}

TBytes PatternPicture(size_t n) {
    TBytes bytes(n);
    for (size_t i = 2; i < n; ++i) {
        bytes[i] = uint8_t((7 * i + 3) % 256);
    }
    bytes[0] = 0xFF;
    bytes[1] = 0xD8;
    return bytes;
}

void WriteBytes(const std::string& path, const TBytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TBytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct timespec FileMtime(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        throw std::runtime_error("cannot stat " + path);
    }
    return st.st_mtim;
}

void SetFileMtime(const std::string& path, const struct timespec& mtime) {
    const struct timespec times[2] = {mtime, mtime};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) {
        throw std::runtime_error("cannot set the time of " + path);
    }
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

mode_t FileMode(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        throw std::runtime_error("cannot stat " + path);
    }
    return st.st_mode & 07777;
}

std::string Hex(const TBytes& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

TBytes FromHex(const std::string& hex) {
    TBytes bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::string Sha256Hex(const TBytes& bytes) {
    sha256_ctx ctx;
    sha256_init(&ctx);
    sha256_update(&ctx, bytes.size(), bytes.data());
    TBytes digest(SHA256_DIGEST_SIZE);
    sha256_digest(&ctx, digest.size(), digest.data());
    return Hex(digest);
}

}  // namespace murktest
