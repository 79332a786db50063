#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Codec.h"
#include "MemoryStream.h"

namespace murkfuzz {

using TBytes = std::vector<uint8_t>;

// One file per fuzzing process, on a memory file system where there is one,
// so that the codecs' saves cost little.
inline const std::string& FuzzPath() {
    static const std::string path = [] {
        const char* folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(folder) + "/murkwell-fuzz-" + std::to_string(::getpid()) + ".jpg";
    }();
    return path;
}

inline void Put(const TBytes& bytes) {
    std::ofstream out(FuzzPath(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline TBytes Get() {
    std::ifstream in(FuzzPath(), std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Loads the file at path and runs one codec object on it.
template <typename TCodecClass>
int RunOnFile(const std::string& path, bool encode, const std::string& password, int mode) {
    murk::TMemoryStream stream;
    stream.LoadFromFile(path);
    murk::TCodecOption option;
    option.Stream = &stream;
    option.FileName = path;
    option.Encode = encode;
    option.Password = password;
    option.Mode = mode;
    TCodecClass codec(option);
    return codec.Execute();
}

// Writes bytes to the fuzz file and runs one codec object on it.
template <typename TCodecClass>
int RunOn(const TBytes& bytes, bool encode, const std::string& password, int mode) {
    Put(bytes);
    return RunOnFile<TCodecClass>(FuzzPath(), encode, password, mode);
}

// Aborts, so that the fuzzer reports the input, when a property fails.
inline void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property failed: %s\n", what);
        std::abort();
    }
}

// The block length a long header states, and whether a shield in some mode
// writes exactly that header.
struct THeader {
    size_t Length = 0;
    size_t Block = 0;
    bool Canonical = false;
    int Mode = 0;
};

inline THeader ReadHeader(const TBytes& bytes, uint32_t shortMagic, uint32_t longMagic,
                          size_t shortLength, size_t longLength) {
    THeader header;
    const uint32_t magic = bytes.size() >= 4 ? murk::ReadUInt32LE(bytes.data()) : 0;
    if (magic == shortMagic) {
        header = {shortLength, 1024, true, 1};
    } else if (magic == longMagic && bytes.size() >= 8) {
        header.Length = longLength;
        header.Block = uint16_t(~murk::ReadUInt16LE(bytes.data() + 4));
        header.Mode = int(header.Block / 1024);
        header.Canonical =
            header.Block % 1024 == 0 && header.Mode >= 2 && bytes[6] == 0xFF && bytes[7] == 0xFF;
    }
    return header;
}

}  // namespace murkfuzz
