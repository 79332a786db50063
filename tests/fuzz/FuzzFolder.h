#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

namespace murkfuzz {

// A folder of its own per fuzzing process, on a memory file system where
// there is one, so that a harness can see everything left in it.
inline std::string FuzzFolder(const std::string& name) {
    const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    const std::string folder =
        std::string(base) + "/murkwell-fuzz-" + name + "-" + std::to_string(::getpid());
    ::mkdir(folder.c_str(), 0700);
    return folder;
}

inline void WriteFile(const std::string& path, std::span<const uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The names in a folder, sorted.
inline std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Whether libjpz.so would derive a key at a cost it accepts but far above
// the one it writes: that takes seconds and shows nothing a cheap one does
// not. jpz is the ".jpz" file itself.
inline bool CostlyJpz(std::span<const uint8_t> jpz) {
    static constexpr uint8_t kHead[8] = {'J', 'P', 'Z', 0x1A, 1, 0, 0, 0};
    if (jpz.size() < 20 || !std::equal(kHead, kHead + 8, jpz.begin())) {
        return false;
    }
    auto word = [&](size_t at) {
        return uint32_t(jpz[at]) | uint32_t(jpz[at + 1]) << 8 | uint32_t(jpz[at + 2]) << 16 |
               uint32_t(jpz[at + 3]) << 24;
    };
    const uint32_t memoryKiB = word(8), passes = word(12), lanes = word(16);
    const bool accepted = memoryKiB <= (1u << 20) && passes >= 1 && passes <= 10 && lanes >= 1 &&
                          lanes <= 16 && memoryKiB >= 8 * lanes;
    return accepted && (memoryKiB > 64 * 1024 || passes > 4 || lanes > 4);
}

}  // namespace murkfuzz
