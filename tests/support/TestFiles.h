#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

namespace murktest {

using TBytes = std::vector<uint8_t>;

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::string& Path() const { return FPath; }
    std::string File(const std::string& name) const { return FPath + "/" + name; }

private:
    std::string FPath;
};

// A real baseline JPEG of the given size, encoded by libjpeg.
TBytes MakeJpeg(int width, int height, int quality = 85);

// Exactly n bytes that classify as a plain JPEG: FF D8, a varied body, FF D9.
// From a few hundred bytes on, the body begins with a sound head that
// libjpeg wrote (JpegHead), so the codecs' check of the head accepts it.
TBytes SyntheticJpeg(size_t n, uint8_t seed = 0);

// The segments of a small grey picture that libjpeg wrote, from its start
// marker to the header of its first scan.
TBytes JpegHead();

// FF D8 followed by (7 i + 3) mod 256 for i = 2 to n - 1.
TBytes PatternPicture(size_t n);

void WriteBytes(const std::string& path, const TBytes& bytes);
// The names in a folder, sorted, without "." and "..".
std::vector<std::string> FolderEntries(const std::string& folder);
TBytes ReadBytes(const std::string& path);

struct timespec FileMtime(const std::string& path);
// Sets a modification time with a nanosecond part, so tests see whether it
// is kept exactly.
void SetFileMtime(const std::string& path, const struct timespec& mtime);
inline struct timespec SampleMtime() {
    return {1500000000, 123456789};
}
bool SameTime(const struct timespec& a, const struct timespec& b);
mode_t FileMode(const std::string& path);

std::string Hex(const TBytes& bytes);
TBytes FromHex(const std::string& hex);
std::string Sha256Hex(const TBytes& bytes);

}  // namespace murktest
