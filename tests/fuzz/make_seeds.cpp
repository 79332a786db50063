// make_seeds FOLDER: writes a seed corpus for each harness into
// FOLDER/<harness>/: small plain pictures and the same pictures shielded in
// each format with the password the harnesses use, ".jpz" files, sets of
// settings files, and real JPEGs of each kind libjpeg writes for the preview.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "CodecChoice.h"
#include "FileSystem.h"
#include "JpegEncode.h"
#include "JpzLibrary.h"
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

// Jpz needs a longer password than the other formats.
std::string PasswordFor(int kind) {
    return kind == 3 ? "fuzz password" : "fuzz";
}

TBytes Shielded(const std::string& scratch, const TBytes& plain, int kind, int mode) {
    Write(scratch, plain);
    murk::TMemoryStream stream;
    stream.LoadFromFile(scratch);
    murk::TShieldSelection selection;
    selection.PasswordMode = kind != 0;
    selection.ShieldKind = kind;
    selection.UltraEnabled = true;
    selection.JpzAvailable = true;
    murk::DispatchCodec(stream, scratch, true, PasswordFor(kind), mode, selection);
    murk::TMemoryStream result;
    result.LoadFromFile(scratch);
    return TBytes(result.Data(), result.Data() + result.Size());
}

// One string as FuzzedDataProvider's ConsumeRandomLengthString reads it:
// backslashes doubled, ended by a backslash and another character.
std::string ProviderString(const std::string& text) {
    std::string encoded;
    for (char c : text) {
        encoded += c;
        if (c == '\\') {
            encoded += c;
        }
    }
    return encoded + "\\n";
}

void WriteSettingsSeeds(const std::string& folder) {
    const struct {
        const char* ini;
        const char* registry;
        const char* passwords;
        const char* folders;
    } seeds[] = {
        {"[Murkwell]\nExtraMode=1\nShield=1\nAllMode=0\nHistory=1\ndir=/home/user/Pictures\n"
         "SubDir=0\nBeep=1\nMainWidth=600\nMainHeight=640\nColmnAttr=60\nColmnDir=180\n"
         "TreeViewWidth=180\nMurkMode=2\nListViewColor=0\nEncDisp=1\n"
         "SamnailBackColor=14075318\n",
         "[General]\nd0=1\nd1=1\nd2=0\nd3=5\nd4=Murkwell \xe3\x83\xad\xe3\x82\xb0\n"
         "d5=1\nd6=jpx\nd10=1\nd11=Murkwel for Windows\nd12=1\nfnName=Sans\nfnSize=9\n"
         "fnStyle=3\nfnHeight=-12\nfnColor=255\nMainLayout=1\n\n[option]\nd7=2\nd8=3\n"
         "d9=4\nListLine=1\n\n[version]\ncopyright=Murkwell\ndate2=0123\n",
         "secret\r\npassword1\r\n\xe7\xa7\x98\xe5\xaf\x86\r\n", "/home/a\n/home/B\n/srv/pics\n"},
        {"[Murkwell]\nMainWidth=abc\nMainHeight=99999999999\nMurkMode=7\nEncDisp=-1\n"
         "dir=a, b\nListViewColor=-2147483640\nColmnState= 12 \n",
         "[General]\nd3=-5\nd6=a/b\nd5=1\nfnStyle=16\nfnSize=0\n[option]\nd7=64\nd9=x\n"
         "[version]\ncopyright=\n",
         "\xef\xbb\xbfone\ntwo\r\n\nthree\r\r\n", "/x\n/X\r\r\n/a\n"},
    };
    int n = 0;
    for (const auto& seed : seeds) {
        const std::string bytes = ProviderString(seed.ini) + ProviderString(seed.registry) +
                                  ProviderString(seed.passwords) + seed.folders;
        Write(folder + "/seed" + std::to_string(n++), TBytes(bytes.begin(), bytes.end()));
    }
}

// Each seed is a picture followed by the pane's width and height, which the
// preview harness reads from the end.
void WritePreviewSeeds(const std::string& folder) {
    const murktest::TJpegShape shapes[] = {
        {.Width = 40, .Height = 30},
        {.Width = 33, .Height = 17, .SubsampledChroma = false},
        {.Width = 40, .Height = 30, .Progressive = true},
        {.Width = 24, .Height = 40, .Components = 1},
        {.Width = 16, .Height = 16, .Components = 4},
        {.Width = 64, .Height = 48, .RestartRows = 1},
    };
    int n = 0;
    for (const murktest::TJpegShape& shape : shapes) {
        const size_t samples = size_t(shape.Width) * size_t(shape.Components);
        const TBytes picture = murktest::EncodeJpeg(shape, [samples](int y, uint8_t* row) {
            for (size_t i = 0; i < samples; ++i) {
                row[i] = uint8_t((int(i) * 7 + y * 5) & 0xFF);
            }
        });
        for (const uint16_t side : {uint16_t(7), uint16_t(600)}) {
            TBytes seed = picture;
            for (int i = 0; i < 2; ++i) {
                seed.push_back(uint8_t(side >> 8));
                seed.push_back(uint8_t(side));
            }
            Write(folder + "/seed" + std::to_string(n++), seed);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds FOLDER\n");
        return 2;
    }
    const std::string root = argv[1];
    const std::string scratch = root + "/scratch.jpg";
    if (!murk::TJpzLibrary::Instance().Load()) {
        std::fprintf(stderr, "make_seeds: libjpz.so not found beside the program\n");
        return 1;
    }
    const struct {
        const char* harness;
        int kind;
        std::vector<int> modes;
    } corpora[] = {
        {"classify", -1, {}},
        {"normal_restore", 0, {1, 2, 5}},
        {"extra_restore", 1, {1, 2, 3}},
        {"ultra_restore", 2, {1, 2, 4}},
        {"jpz_restore", 3, {1}},
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
    // The ".jpz" files inside Jpz files, after a byte that says whether the
    // reader's output exists beforehand.
    const std::string reader = root + "/jpz_reader";
    ::mkdir(reader.c_str(), 0755);
    int n = 0;
    for (size_t size : {size_t(1100), size_t(5200)}) {
        const TBytes jpz = Shielded(scratch, Picture(size, uint32_t(size)), 3, 1);
        for (uint8_t earlier : {0, 1}) {
            TBytes seed{earlier};
            seed.insert(seed.end(), jpz.begin() + std::min<ptrdiff_t>(8, ssize(jpz)), jpz.end());
            Write(reader + "/seed" + std::to_string(n++), seed);
        }
    }
    const std::string settings = root + "/settings_read";
    ::mkdir(settings.c_str(), 0755);
    WriteSettingsSeeds(settings);
    const std::string preview = root + "/preview_decode";
    ::mkdir(preview.c_str(), 0755);
    WritePreviewSeeds(preview);
    std::remove(scratch.c_str());
    return 0;
}
