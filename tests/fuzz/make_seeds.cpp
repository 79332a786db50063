// make_seeds FOLDER: writes a seed corpus for each harness into
// FOLDER/<harness>/: small plain pictures and the same pictures shielded in
// each format with the password the harnesses use.
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "CodecChoice.h"
#include "FileSystem.h"
#include "MemoryStream.h"

namespace {

using TBytes = std::vector<uint8_t>;

TBytes Picture(size_t size, uint32_t seed) {
    TBytes bytes(size);
    for (auto& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = uint8_t(seed >> 16);
    }
    bytes[0] = 0xFF;
    bytes[1] = 0xD8;
    bytes[size - 2] = 0xFF;
    bytes[size - 1] = 0xD9;
    return bytes;
}

void Write(const std::string& path, const TBytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

TBytes Shielded(const std::string& scratch, const TBytes& plain, int kind, int mode) {
    Write(scratch, plain);
    murk::TMemoryStream stream;
    stream.LoadFromFile(scratch);
    murk::TShieldSelection selection;
    selection.PasswordMode = kind != 0;
    selection.ShieldKind = kind;
    selection.UltraEnabled = true;
    murk::DispatchCodec(stream, scratch, true, "fuzz", mode, selection);
    murk::TMemoryStream result;
    result.LoadFromFile(scratch);
    return TBytes(result.Data(), result.Data() + result.Size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds FOLDER\n");
        return 2;
    }
    const std::string root = argv[1];
    const std::string scratch = root + "/scratch.jpg";
    const struct {
        const char* harness;
        int kind;
        std::vector<int> modes;
    } corpora[] = {
        {"classify", -1, {}},
        {"normal_restore", 0, {1, 2, 5}},
        {"extra_restore", 1, {1, 2, 3}},
        {"ultra_restore", 2, {1, 2, 4}},
    };
    ::mkdir(root.c_str(), 0755);
    for (const auto& corpus : corpora) {
        const std::string folder = root + "/" + corpus.harness;
        ::mkdir(folder.c_str(), 0755);
        int n = 0;
        for (size_t size : {size_t(1100), size_t(2100), size_t(5200)}) {
            const TBytes plain = Picture(size, uint32_t(size));
            if (corpus.kind < 0) {
                Write(folder + "/plain" + std::to_string(n++), plain);
                continue;
            }
            for (int mode : corpus.modes) {
                if (size >= size_t(mode) * 1024) {
                    Write(folder + "/seed" + std::to_string(n++),
                          Shielded(scratch, plain, corpus.kind, mode));
                }
            }
        }
    }
    std::remove(scratch.c_str());
    return 0;
}
